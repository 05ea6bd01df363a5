"""Every binding declares the exports as the C headers do, for 32-bit and for
x64 Windows: the name, the argument count and which arguments (and result)
are pointer-sized. On 32-bit Windows every argument takes 4 bytes, so the
count must match the stdcall decoration of api/lumtar32.def (Name@bytes): a
wrong count unbalances the caller's stack. On x64 a pointer takes 8 bytes and
an int 4: a pointer declared as a 32-bit integer loses its upper half.

VBA, C# and Pascal declare each of the ten exports of version 1.0 (ordinals
below 20) and the print call of 1.1 (20 on), once per bitness they
serve (VBA: VBA 7 for 32-bit and 64-bit Office with LongPtr, and VB6); Python
declares the ones it calls, which may include functions of liblumtar32.so only
(lumtar32_formats.h)."""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
POINTER, INT = "pointer", "int"


def exports(last=999):
    found = re.findall(r"^\s*(\w+)@(\d+)\s+@(\d+)", (ROOT / "api/lumtar32.def").read_text(), re.M)
    return {name: int(size) // 4 for name, size, ordinal in found if int(ordinal) <= last}


def prototypes():
    """name -> (result kind, argument kinds), from the public headers."""
    found = {}
    for header in sorted((ROOT / "include").glob("lumtar32*.h")):
        text = header.read_text()
        for result, name, parameters in re.findall(r"^LUMTAR_EXPORT ([^;(]*?)LUMTAR_CALL (\w+)\(([^)]*)\)", text, re.M):
            found[name] = (c_kind(result), [c_kind(p) for p in parameters.split(",") if p.strip()])
    return found


def c_kind(declaration):
    return POINTER if "*" in declaration else INT if re.search(r"\b(int|unsigned)\b", declaration) else "?"


def size(kind, bits):
    return bits // 8 if kind == POINTER else 4 if kind == INT else 0


def table(kinds):
    """A kind per type name, matched as a whole word."""
    return lambda text: next((kind for pattern, kind in kinds if re.search(pattern, text)), "?")


vba_kind = table([(r"^ByVal \w+ As (String|LongPtr)$", POINTER), (r"^ByVal \w+ As Long$", INT),
                  (r"^(ByRef )?\w+ As \w+$", POINTER), (r"^LongPtr$", POINTER), (r"^Long$", INT)])
cs_kind = table([(r"^(IntPtr|string|\w+\[\]) \w+$|^(ref|out) ", POINTER), (r"^u?int \w+$", INT),
                 (r"^IntPtr$", POINTER), (r"^int$", INT)])
pascal_kind = table([(r"\b(PAnsiChar|Pointer|PBarRect|TBarDC|PBarPrintStyle|PBarPrintInfo|PLongWord)$", POINTER),
                     (r"\b(LongInt|LongWord)$", INT)])
python_kind = table([(r"^(c_char_p|c_void_p|POINTER\(.*\))$", POINTER), (r"^c_u?int$", INT)])


def vba(text):
    """(bits, name, result, parameters) of each declaration. VBA 7's branch
    holds for 32-bit and 64-bit Office (LongPtr has the pointer's size there);
    the other is VB6 and VBA 6, 32-bit only."""
    vba7, vb6 = re.search(r"^#If VBA7 Then$(.*?)^#Else$(.*?)^#End If$", text, re.M | re.S).groups()
    pattern = r'Declare (?:PtrSafe )?Function (\w+) Lib "lumtar32\.dll" \(([^)]*)\) As (\w+)'
    for branch, widths in ((vba7, (32, 64)), (vb6, (32,))):
        for name, parameters, result in re.findall(pattern, branch):
            for bits in widths:
                yield bits, name, vba_kind(result), [vba_kind(p.strip()) for p in parameters.split(",") if p.strip()]


def csharp(text):
    for result, name, parameters in re.findall(r"public static extern (\w+) (\w+)\(([^)]*)\)", text):
        for bits in (32, 64):
            yield bits, name, cs_kind(result), [cs_kind(p.strip()) for p in parameters.split(",") if p.strip()]


def pascal(text):
    pattern = r"function (\w+)\(([^)]*)\): (\w+);\s*\{\$IFDEF MSWINDOWS\}stdcall\{\$ELSE\}cdecl"
    for name, parameters, result in re.findall(pattern, text):
        kinds = []
        for group in parameters.split(";"):  # "path, text: PAnsiChar" declares two
            names, _, type_name = group.partition(":")
            kinds += [pascal_kind(type_name.strip())] * len([n for n in names.split(",") if n.strip()])
        for bits in (32, 64):
            yield bits, name, pascal_kind(result), kinds


def python(text):
    for name, result, parameters in re.findall(r'_declare\(lib, "(\w+)", (\w+),?([^\n]*(?:\n +[^\n]*)*)\)\n', text):
        kinds = [python_kind(p.strip()) for p in re.split(r",(?![^(]*\))", parameters) if p.strip()]
        for bits in (32, 64):
            yield bits, name, python_kind(result), kinds


# file, reader, declarations of each export of the .def (None: only those it calls)
BINDINGS = [
    ("bindings/vba/lumtar32.bas", vba, 3),
    ("bindings/dotnet/Lumtar32.cs", csharp, 2),
    ("bindings/pascal/lumtar32.pas", pascal, 2),
    ("bindings/python/src/lumtar32/_native.py", python, None),
]


def check(path, declarations, expected, required, headers, variants):
    problems = []
    for bits, name, result, kinds in declarations:
        where = f"{path} ({bits}-bit): {name}"
        if name not in headers or (variants and name not in expected):
            problems.append(f"{where} is no export")
            continue
        want_result, want = headers[name]
        if len(kinds) != len(want):
            problems.append(f"{where} takes {len(kinds)} arguments, the DLL's {len(want)}")
        elif [size(k, bits) for k in [result] + kinds] != [size(k, bits) for k in [want_result] + want]:
            problems.append(f"{where}: result and arguments {[result] + kinds}, the DLL's {[want_result] + want}")
    names = [name for _, name, _, _ in declarations]
    for name in expected if variants else []:
        if names.count(name) != variants and (names.count(name) or name in required):
            problems.append(f"{path}: {name} in {names.count(name)} of its {variants} declarations by bitness")
    return problems


def main():
    expected, headers = exports(), prototypes()
    required = expected  # the ten and the print call, everywhere
    assert len(exports(last=19)) == 10, "api/lumtar32.def lists other than ten exports before ordinal 20"
    problems = [f"include/lumtar32.h: {name} missing or not of {count} arguments"
                for name, count in expected.items() if len(headers.get(name, ("", []))[1]) != count]
    for path, reader, variants in BINDINGS:
        problems += check(path, list(reader((ROOT / path).read_text())), expected, required, headers, variants)
    print("\n".join(problems) or f"{len(BINDINGS)} bindings agree with the {len(expected)} exports, 32-bit and x64")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
