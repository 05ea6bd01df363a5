#!/usr/bin/env python3
"""Writes the seed corpora of fuzz_draw and fuzz_files (fuzz/corpus/draw and
fuzz/corpus/files): inputs laid out the way libFuzzer's FuzzedDataProvider
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


def write(directory, seeds):
    path = os.path.join(HERE, "corpus", directory)
    os.makedirs(path, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("draw", draw_seeds())
    write("files", files_seeds())
