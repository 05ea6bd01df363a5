#!/usr/bin/env python3
"""Writes the seed corpora of fuzz_draw, fuzz_files and fuzz_print
(fuzz/corpus/draw, fuzz/corpus/files and fuzz/corpus/print): inputs laid out the way libFuzzer's FuzzedDataProvider
reads them, so that every seed reaches the call with the arguments named here.

The provider takes strings from the front of the input and integers from its
back, the first integer from the last bytes. Run from anywhere; it replaces
the seeds it writes and leaves other files in those directories alone.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
INT_MIN, INT_MAX = -2**31, 2**31 - 1


class Input:
    def __init__(self):
        self.front = b""
        self.back = []  # byte strings, in the order the provider consumes them

    def integer(self, value, lo, hi):
        """ConsumeIntegralInRange(lo, hi) returning value."""
        span, r = hi - lo, value - lo
        assert 0 <= r <= span
        n = 0
        while n < 8 and (span >> (8 * n)) > 0:
            n += 1
        self.back.append(r.to_bytes(n, "big"))  # the first byte read is the most significant

    def boolean(self, value):
        self.integer(int(value), 0, 255)

    def int32(self, value):
        self.integer(value, INT_MIN, INT_MAX)

    def string(self, data):
        self.front += data

    def bytes(self):
        tail = b"".join(reversed([b[::-1] for b in self.back]))
        return self.front + tail


# fuzz_draw: Pick() reads a bool, then an index into its edges or an int.
def pick(inp, value):
    inp.boolean(False)
    inp.int32(value)


def logfont(height, escapement, weight, face):
    return struct.pack("<5i8B32s", height, 0, escapement, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, face)


def draw_seed(text, rect, font=0, types=511, narrow=0, wide=0, custom=None, bitmap=(64, 32)):
    inp = Input()
    for v in rect:
        pick(inp, v)
    if types == 511:
        inp.boolean(True)
    else:
        inp.boolean(False)
        inp.int32(types)
    pick(inp, narrow)
    pick(inp, wide)
    inp.integer(font, 0, 3)
    if font == 3:
        inp.string(custom)
        inp.boolean(False)
        inp.boolean(False)
    inp.integer(bitmap[0], 1, 96)
    inp.integer(bitmap[1], 1, 96)
    inp.string(text)
    return inp.bytes()


def files_seed(text, bmp, where, width, height, phys=(2540, 1000), font=0, types=511, custom=None):
    inp = Input()
    inp.boolean(bmp)
    inp.integer(where, 0, 3)
    for v in (width, height) + tuple(phys):
        pick(inp, v)
    if types == 511:
        inp.boolean(True)
    else:
        inp.boolean(False)
        inp.int32(types)
    inp.integer(font, 0, 3)
    if font == 3:
        inp.string(custom)
    inp.string(text)
    return inp.bytes()


TEXTS = {
    "isbn": b"123456789X",
    "ean13": b"4006381333931",
    "ean8": b"96385074",
    "upca": b"03600029145",
    "ean5": b"52495",
    "ean2": b"34",
    "itf": b"12345678",
    "codabar": b"A40156B",
    "code39": b"CODE 39",
    "invalid": b"\xfc\xe4 no code",
}

ARIAL = logfont(-16, 77, 300, b"Arial")
NO_TERMINATOR = logfont(20, 0, 400, b"X" * 32)


def draw_seeds():
    seeds = {}
    for name, text in TEXTS.items():
        seeds[f"{name}-upright"] = draw_seed(text, (0, 0, 300, 100))
        seeds[f"{name}-turned"] = draw_seed(text, (5, 5, 40, 90), font=2)
    seeds["ean13-none"] = draw_seed(TEXTS["ean13"], (0, 0, 107, 40), font=1)
    seeds["ean13-caller-font"] = draw_seed(TEXTS["ean13"], (0, 0, 300, 100), font=3, custom=ARIAL)
    seeds["code39-face-unterminated"] = draw_seed(TEXTS["code39"], (0, 0, 300, 100), font=3, custom=NO_TERMINATOR)
    seeds["itf-weights"] = draw_seed(TEXTS["itf"], (0, 0, 300, 60), types=64, narrow=2, wide=5)
    seeds["code39-weights"] = draw_seed(TEXTS["code39"], (0, 0, 300, 60), types=256, narrow=1, wide=INT_MAX)
    seeds["ean13-inverted"] = draw_seed(TEXTS["ean13"], (300, 100, 0, 0))
    seeds["ean13-empty"] = draw_seed(TEXTS["ean13"], (7, 7, 7, 7))
    seeds["ean13-int-extremes"] = draw_seed(TEXTS["ean13"], (INT_MIN, 0, INT_MAX, 100))
    seeds["codabar-negative"] = draw_seed(TEXTS["codabar"], (-400, -90, -100, -10))
    seeds["isbn-gdi-limit"] = draw_seed(TEXTS["isbn"], (-134217727, 0, 134217727, 1000))
    return seeds


def files_seeds():
    seeds = {}
    for name in ("ean13", "itf", "codabar", "code39", "isbn"):
        seeds[f"{name}-wmf"] = files_seed(TEXTS[name], False, 0, 5000, 2000)
        seeds[f"{name}-bmp"] = files_seed(TEXTS[name], True, 0, 300, 100)
    seeds["ean8-bmp-turned"] = files_seed(TEXTS["ean8"], True, 1, 60, 200, font=2)
    seeds["upca-wmf-existing"] = files_seed(TEXTS["upca"], False, 1, 5000, 2000, font=1)
    seeds["invalid-existing"] = files_seed(TEXTS["invalid"], True, 1, 300, 100)
    seeds["ean5-missing-dir"] = files_seed(TEXTS["ean5"], False, 2, 3000, 1500)
    seeds["ean2-under-file"] = files_seed(TEXTS["ean2"], True, 3, 80, 40)
    seeds["ean13-caller-font"] = files_seed(TEXTS["ean13"], True, 0, 300, 100, font=3, custom=ARIAL)
    seeds["ean13-bmp-huge"] = files_seed(TEXTS["ean13"], True, 0, 100000, 100000)
    seeds["ean13-bmp-phys-zero"] = files_seed(TEXTS["ean13"], True, 0, 300, 100, phys=(0, 0))
    seeds["ean13-wmf-small"] = files_seed(TEXTS["ean13"], False, 0, 150, 151)
    seeds["ean13-wmf-int-min"] = files_seed(TEXTS["ean13"], False, 0, INT_MIN, 2000)
    return seeds


# fuzz_print: the record's fields in order, then textFace, then the rest.
RECORD_INTS = ("size types width height physWidth physHeight dpi module magnification barHeight quietZones "
               "indicators bwr bearer bearerWidth rotate narrow wide text textSize").split()
RECORD_TAIL = "inkModel ink cyan magenta yellow black paper paperColor paddingX paddingY".split()


def record(face=b"", **fields):
    head = struct.pack("<20i", *(fields.get(n, 0) for n in RECORD_INTS))
    return head + struct.pack("<32s", face) + struct.pack("<10i", *(fields.get(n, 0) for n in RECORD_TAIL))


def print_seed(code, fmt, face=b"", **fields):
    inp = Input()
    inp.integer(fmt, 1, 8)
    inp.boolean(True)  # the size field set right
    inp.integer(1, 0, 15)  # a record
    inp.integer(5, 0, 7)  # an info record of its size
    inp.string(record(face, **fields))
    inp.string(code)
    return inp.bytes()


def print_seeds():
    png, svg, bmp, wmf, tif, emf = 3, 4, 2, 1, 7, 8
    return {
        "ean13-zeroed-png": print_seed(TEXTS["ean13"], png),
        "ean13-addon-module-svg": print_seed(b"4006381333931+52495", svg, module=330, quietZones=1, indicators=1),
        "upca-magnification-bwr-bmp": print_seed(TEXTS["upca"], bmp, magnification=80, bwr=20, dpi=200),
        "itf14-bearer-tif": print_seed(b"1234567890123", tif, types=512, module=500, bearer=2, dpi=150),
        "code39-rotate-colours-png": print_seed(TEXTS["code39"], png, rotate=90, ink=0x102030, paper=1,
                                                paperColor=0xFFEEDD, text=2),
        "codabar-face-padding-wmf": print_seed(TEXTS["codabar"], wmf, face=b"Arial", textSize=3000,
                                               paddingX=2000, paddingY=1000),
        "ean8-cmyk-emf": print_seed(TEXTS["ean8"], emf, inkModel=1, cyan=100, black=20, barHeight=20000,
                                    module=264),
        "isbn-face-unterminated-pdf": print_seed(TEXTS["isbn"], 5, face=b"X" * 32),
    }


def write(directory, seeds):
    path = os.path.join(HERE, "corpus", directory)
    os.makedirs(path, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("draw", draw_seeds())
    write("files", files_seeds())
    write("print", print_seeds())
