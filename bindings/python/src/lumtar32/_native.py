"""Finding and declaring the native library: liblumtar32.so or lumtar32.dll.

The library is looked for, in this order, at the path in the environment
variable LUMTAR32_LIBRARY, beside this package, and where the system's loader
finds it. On Windows it is lumtar32.dll, loaded through WinDLL, of the
interpreter's bitness: beside the package the one in x64/ (64-bit Python) or
x86/ (32-bit Python) comes first, then one in the package's own folder.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import sys
from ctypes import POINTER, c_char_p, c_int, c_uint, c_void_p

WINDOWS = sys.platform == "win32"

# Names beside the package and on the system, most specific first.
_FILE_NAMES = ("lumtar32.dll",) if WINDOWS else ("liblumtar32.so", "liblumtar32.so.1", "liblumtar32.dylib")
# Windows: the DLL of this interpreter's bitness, from the folder of that name.
_BITNESS_FOLDER = "x64" if sys.maxsize > 2**32 else "x86"


class LOGFONTA(ctypes.Structure):
    """The Windows font record, 60 bytes: what the drawing functions read for a caller's font."""

    _fields_ = [
        ("lfHeight", ctypes.c_int32),
        ("lfWidth", ctypes.c_int32),
        ("lfEscapement", ctypes.c_int32),
        ("lfOrientation", ctypes.c_int32),
        ("lfWeight", ctypes.c_int32),
        ("lfItalic", ctypes.c_uint8),
        ("lfUnderline", ctypes.c_uint8),
        ("lfStrikeOut", ctypes.c_uint8),
        ("lfCharSet", ctypes.c_uint8),
        ("lfOutPrecision", ctypes.c_uint8),
        ("lfClipPrecision", ctypes.c_uint8),
        ("lfQuality", ctypes.c_uint8),
        ("lfPitchAndFamily", ctypes.c_uint8),
        ("lfFaceName", ctypes.c_char * 32),
    ]


assert ctypes.sizeof(LOGFONTA) == 60


class BarPrintStyle(ctypes.Structure):
    """The print call's style record (lumtar32_print.h): lengths in micrometres, colours 0xRRGGBB."""

    _fields_ = [(name, ctypes.c_int32) for name in (
        "size", "types", "width", "height", "physWidth", "physHeight", "dpi", "module", "magnification", "barHeight",
        "quietZones", "indicators", "bwr", "bearer", "bearerWidth", "rotate", "narrow", "wide", "text", "textSize")]
    _fields_ += [("textFace", ctypes.c_char * 32)]
    _fields_ += [(name, ctypes.c_int32) for name in (
        "inkModel", "ink", "cyan", "magenta", "yellow", "black", "paper", "paperColor", "paddingX", "paddingY")]


class BarPrintInfo(ctypes.Structure):
    """What the print call drew, or (problem) the field it refused."""

    _fields_ = [(name, ctypes.c_int32) for name in (
        "size", "problem", "type", "addOnType", "width", "height", "physWidth", "physHeight", "module", "moduleUnits",
        "bwr")]


assert ctypes.sizeof(BarPrintStyle) == 152


def _candidates() -> list[str]:
    found = []
    configured = os.environ.get("LUMTAR32_LIBRARY")
    if configured:
        found.append(configured)
    here = os.path.dirname(os.path.abspath(__file__))
    folders = (_BITNESS_FOLDER, "") if WINDOWS else ("",)
    beside = [os.path.join(here, folder, name) for folder in folders for name in _FILE_NAMES]
    found += [path for path in beside if os.path.exists(path)]
    system = ctypes.util.find_library("lumtar32")
    found += [system] if system else []
    return found + list(_FILE_NAMES)


def _load() -> ctypes.CDLL:
    loader = ctypes.WinDLL if WINDOWS else ctypes.CDLL  # type: ignore[attr-defined]
    errors = []
    configured = os.environ.get("LUMTAR32_LIBRARY")
    for path in _candidates():
        try:
            return loader(path)
        except OSError as error:
            if path == configured:
                raise OSError(f"LUMTAR32_LIBRARY={path}: {error}") from error
            errors.append(f"{path}: {error}")
    hint = f" (this Python needs the {_BITNESS_FOLDER} lumtar32.dll)" if WINDOWS else ""
    raise OSError("lumtar32 library not found" + hint + "; set LUMTAR32_LIBRARY to its path. Tried: " + "; ".join(errors))


def _declare(lib: ctypes.CDLL, name: str, restype, *argtypes) -> None:
    function = getattr(lib, name)
    function.restype = restype
    function.argtypes = argtypes


lib = _load()

# The ten exports. The font argument is 0, 1, 2 or the address of a LOGFONTA.
_declare(lib, "BarCodeTyp", c_int, c_char_p, c_int)
_declare(lib, "BarCodeName", c_char_p, c_int)
_declare(lib, "BarIsbnFromEan", c_int, c_char_p, c_char_p)
_declare(lib, "BarEanFromIsbn", c_int, c_char_p, c_char_p)
_declare(lib, "BarToWmf", c_int, c_char_p, c_char_p, c_void_p, c_int, c_int, c_int)
_declare(lib, "BarToBmp", c_int, c_char_p, c_char_p, c_void_p, c_int, c_int, c_int, c_int, c_int)

# The picture functions beside them: liblumtar32.so only.
HAS_MEMORY = hasattr(lib, "BarToMemory")
if HAS_MEMORY:
    _declare(lib, "BarToMemory", c_int, c_void_p, c_uint, POINTER(c_uint), c_int, c_char_p, c_void_p,
             c_int, c_int, c_int, c_int, c_int, c_int, c_int)

# The print call (version 1.1): liblumtar32.so and lumtar32.dll.
HAS_PRINT = hasattr(lib, "BarPrintToMemory")
if HAS_PRINT:
    _declare(lib, "BarPrint", c_int, c_char_p, c_int, c_char_p, POINTER(BarPrintStyle), POINTER(BarPrintInfo))
if HAS_PRINT:  # (one declaration per statement: bindings/check_declarations.py reads them)
    _declare(lib, "BarPrintToMemory", c_int, c_void_p, c_uint, POINTER(c_uint), c_int, c_char_p,
             POINTER(BarPrintStyle), POINTER(BarPrintInfo))
