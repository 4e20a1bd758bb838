#!/usr/bin/env python3
"""The native build's corpus against the Windows build's: byte for byte the same results.

usage: compare_windows_corpus.py NATIVE_CORPUS WINDOWS_CORPUS
Exit 77 (skipped) when the Windows suite has not written its corpus (scripts/test.sh runs
it before the native tests).

One kind of row is set aside, and counted: the script routines (and the one-click reports
that show them) on a text holding a line break. The Windows build runs them through Wine's
JScript, which reads CR and LF inside a string literal as text; a script engine that keeps
to ECMAScript, and the program's own reading that the native build uses, end the literal
there, and the result is empty.
"""
import os
import sys

SCRIPT_ROUTINES = {'ansi一usc2', 'usc2一ansi', '一键编码(&B)', '一键解码(&J)'}


def rows(path):
    with open(path, 'rb') as f:
        return f.read().splitlines()


def set_aside(line):
    name, data, _ = line.split(b' ')
    text = bytes.fromhex(data.decode())
    return bytes.fromhex(name.decode()).decode('gbk') in SCRIPT_ROUTINES and (b'\r' in text or b'\n' in text)


def main():
    native, windows = sys.argv[1], sys.argv[2]
    if not os.path.exists(windows):
        print(f'{windows} is missing: run the Windows suite first (scripts/test.sh)')
        return 77
    a, b = rows(native), rows(windows)
    if len(a) != len(b):
        print(f'{native} has {len(a)} results, {windows} {len(b)}: made from other sources (scripts/test.sh builds both)')
        return 1
    aside = sum(1 for x in a if set_aside(x))
    differences = [(x, y) for x, y in zip(a, b) if x != y and not set_aside(x)]
    for x, y in differences[:10]:
        print(f'DIFFERENT:\n  native  {x[:160].decode()}\n  Windows {y[:160].decode()}')
    print(f'{len(a)} results, {len(differences)} different; {aside} script rows on text with a line break set aside')
    return 1 if differences else 0


if __name__ == '__main__':
    sys.exit(main())
