"""The Python package against the built library (LUMTAR32_LIBRARY)."""

import shutil
import struct
import subprocess

import pytest

import lumtar32
from lumtar32 import Type, _native


@pytest.mark.parametrize("text, types, expected", [
    ("4006381333931", Type.ALL, Type.EAN13),
    ("123456789X", Type.ALL, Type.ISBN),
    ("9638507", Type.EAN8 | Type.CODE39, Type.EAN8),
    ("a1234d", Type.ALL, Type.CODABAR),
    (b"\xc4", Type.ALL, Type(0)),               # bytes go as they are
])
def test_detect(text, types, expected):
    assert lumtar32.detect(text, types) == expected


def test_names_and_conversions():
    assert [lumtar32.name(t) for t in (Type.ITF, Type.EAN5, 0, Type.ALL)] == \
        ["2 aus 5", "EAN5 Zusatz zu EAN13", "Ungültig", "Ungültig"]
    assert lumtar32.ean_from_isbn("1-234567-89-X") == "9781234567897"
    assert lumtar32.isbn_from_ean("978123456789") == "1-234567-89-X"
    for convert, text, message in [(lumtar32.ean_from_isbn, "1234567890", "Keine gültige ISBN"),
                                   (lumtar32.isbn_from_ean, "4006381333931", "Keine Isbn-EAN"),
                                   (lumtar32.isbn_from_ean, "9781234567890", "Keine EAN13")]:
        with pytest.raises(ValueError, match=f"^{message}$"):
            convert(text)


@pytest.mark.parametrize("call", [
    lambda: lumtar32.detect("40063813€3393Ω"),
    lambda: lumtar32.render("Ω"),
    lambda: lumtar32.render("4006381333931", font=("Ωmega", 8)),
])
def test_code_page_1252_only(call):
    with pytest.raises(ValueError, match="'Ω' \\(U\\+03A9\\)"):
        call()


def test_through_files_as_the_dll_does(monkeypatch):
    """Without the memory API (lumtar32.dll) bmp and wmf come from the file functions, the others are refused."""
    expected = {f: lumtar32.render("4006381333931", f) for f in ("bmp", "wmf")}
    monkeypatch.setattr(_native, "HAS_MEMORY", False)
    monkeypatch.setattr(_native, "HAS_PRINT", False)
    for fmt, picture in expected.items():
        assert lumtar32.render("4006381333931", fmt) == picture
    bmp = lumtar32.render("4006381333931", "bmp", size=(300, 150), dpi=600)
    assert struct.unpack_from("<2sxxxxxxxxxxxxxxxxii", bmp) == (b"BM", 300, 150)
    assert struct.unpack_from("<ii", bmp, 38) == (23622, 23622)  # 600 dpi in pixels per metre
    with pytest.raises(ValueError, match="picture functions"):
        lumtar32.render("4006381333931", "png")


MAGIC = {"bmp": b"BM", "wmf": b"\xd7\xcd\xc6\x9a", "png": b"\x89PNG", "svg": b"<", "pdf": b"%PDF", "eps": b"%!PS",
         "tif": b"II*\0", "emf": b"\x01\0\0\0"}


@pytest.mark.parametrize("fmt", sorted(MAGIC))
def test_every_format_saves_by_extension(tmp_path, fmt):
    path = tmp_path / ("code." + fmt.upper())
    lumtar32.save(path, "4006381333931", font="bold")
    assert path.read_bytes().startswith(MAGIC[fmt])
    with pytest.raises(ValueError, match="fits none"):
        lumtar32.save(tmp_path / ("none." + fmt), "abc", types=Type.EAN13)
    assert not (tmp_path / ("none." + fmt)).exists()


def test_png_decodes_and_options_matter(tmp_path):
    png = lumtar32.render("12345670", size=(400, 160), dpi=200)
    assert struct.unpack(">II", png[16:24]) == (400, 160)
    assert png != lumtar32.render("12345670", size=(400, 160), dpi=200, font=("Liberation Sans", 12, 700))
    assert lumtar32.render("1234", "svg", narrow=2, wide=5) != lumtar32.render("1234", "svg")
    if shutil.which("zbarimg"):
        (tmp_path / "ean8.png").write_bytes(png)
        out = subprocess.run(["zbarimg", "-q", "--raw", str(tmp_path / "ean8.png")], capture_output=True, text=True)
        assert out.stdout.strip() == "12345670"


@pytest.mark.parametrize("call, message", [
    (lambda: lumtar32.render("1", "gif"), "format 'gif'"),
    (lambda: lumtar32.render("1", size=(0, 10)), "size"),
    (lambda: lumtar32.render("1", "wmf", size=(32768, 10)), "32767"),
    (lambda: lumtar32.render("1", font="italic"), "font 'italic'"),
    (lambda: lumtar32.render("1", font=("x" * 32, 8)), "31 characters"),
    (lambda: lumtar32.save("code.txt", "1"), "extension"),
])
def test_bad_arguments(call, message):
    with pytest.raises(ValueError, match=message):
        call()


def _zbar(tmp_path, picture, suffix="png"):
    (tmp_path / ("p." + suffix)).write_bytes(picture)
    out = subprocess.run(["zbarimg", "-q", "--raw", str(tmp_path / ("p." + suffix))], capture_output=True, text=True)
    return out.stdout.splitlines()


@pytest.mark.parametrize("text, options, data", [
    ("4006381333931+12", dict(module=0.33, quiet_zones=True, indicators=True), "4006381333931"),
    ("12345670", dict(magnification=150, rotate=90, ink="1F3A93", paper="none"), "12345670"),
    ("1234567890128", dict(types=Type.ITF14, module=0.5, bearer="bars"), "12345678901286"),
    ("CODE 39", dict(module=0.25, bwr=0.05, text_font="DejaVu Sans", text_size=3, padding=(2, 1)), "CODE 39"),
])
def test_print_options(tmp_path, text, options, data):
    picture = lumtar32.render(text, "png", **options)
    if shutil.which("zbarimg"):
        assert data in _zbar(tmp_path, picture)


def test_print_defaults_are_the_plain_picture_and_refusals_name_the_option():
    assert lumtar32.render("4006381333931+12", "bmp") != lumtar32.render("4006381333931", "bmp")
    for options, message in [(dict(bwr=0.33, module=0.33), "bwr"), (dict(rotate=45), "rotate"),
                             (dict(module=0.33, size=(10, 10)), "one of them"), (dict(paper="none"), "paper"),
                             (dict(ink="blue"), "ink")]:
        with pytest.raises(ValueError, match=message):
            lumtar32.render("4006381333931", "bmp", **options)
