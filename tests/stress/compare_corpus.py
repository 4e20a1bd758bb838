#!/usr/bin/env python3
"""The differential corpus gives byte-identical results in both locales and on both builds.

usage: compare_corpus.py BUILD_DIR
Compares BUILD_DIR/tests/corpus-zh.txt with corpus-en.txt, and with the other build's files
(build/i686 beside build/x86_64) when that build has written them since its last link.
Exit 77 (skipped) only when no pair could be compared.
"""
import os
import sys


def load(path):
    with open(path, 'rb') as f:
        return f.read().splitlines()


def describe(line):
    name, data, result = line.split(b' ')
    return '%s(%s) -> %s' % (bytes.fromhex(name.decode()).decode('gbk'), data[:80].decode(), result[:80].decode())


def compare(a_path, b_path):
    a, b = load(a_path), load(b_path)
    if len(a) != len(b):
        # The same sources always give the same count: the other file is from other sources.
        print('%s has %d results, %s has %d: made from other sources, not compared (scripts/test.sh '
              'builds both first)' % (a_path, len(a), b_path, len(b)))
        return None
    differences = [(x, y) for x, y in zip(a, b) if x != y]
    for x, y in differences[:10]:
        print('DIFFERENT:\n  %s\n  %s' % (describe(x), describe(y)))
    print('%s and %s: %d results, %d different' % (a_path, b_path, len(a), len(differences)))
    return not differences


def fresh(build):
    corpus = [os.path.join(build, 'tests', 'corpus-%s.txt' % l) for l in ('zh', 'en')]
    program = os.path.join(build, 'tests', 'test_stress.exe')
    return all(os.path.exists(c) and os.path.getmtime(c) >= os.path.getmtime(program) for c in corpus)


def main():
    build = os.path.abspath(sys.argv[1])
    arch = os.path.basename(build)
    other = os.path.join(os.path.dirname(build), 'x86_64' if arch == 'i686' else 'i686')
    pairs = []
    if fresh(build):
        pairs.append((os.path.join(build, 'tests', 'corpus-zh.txt'), os.path.join(build, 'tests', 'corpus-en.txt')))
        if os.path.isdir(other) and fresh(other):
            for l in ('zh', 'en'):
                pairs.append((os.path.join(build, 'tests', 'corpus-%s.txt' % l),
                              os.path.join(other, 'tests', 'corpus-%s.txt' % l)))
        else:
            print('the %s build has no corpus of its current program: builds not compared' % os.path.basename(other))
    if not pairs:
        print('no corpus of the current program: skipped')
        return 77
    outcomes = [compare(a, b) for a, b in pairs]
    if False in outcomes:
        return 1
    return 0 if True in outcomes else 77


if __name__ == '__main__':
    sys.exit(main())
