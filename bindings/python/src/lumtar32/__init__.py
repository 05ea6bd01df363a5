"""Barcodes from lumtar32: type detection, names, ISBN conversion and pictures.

    >>> import lumtar32
    >>> lumtar32.detect("4006381333931")
    <Type.EAN13: 2>
    >>> lumtar32.save("ean.png", "4006381333931")          # 600 x 240 pixels at 300 dpi
    >>> svg = lumtar32.render("1234567890", "svg", types=lumtar32.Type.ITF)
    >>> pdf = lumtar32.sheet(["4006381333931"] * 21, "Avery L7160")   # a sheet of labels

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


# Format name -> (the memory API's format number, raster?)
FORMATS = {"wmf": (1, False), "bmp": (2, True), "png": (3, True), "svg": (4, False), "pdf": (5, False), "eps": (6, False),
           "tif": (7, True), "tiff": (7, True), "emf": (8, False)}

# Default sizes, as the lumtar tool draws: raster formats in pixels, vector
# formats in hundredths of a millimetre (50 x 20 mm).
RASTER_SIZE = (600, 240)
VECTOR_SIZE = (5000, 2000)

_FONTS = {"default": 0, "none": 1, "bold": 2}
_OK, _ERR_CODE, _ERR_FILE, _ERR_GDI = 0, 1, 2, 3

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


def render(text: Text, format: str = "png", size: Optional[Tuple[int, int]] = None, dpi: float = 300,
           font: Font = "default", types: int = Type.ALL, narrow: int = 0, wide: int = 0) -> bytes:
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

    Raises ValueError when the text fits none of the types, or for a bad argument.
    lumtar32.dll (Windows) writes only bmp and wmf with the default element widths.
    """
    fmt = format.lower()
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
