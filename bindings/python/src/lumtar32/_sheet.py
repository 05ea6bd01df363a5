"""Label sheets: records onto the labels of a sheet, one PDF (liblumtar32.so's BarSheet)."""

from __future__ import annotations

import csv
import ctypes
import io
import os
import warnings
from ctypes import POINTER, c_char_p, c_int, c_uint, c_void_p
from typing import Iterable, List, Mapping, Optional, Sequence, Tuple, Union

from . import _native


class _Line(ctypes.Structure):
    _fields_ = [("column", c_char_p), ("textSize", c_int), ("above", c_int)]


_PROGRESS = ctypes.CFUNCTYPE(None, c_int, c_int, c_void_p)


class _Style(ctypes.Structure):
    _fields_ = [("size", c_int), ("sheet", c_char_p), ("sheetFile", c_char_p), ("page", c_int),
                ("columns", c_int), ("rows", c_int),
                ("marginTop", c_int), ("marginRight", c_int), ("marginBottom", c_int), ("marginLeft", c_int),
                ("labelMargin", c_int), ("skip", c_int), ("startRow", c_int), ("startColumn", c_int),
                ("offsetX", c_int), ("offsetY", c_int), ("module", c_int), ("magnification", c_int),
                ("outline", c_int), ("codeColumn", c_char_p), ("typesColumn", c_char_p), ("copiesColumn", c_char_p),
                ("types", c_int), ("lineCount", c_int), ("lines", POINTER(_Line)),
                ("progress", _PROGRESS), ("context", c_void_p), ("cmyk", c_int)]


class _Info(ctypes.Structure):
    _fields_ = [("size", c_int), ("problem", c_int), ("labels", c_int), ("pages", c_int), ("refused", c_int),
                ("shrunk", c_int), ("messages", c_void_p), ("messagesSize", c_uint)]


_PROBLEMS = {1: "the style record's size", 2: "no template of that name, or the file holds none",
             3: "the grid does not fit its page", 4: "a column named that the header lacks",
             5: "module or magnification", 6: "skip, start, offset or label_margin", 7: "lines: at most 16",
             8: "no records, or no header line", 9: "types"}

HAS_SHEET = hasattr(_native.lib, "BarSheetToMemory")
if HAS_SHEET:
    _native._declare(_native.lib, "BarSheetToMemory", c_int, c_void_p, c_uint, POINTER(c_uint), c_char_p,
                     POINTER(_Style), POINTER(_Info))
    _native._declare(_native.lib, "BarSheetTemplates", c_int, c_void_p, c_uint, POINTER(c_uint))

Records = Union[str, bytes, Iterable[Union[str, Mapping[str, object]]]]
LineSpec = Union[str, Tuple[str, float], Tuple[str, float, str]]


def _table(records: Records) -> bytes:
    """CSV text from a text, or from codes or dicts (the first dict's keys are the header)."""
    if isinstance(records, bytes):
        return records
    if isinstance(records, str):
        return records.encode("utf-8")
    rows = list(records)
    out = io.StringIO()
    if rows and isinstance(rows[0], Mapping):
        writer = csv.DictWriter(out, fieldnames=list(rows[0].keys()), extrasaction="ignore", lineterminator="\n")
        writer.writeheader()
        writer.writerows(rows)  # type: ignore[arg-type]
    else:
        writer2 = csv.writer(out, lineterminator="\n")
        writer2.writerow(["code"])
        writer2.writerows([[str(code)] for code in rows])
    return out.getvalue().encode("utf-8")


def _um(mm: float) -> int:
    return int(round(mm * 1000))


def _lines(lines: Sequence[LineSpec]):
    specs = []
    for line in lines:
        spec = (line,) if isinstance(line, str) else tuple(line)
        if not 1 <= len(spec) <= 3 or (len(spec) == 3 and spec[2] not in ("above", "below")):
            raise ValueError(f"line {line!r}: give COLUMN, (COLUMN, POINTS) or (COLUMN, POINTS, 'above'|'below')")
        points = float(spec[1]) if len(spec) > 1 else 9.0
        specs.append(_Line(str(spec[0]).encode("utf-8"), _um(points * 25.4 / 72), int(len(spec) == 3 and spec[2] == "above")))
    return (_Line * max(1, len(specs)))(*specs), len(specs)


def sheet(records: Records, template: Optional[str] = "Avery L7160", output: Union[None, str, "os.PathLike[str]"] = None,
          *, template_file: Optional[str] = None, grid: Optional[Tuple[int, int]] = None, page: str = "a4",
          margins: Union[float, Tuple[float, float, float, float]] = 10, label_margin: Optional[float] = None,
          code: Optional[str] = None, types_column: Optional[str] = None, copies: Optional[str] = None,
          lines: Sequence[LineSpec] = (), types: int = 0, skip: int = 0, start: Optional[Tuple[int, int]] = None,
          offset: Tuple[float, float] = (0, 0), module: Optional[float] = None, magnification: Optional[int] = None,
          outline: bool = False, cmyk: bool = False, messages: Optional[List[str]] = None) -> Optional[bytes]:
    """Records onto a sheet of labels: the PDF's bytes, or None when written to output.

    records: CSV or TSV text with a header line, or a list of codes, or a list of
        dicts (the first one's keys make the header). The code column is code
        (or the first), with an optional types and copies column.
    template: a vendor's part ("Avery L7160", "5160", "Zweckform 3474"; templates()
        lists them), or one in template_file (glabels' XML); None with grid=(cols, rows)
        for a plain grid on an "a4" or "letter" page inside margins (mm).
    lines: text lines, each a column name, (column, points) or (column, points, "above").
    skip or start=(row, col): the labels already used on the first sheet; offset: (x, y)
    mm every label is moved by; module (mm) or magnification (%): the X-dimension;
    cmyk: black as K alone for the press.
    Records that are refused (no type fits) or drawn smaller than asked are reported
    into messages, or as a warning; the sheet goes on. Raises ValueError for bad options.
    """
    if not HAS_SHEET:
        raise ValueError("label sheets need liblumtar32.so's BarSheet")
    table, (line_array, count) = _table(records), _lines(lines)
    m = (margins,) * 4 if isinstance(margins, (int, float)) else tuple(margins)
    style = _Style(size=ctypes.sizeof(_Style), sheet=template.encode("utf-8") if template and grid is None else None,
                   sheetFile=os.fsencode(template_file) if template_file else None, page=1 if page == "letter" else 0,
                   columns=grid[0] if grid else 0, rows=grid[1] if grid else 0,
                   marginTop=_um(m[0]), marginRight=_um(m[1]), marginBottom=_um(m[2]), marginLeft=_um(m[3]),
                   labelMargin=-1 if label_margin is None else _um(label_margin), skip=skip,
                   startRow=start[0] if start else 0, startColumn=start[1] if start else 0,
                   offsetX=_um(offset[0]), offsetY=_um(offset[1]), module=_um(module) if module else 0,
                   magnification=magnification or 0, outline=int(outline),
                   codeColumn=code.encode("utf-8") if code else None,
                   typesColumn=types_column.encode("utf-8") if types_column else None,
                   copiesColumn=copies.encode("utf-8") if copies else None, types=int(types), lineCount=count,
                   lines=line_array, cmyk=int(cmyk))
    report = ctypes.create_string_buffer(1 << 16)
    info = _Info(size=ctypes.sizeof(_Info), messages=ctypes.cast(report, c_void_p), messagesSize=len(report))
    needed = c_uint(0)
    result = _native.lib.BarSheetToMemory(None, 0, ctypes.byref(needed), table, ctypes.byref(style), ctypes.byref(info))
    if result == 4:
        raise ValueError(_PROBLEMS.get(info.problem, "the options do not go together"))
    if result == 2:
        raise ValueError(f"template_file {template_file!r} cannot be read")
    if result != 0:
        raise ValueError("the sheet cannot be drawn")
    buffer = ctypes.create_string_buffer(needed.value)
    if _native.lib.BarSheetToMemory(buffer, needed.value, ctypes.byref(needed), table, ctypes.byref(style), None) != 0:
        raise ValueError("the sheet cannot be drawn")
    said = [line for line in report.value.decode("utf-8", "replace").splitlines() if line]
    if messages is not None:
        messages.extend(said)
    elif said:
        warnings.warn("\n".join(said), stacklevel=2)
    pdf = buffer.raw[: needed.value]
    if output is None:
        return pdf
    with open(output, "wb") as f:
        f.write(pdf)
    return None


def templates() -> List[Tuple[str, str, str]]:
    """The templates known by name: (name, description, paper), the built-in first."""
    if not HAS_SHEET:
        return []
    needed = c_uint(0)
    _native.lib.BarSheetTemplates(None, 0, ctypes.byref(needed))
    buffer = ctypes.create_string_buffer(needed.value)
    _native.lib.BarSheetTemplates(buffer, needed.value, ctypes.byref(needed))
    return [tuple(line.split("\t")) for line in buffer.value.decode("utf-8", "replace").splitlines()]  # type: ignore[misc]
