"""Barcodes from lumtar32: type detection, names, ISBN conversion and pictures.

    >>> import lumtar32
    >>> lumtar32.detect("4006381333931")
    <Type.EAN13: 2>
    >>> lumtar32.save("ean.png", "4006381333931")          # 600 x 240 pixels at 300 dpi
    >>> svg = lumtar32.render("1234567890", "svg", types=lumtar32.Type.ITF)
    >>> pdf = lumtar32.sheet(["4006381333931"] * 21, "Avery L7160")   # a sheet of labels
    >>> png = lumtar32.render("4006381333931+12", module=0.33, quiet_zones=True, indicators=True, ink="1F3A93")

Texts are encoded to code page 1252, the library's only character set; names
and messages come back decoded from it.
"""

from __future__ import annotations

import ctypes
import enum
import os
import tempfile
from typing import Optional, Tuple, Union

from . import _native
from ._sheet import sheet, templates

__all__ = ["Type", "FORMATS", "detect", "name", "ean_from_isbn", "isbn_from_ean", "render", "save", "sheet", "templates"]


class Type(enum.IntFlag):
    """Code types, combined into a mask; of several, the lowest flag that fits wins."""

    ISBN = 1
    EAN13 = 2
    EAN8 = 4
    UPCA = 8
    EAN5 = 16
    EAN2 = 32
    ITF = 64  # Interleaved 2 of 5
    CODABAR = 128
    CODE39 = 256
    ALL = 511
    ITF14 = 512  # GS1 ITF-14 with bearer bars (the print call only; not in ALL)


# Format name -> (the memory API's format number, raster?)
FORMATS = {"wmf": (1, False), "bmp": (2, True), "png": (3, True), "svg": (4, False), "pdf": (5, False), "eps": (6, False),
           "tif": (7, True), "tiff": (7, True), "emf": (8, False)}

# Default sizes, as the lumtar tool draws: raster formats in pixels, vector
# formats in hundredths of a millimetre (50 x 20 mm).
RASTER_SIZE = (600, 240)
VECTOR_SIZE = (5000, 2000)

_FONTS = {"default": 0, "none": 1, "bold": 2}
_OK, _ERR_CODE, _ERR_FILE, _ERR_GDI, _ERR_STYLE = 0, 1, 2, 3, 4
_BEARERS = {"frame": 0, "none": 1, "bars": 2}
# BarPrintInfo.problem: what the print call refused.
_PROBLEMS = {1: "the style record", 2: "format: not written by this library (or paper='none' in it)",
             3: "size or dpi: out of range", 4: "module or magnification: out of range, or both", 5: "height",
             6: "the picture would be too large", 7: "narrow or wide: 0 to 100", 8: "bwr: a module or more",
             9: "bearer", 10: "rotate: 0, 90, 180 or 270", 11: "text_font or text_size", 12: "ink", 13: "paper",
             14: "an add-on (+NN, +NNNNN) follows only an EAN-13, ISBN or UPC-A", 15: "padding",
             16: "quiet_zones or indicators", 17: "the picture is too small for this symbol"}

Text = Union[str, bytes]
Font = Union[str, Tuple[str, int], Tuple[str, int, int]]


def _encode(text: Text, what: str = "text") -> bytes:
    """The code page 1252 bytes of a text; bytes are taken as they are."""
    if isinstance(text, bytes):
        data = text
    else:
        try:
            data = text.encode("cp1252")
        except UnicodeEncodeError as error:
            bad = text[error.start]
            raise ValueError(f"{what} {text!r}: the character {bad!r} (U+{ord(bad):04X}) is not in code page 1252") from None
    if b"\0" in data:
        raise ValueError(f"{what} {text!r}: the character '\\x00' cannot be passed to the library")
    return data


def detect(text: Text, types: int = Type.ALL) -> Type:
    """The first type of the mask (lowest flag first) that the text fits; Type(0) when none does."""
    return Type(_native.lib.BarCodeTyp(_encode(text), int(types)))


def name(type: int) -> str:
    """The German display name of a type flag ("EAN 13"); "Ungültig" for anything but one flag."""
    return _native.lib.BarCodeName(int(type)).decode("cp1252")


def _convert(function, text: Text, size: int) -> str:
    out = ctypes.create_string_buffer(size)
    ok = function(out, _encode(text))
    result = out.value.decode("cp1252")
    if not ok:
        raise ValueError(result)
    return result


def ean_from_isbn(isbn: Text) -> str:
    """The EAN-13 of an ISBN-10 (hyphens allowed): "1-234567-89-X" -> "9781234567897".

    Raises ValueError with the library's message ("Keine gültige ISBN").
    """
    return _convert(_native.lib.BarEanFromIsbn, isbn, 32)


def isbn_from_ean(ean: Text) -> str:
    """The hyphenated ISBN-10 of an EAN-13 beginning with 978: "9781234567897" -> "1-234567-89-X".

    Raises ValueError with the library's message ("Keine EAN13", "Keine Isbn-EAN").
    """
    return _convert(_native.lib.BarIsbnFromEan, ean, 32)


def _font_record(font: Font) -> Tuple[int, Optional[_native.LOGFONTA]]:
    """The font argument: 0, 1, 2, or the address of a LOGFONTA kept alive by the caller."""
    if isinstance(font, str):
        if font not in _FONTS:
            raise ValueError(f"font {font!r}: give 'default', 'none', 'bold' or (face, height[, weight])")
        return _FONTS[font], None
    if not isinstance(font, tuple) or len(font) not in (2, 3):
        raise ValueError(f"font {font!r}: give 'default', 'none', 'bold' or (face, height[, weight])")
    face = _encode(font[0], "font face")
    if len(face) > 31:
        raise ValueError(f"font face {font[0]!r}: at most 31 characters")
    record = _native.LOGFONTA(lfHeight=int(font[1]), lfWeight=int(font[2]) if len(font) == 3 else 400, lfFaceName=face)
    return ctypes.addressof(record), record


def _check(result: int, text: bytes, types: int, size: Tuple[int, int]) -> None:
    if result == _ERR_CODE:
        raise ValueError(f"{text.decode('cp1252')!r} fits none of the types {Type(int(types) & Type.ALL)!r}")
    if result == _ERR_GDI:
        raise ValueError(f"the picture of {size[0]} x {size[1]} cannot be drawn (too large?)")
    if result != _OK:
        raise OSError(f"the library could not write the picture (result {result})")


def _through_file(fmt: str, data: bytes, font: int, size, phys, types: int) -> Tuple[int, bytes]:
    """BMP and WMF through the library's file functions, for lumtar32.dll's ten exports."""
    with tempfile.TemporaryDirectory(prefix="lumtar32-") as folder:
        path = os.path.join(folder, "picture." + fmt)
        encoded = path.encode("mbcs") if _native.WINDOWS else os.fsencode(path)
        if fmt == "bmp":
            result = _native.lib.BarToBmp(encoded, data, font, size[0], size[1], phys[0], phys[1], int(types))
        else:
            result = _native.lib.BarToWmf(encoded, data, font, size[0], size[1], int(types))
        if result != _OK:
            return result, b""
        with open(path, "rb") as f:
            return result, f.read()


def _rgb(value, what: str) -> int:
    """0xRRGGBB from "RRGGBB", "#RRGGBB" or a number."""
    if isinstance(value, int) and 0 <= value <= 0xFFFFFF:
        return value
    if isinstance(value, str) and len(value.lstrip("#")) == 6:
        try:
            return int(value.lstrip("#"), 16)
        except ValueError:
            pass
    raise ValueError(f"{what} {value!r}: give 'RRGGBB' or a number up to 0xFFFFFF")


def _um(mm: float) -> int:
    return int(round(mm * 1000))


def _style(raster: bool, size, phys, dpi: float, font: str, types: int, narrow: int, wide: int, options) -> "_native.BarPrintStyle":
    """The print call's record for render's arguments; every field left 0 is BarToFile's choice."""
    s = _native.BarPrintStyle(size=ctypes.sizeof(_native.BarPrintStyle), types=int(types), text=_FONTS[font],
                              narrow=narrow, wide=wide, dpi=int(round(dpi)) if raster else 0)
    if options.get("module") is None and options.get("magnification") is None:
        s.width, s.height = size
        s.physWidth, s.physHeight = phys if raster else (0, 0)
    s.module = _um(options.get("module") or 0)
    s.magnification = int(options.get("magnification") or 0)
    s.barHeight = _um(options.get("height") or 0)
    s.quietZones, s.indicators = bool(options.get("quiet_zones")), bool(options.get("indicators"))
    s.bwr = _um(options.get("bwr") or 0)
    bearer = options.get("bearer", "frame")
    if bearer not in _BEARERS:
        raise ValueError(f"bearer {bearer!r}: give 'frame', 'bars' or 'none'")
    s.bearer, s.rotate = _BEARERS[bearer], int(options.get("rotate") or 0)
    ink = options.get("ink")
    if isinstance(ink, tuple):  # (cyan, magenta, yellow, black) in percent
        s.inkModel = 1
        s.cyan, s.magenta, s.yellow, s.black = (int(v) for v in ink)
    elif ink is not None:
        s.ink = _rgb(ink, "ink")
    paper = options.get("paper")
    if paper == "none":
        s.paper = 2
    elif paper is not None:
        s.paper, s.paperColor = 1, _rgb(paper, "paper")
    if options.get("text_font"):
        face = _encode(options["text_font"], "text_font")
        if len(face) > 31:
            raise ValueError(f"text_font {options['text_font']!r}: at most 31 characters")
        s.textFace = face
    s.textSize = _um(options.get("text_size") or 0)
    padding = options.get("padding") or (0, 0)
    s.paddingX, s.paddingY = _um(padding[0]), _um(padding[1])
    return s


def _print(number: int, data: bytes, style) -> Tuple[int, bytes, "_native.BarPrintInfo"]:
    info = _native.BarPrintInfo(size=ctypes.sizeof(_native.BarPrintInfo))
    needed = ctypes.c_uint(0)
    result = _native.lib.BarPrintToMemory(None, 0, ctypes.byref(needed), number, data, style, info)
    if result != _OK:
        return result, b"", info
    buffer = ctypes.create_string_buffer(needed.value)
    result = _native.lib.BarPrintToMemory(buffer, needed.value, ctypes.byref(needed), number, data, style, info)
    return result, buffer.raw[: needed.value], info


_PRINT_OPTIONS = ("module", "height", "magnification", "quiet_zones", "indicators", "bwr", "bearer", "ink", "paper",
                  "rotate", "text_font", "text_size", "padding")


def render(text: Text, format: str = "png", size: Optional[Tuple[int, int]] = None, dpi: float = 300,
           font: Font = "default", types: int = Type.ALL, narrow: int = 0, wide: int = 0, **options) -> bytes:
    """The picture of a code, as the bytes of a file in the given format.

    format: "bmp" (1 bit), "png" (1 bit), "tif" (1 bit, CCITT Group 4), "wmf" (placeable
        metafile), "emf" (enhanced metafile), "svg", "pdf" or "eps".
    size: (width, height); pixels for bmp, png and tif (default 600 x 240), hundredths
        of a millimetre for the vector formats (default 5000 x 2000, 50 x 20 mm;
        a WMF at most 32767 x 32767).
    dpi: the printed resolution of bmp, png and tif, stored in the file (default 300).
    font: "default", "none" (bars only), "bold", or (face, height[, weight]) with
        the height in 64ths of the symbol's height (the default font's is 8).
    types: the mask of types to try, lowest flag first.
    narrow, wide: element widths of Interleaved 2 of 5 and Code 39 (0: 1 and 3).
    text: "4006381333931+12" or "+12345" after an EAN-13, ISBN or UPC-A draws the add-on beside it.

    The print call's options (library 1.1), in mm where they are lengths:
    module=0.33 the X-dimension (instead of size; whole pixels at dpi), or magnification=100
        (percent of 0.33 mm); height=22.85 the symbol's height with them;
    quiet_zones=True, indicators=True (EAN/UPC's < and >); bwr=0.02 bar width reduction;
    bearer="frame" | "bars" | "none" (types=Type.ITF14); rotate=0 | 90 | 180 | 270;
    ink="1F3A93" (or a number, or (cyan, magenta, yellow, black) in percent);
    paper="FFFFFF" or "none" (transparent PNG, SVG, WMF); text_font="DejaVu Sans", text_size=3;
    padding=(x, y) blank around the symbol.

    Raises ValueError when the text fits none of the types, or for a bad argument.
    lumtar32.dll (Windows) writes only bmp and wmf with the default element widths.
    """
    sized, fmt = size is not None, format.lower()
    if fmt not in FORMATS:
        raise ValueError(f"format {format!r}: give one of {', '.join(FORMATS)}")
    number, raster = FORMATS[fmt]
    size = tuple(size) if size is not None else (RASTER_SIZE if raster else VECTOR_SIZE)
    if len(size) != 2 or not all(isinstance(v, int) and v > 0 for v in size):
        raise ValueError(f"size {size!r}: give (width, height), whole numbers above 0")
    if fmt == "wmf" and max(size) > 32767:
        raise ValueError(f"size {size!r}: a WMF's placeable header holds at most 32767 x 32767")
    if not dpi > 0:
        raise ValueError(f"dpi {dpi!r}: give a resolution above 0")
    if narrow < 0 or wide < 0:
        raise ValueError("narrow and wide: give 0 (the default) or element widths above 0")
    # Physical size in hundredths of a millimetre: 2540 to the inch.
    phys = tuple(max(1, round(v * 2540 / dpi)) for v in size) if raster else size
    data = _encode(text)
    unknown = set(options) - set(_PRINT_OPTIONS)
    if unknown:
        raise TypeError(f"render() got unexpected keyword arguments {sorted(unknown)}")
    if sized and (options.get("module") is not None or options.get("magnification") is not None):
        raise ValueError("size, or module or magnification: give one of them")
    if _native.HAS_PRINT and isinstance(font, str) and font in _FONTS:
        result, picture, info = _print(number, data, _style(raster, size, phys, dpi, font, types, narrow, wide, options))
        if result == _ERR_STYLE:
            raise ValueError(_PROBLEMS.get(info.problem, "the print options do not go together"))
        _check(result, data, types, size)
        return picture
    if options:
        raise ValueError("module, quiet_zones, ink and the other print options need lumtar32 1.1 and a font by name")
    font_arg, _record = _font_record(font)
    lib = _native.lib
    if _native.HAS_MEMORY:
        needed = ctypes.c_uint(0)
        args = (number, data, font_arg, size[0], size[1], phys[0], phys[1], int(types), narrow, wide)
        result = lib.BarToMemory(None, 0, ctypes.byref(needed), *args)
        if result == _OK:
            buffer = ctypes.create_string_buffer(needed.value)
            result = lib.BarToMemory(buffer, needed.value, ctypes.byref(needed), *args)
            picture = buffer.raw[: needed.value]
    elif fmt in ("bmp", "wmf"):
        if narrow not in (0, 1) or wide not in (0, 3):
            raise ValueError("element widths other than 1 and 3 need liblumtar32's picture functions")
        result, picture = _through_file(fmt, data, font_arg, size, phys, types)
    else:
        raise ValueError(f"format {fmt!r} needs liblumtar32's picture functions; this library writes bmp and wmf only")
    _check(result, data, types, size)
    return picture


def save(path: Union[str, "os.PathLike[str]"], text: Text, **options) -> None:
    """Render a code into a file whose extension (.png, .tif, .svg, .pdf, .eps, .emf, .bmp, .wmf) names the format.

    options are render's. Nothing is written when the text fits none of the types.
    """
    extension = os.path.splitext(os.fspath(path))[1].lower().lstrip(".")
    if extension not in FORMATS:
        raise ValueError(f"{os.fspath(path)!r}: the extension names no format ({', '.join(FORMATS)})")
    picture = render(text, extension, **options)
    with open(path, "wb") as f:
        f.write(picture)
