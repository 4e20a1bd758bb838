#!/usr/bin/env python3
"""The native build's corpus against the Windows build's: byte for byte the same results.

usage: compare_windows_corpus.py NATIVE_CORPUS WINDOWS_CORPUS
Exit 77 (skipped) when the Windows suite has not written its corpus (scripts/test.sh runs
it before the native tests).
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'stress'))
from compare_corpus import compare  # noqa: E402

native, windows = sys.argv[1], sys.argv[2]
if not os.path.exists(windows):
    print(f'{windows} is missing: run the Windows suite first (scripts/test.sh)')
    sys.exit(77)
sys.exit(0 if compare(native, windows) else 1)
