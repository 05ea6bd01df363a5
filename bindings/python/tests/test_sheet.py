"""lumtar32.sheet against the built library: records onto a sheet of labels."""

import shutil
import subprocess
import zlib

import pytest

import lumtar32
from lumtar32 import _sheet

pytestmark = pytest.mark.skipif(not _sheet.HAS_SHEET, reason="label sheets are liblumtar32.so's")


def test_records_copies_and_refusals(tmp_path):
    said = []
    rows = [{"code": "4006381333931", "copies": 22, "title": "Pencil"}, {"code": "x!", "copies": 1, "title": "?"}]
    pdf = lumtar32.sheet(rows, "L7160", lines=[("title", 8, "above")], types=lumtar32.Type.EAN13, messages=said)
    assert pdf.startswith(b"%PDF-") and "line 3: 'x!' fits none of the types" in said
    path = tmp_path / "s.pdf"
    assert lumtar32.sheet(["96385074"], None, path, grid=(2, 3), page="letter", skip=5) is None
    if shutil.which("pdfinfo"):
        info = subprocess.run(["pdfinfo", "-"], input=pdf, capture_output=True).stdout.decode()
        assert [l.split() for l in info.splitlines() if l.startswith("Pages:")] == [["Pages:", "2"]]  # 22 labels
        assert "612 x 792 pts" in subprocess.run(["pdfinfo", str(path)], capture_output=True).stdout.decode()


def test_black_as_k_alone():
    pdf = lumtar32.sheet(["4006381333931"], "Zweckform 3474", cmyk=True)
    content = zlib.decompress(pdf.split(b"/FlateDecode >>\nstream\n")[1])  # the page's, before the face's
    assert b"0 0 0 1 k" in content and b" rg" not in content


def test_templates_and_bad_options():
    assert ("Avery 5160", "Address labels 2 5/8 x 1 in, 3 x 10", "Letter") in lumtar32.templates()
    with pytest.raises(ValueError, match="no template"):
        lumtar32.sheet(["96385074"], "Avery 99999")
    with pytest.raises(ValueError, match="column"):
        lumtar32.sheet(["96385074"], lines=["price"])
