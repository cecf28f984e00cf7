#!/usr/bin/env python3
"""Weighs the parts of a linked program from the linker's map file.

    size-by-part.py <program.map> [<program.exe>]

Counts the bytes each input contributes to the sections that load into memory and stay
in a stripped file (code, read-only data, data, unwind tables), grouped by part: our own
code, SQLite, libjpeg, the C++ library (libstdc++ with libgcc), the C run-time and
start-up code of mingw-w64, and the import stubs of the system DLLs. Padding between
inputs is counted with the input before it. With the program given, also prints its
file size and what the sections of the file take.
"""
import os
import re
import subprocess
import sys

LOADED = ('.text', '.rdata', '.data', '.eh_frame', '.pdata', '.xdata', '.CRT', '.tls', '.idata')

PARTS = [
    ('SQLite', re.compile(r'libsqlite3\.a')),
    ('libjpeg', re.compile(r'libjpeg\.a')),
    ('C++ library', re.compile(r'libstdc\+\+|libsupc\+\+|libgcc|libgcc_eh|crtbegin|crtend')),
    ('import stubs', re.compile(r'lib(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|uuid|uxtheme'
                                r'|advapi32|winspool|version|ntdll|msvcrt[a-z0-9]*|api-ms-[^/]*)\.a')),
    ('C run-time', re.compile(r'libmingw|libmoldname|libpthread|libwinpthread|crt2|dllcrt|/lib/crt|libmsvcrt')),
    ('our code', re.compile(r'qel_|CMakeFiles')),
]

INPUT = re.compile(r'^ (\.[\w.$]+)?\s*(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$')
OUTPUT = re.compile(r'^(\.[\w.$]+)\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)')


def part_of(path):
    for name, pattern in PARTS:
        if pattern.search(path):
            return name
    return 'other'


def weigh(map_path):
    sizes = {}
    section = None
    pending = None  # an input section name alone on its line; its numbers follow
    with open(map_path, errors='replace') as f:
        for line in f:
            out = OUTPUT.match(line)
            if out:
                section = out.group(1) if out.group(1) in LOADED else None
                continue
            if section is None:
                continue
            if re.match(r'^ \.[\w.$]+$', line.rstrip()):
                pending = True
                continue
            m = INPUT.match(line)
            if m and (m.group(1) or pending):
                pending = None
                size = int(m.group(3), 16)
                if size:
                    key = part_of(m.group(4))
                    sizes[key] = sizes.get(key, 0) + size
    return sizes


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sizes = weigh(sys.argv[1])
    total = sum(sizes.values())
    print('%-14s %10s %7s' % ('part', 'bytes', 'share'))
    for name, size in sorted(sizes.items(), key=lambda kv: -kv[1]):
        print('%-14s %10d %6.1f%%' % (name, size, 100.0 * size / total))
    print('%-14s %10d' % ('loaded total', total))
    if len(sys.argv) > 2:
        exe = sys.argv[2]
        print('%-14s %10d  (%.2f MiB)' % ('file', os.path.getsize(exe), os.path.getsize(exe) / 1048576))


if __name__ == '__main__':
    main()
