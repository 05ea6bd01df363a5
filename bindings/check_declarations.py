"""Every binding declares each export of api/lumtar32.def once per variant,
with the argument count of its stdcall decoration (Name@bytes, 4 bytes each):
a wrong count unbalances the stack of a stdcall caller."""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def exports(first=1, last=999):
    found = re.findall(r"^\s*(\w+)@(\d+)\s+@(\d+)", (ROOT / "api/lumtar32.def").read_text(), re.M)
    return {name: int(size) // 4 for name, size, ordinal in found if first <= int(ordinal) <= last}


def count(parameters, separator=","):
    return len([p for p in parameters.split(separator) if p.strip()])


def pascal_count(parameters):
    # "path, text: PAnsiChar; font: Pointer" declares three.
    return sum(count(group.split(":")[0]) for group in parameters.split(";") if group.strip())


# file, pattern (name, parameters), counter, declarations of each export
BINDINGS = [
    ("bindings/vba/lumtar32.bas", r'Declare (?:PtrSafe )?Function (\w+) Lib "lumtar32\.dll" \(([^)]*)\)', count, 2),
    ("bindings/dotnet/Lumtar32.cs", r"public static extern \w+ (\w+)\(([^)]*)\)", count, 1),
    ("bindings/pascal/lumtar32.pas", r"function (\w+)\(([^)]*)\)[^;]*;\s*\{\$IFDEF MSWINDOWS\}stdcall\{\$ELSE\}cdecl",
     pascal_count, 1),
]


def main():
    expected = exports()
    # The ten of version 1.0 everywhere; the print call (20 on) where a binding has it yet.
    required = exports(last=19)
    assert len(required) == 10, f"api/lumtar32.def lists {len(required)} exports before ordinal 20"
    problems = []
    for path, pattern, counter, variants in BINDINGS:
        declared = re.findall(pattern, (ROOT / path).read_text())
        for name, parameters in declared:
            if name not in expected:
                problems.append(f"{path}: {name} is no export")
            elif counter(parameters) != expected[name]:
                problems.append(f"{path}: {name} takes {counter(parameters)} arguments, the DLL's {expected[name]}")
        for name in expected:
            times = [n for n, _ in declared].count(name)
            if times != variants and (times or name in required):
                problems.append(f"{path}: {name} declared {times} times, not {variants}")
    print("\n".join(problems) or f"{len(BINDINGS)} bindings agree with the {len(expected)} exports")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
