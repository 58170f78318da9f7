#!/usr/bin/env python3
"""Writes the C++ header of the C64 locations the host side names.

The ROM sources are the one place where a C64 address is written down: the
zero page, pages 2 and 3 and the I/O registers in emulator/roms/include/*.inc,
every routine in ld65's label file. This turns them into constants, so that
C++ which touches VARTAB or the keyboard buffer names the same byte the ROM
uses, and a change to the ROM reaches the host through the build.

    c64_locations.py OUTPUT.h c64.labels INCLUDE.inc...

Equates go into namespace c64 under their ROM names (c64::VARTAB), labels
into c64::rom (c64::rom::disk_load_handoff). An equate the script cannot
evaluate stops the build with its file and line.
"""
import re
import sys

EQUATE = re.compile(r"^\s*([A-Za-z_][A-Za-z0-9_]*)\s*=\s*([^;]+?)\s*(?:;\s*(.*))?$")
TERM = re.compile(r"\$[0-9A-Fa-f]+|%[01]+|[0-9]+|[A-Za-z_][A-Za-z0-9_]*|[-+*/()<>]|\s+")


def evaluate(name, equates, values, pending=()):
    """The value of an equate: numbers in hexadecimal, binary or decimal,
    other names (defined anywhere in the includes), + - * / and parentheses."""
    if name in values:
        return values[name]
    expression, _, where = equates[name]
    if name in pending:
        sys.exit("%s: %s is defined in terms of itself" % (where, name))
    python = []
    pos = 0
    while pos < len(expression):
        match = TERM.match(expression, pos)
        if not match:
            sys.exit("%s: cannot read %r" % (where, expression))
        token = match.group(0)
        pos = match.end()
        if token.isspace():
            continue
        if token.startswith("$"):
            python.append(str(int(token[1:], 16)))
        elif token.startswith("%"):
            python.append(str(int(token[1:], 2)))
        elif token[0].isdigit():
            python.append(str(int(token, 10)))
        elif token[0].isalpha() or token[0] == "_":
            if token not in equates:
                sys.exit("%s: %s is not defined in the includes" % (where, token))
            python.append(str(evaluate(token, equates, values, pending + (name,))))
        elif token == "/":
            python.append("//")
        elif token in "<>":
            sys.exit("%s: byte operators are not supported in %r" % (where, expression))
        else:
            python.append(token)
    values[name] = eval(" ".join(python), {"__builtins__": {}})
    return values[name]


def read_equates(paths):
    """Every NAME = expression of the includes, in the order they stand, each
    with its comment."""
    equates = {}
    for path in paths:
        with open(path) as source:
            for number, line in enumerate(source, 1):
                if line.lstrip().startswith((";", ".")):
                    continue
                match = EQUATE.match(line)
                if not match:
                    continue
                name, expression, comment = match.groups()
                if name.endswith("_INC"):
                    continue  # include guards
                where = "%s:%d" % (path, number)
                if name in equates and equates[name][0] != expression:
                    sys.exit("%s: %s redefined" % (where, name))
                equates[name] = (expression, comment or "", where)
    values = {}
    return {name: (evaluate(name, equates, values), equates[name][1]) for name in equates}


def read_labels(path):
    labels = {}
    with open(path) as listing:
        for line in listing:
            kind, value, name = line.split()
            labels[name.lstrip(".")] = int(value, 16)
    return labels


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    output, label_file, includes = sys.argv[1], sys.argv[2], sys.argv[3:]
    equates = read_equates(includes)
    labels = read_labels(label_file)
    lines = [
        "// The C64 locations of our ROM sources, written by tools/c64_locations.py",
        "// from emulator/roms/include and the ROM link's label file. Do not edit.",
        "#pragma once",
        "#include <stdint.h>",
        "",
        "namespace c64 {",
    ]
    for name, (value, comment) in equates.items():
        note = "  // " + comment if comment else ""
        lines.append("inline constexpr uint16_t %s = 0x%04X;%s" % (name, value, note))
    lines += ["", "namespace rom {"]
    for name in sorted(labels):
        lines.append("inline constexpr uint16_t %s = 0x%04X;" % (name, labels[name]))
    lines += ["}  // namespace rom", "}  // namespace c64", ""]
    text = "\n".join(lines)
    try:
        with open(output) as old:
            if old.read() == text:
                return  # unchanged: nothing that includes it rebuilds
    except OSError:
        pass
    with open(output, "w") as header:
        header.write(text)


if __name__ == "__main__":
    main()
