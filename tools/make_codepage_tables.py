#!/usr/bin/env python3
"""The native build's code-page tables, generated from what the Windows functions do.

The input is the output of tools/codepage_dump (run under Wine, kept in the repository as
native/tables/codepages.bin.xz). The output is C++ that native/codepages.cpp reads. The
shapes the native code relies on are checked here, so that a dump that does not fit them
stops the build instead of giving wrong tables:
  - a one-byte sequence gives one unit;
  - a two-byte sequence gives either one unit (a lead byte and its trail) or the two
    bytes' own single units (no pair);
  - a unit gives one byte or a lead byte >= 0x81 and a trail;
  - without best fit, a unit gives its usual bytes or the default '?'.
"""
import argparse
import os
import lzma
import struct
import sys

NOT_A_PAIR = 0xFFFF


def read_dump(path):
    data = lzma.open(path).read() if path.endswith('.xz') else open(path, 'rb').read()
    if data[:6] != b'WHTCP1':
        sys.exit(f'{path}: not a code-page dump')
    count, = struct.unpack_from('<I', data, 6)
    at = 10
    pages = []
    for _ in range(count):
        cp, = struct.unpack_from('<I', data, at)
        at += 4
        wide = [data[at + 3 * u: at + 3 * u + 3] for u in range(65536)]
        at += 3 * 65536
        nobest = [data[at + 4 * u: at + 4 * u + 4] for u in range(65536)]
        at += 4 * 65536
        composite = [data[at + 3 * u: at + 3 * u + 3] for u in range(65536)]
        at += 3 * 65536
        def record(o):
            n = data[o]
            a, b = struct.unpack_from('<HH', data, o + 1)
            return n, (a, b)
        single = [record(at + 5 * i) for i in range(256)]
        at += 5 * 256
        pairs = [record(at + 5 * i) for i in range(126 * 256)]
        at += 5 * 126 * 256
        k, = struct.unpack_from('<I', data, at)
        at += 4
        composed = []
        for i in range(k):
            base, mark, n, b0, b1 = struct.unpack_from('<HHBBB', data, at + 7 * i)
            composed.append((base, mark, n, b0, b1))
        at += 7 * k
        pages.append((cp, wide, nobest, composite, single, pairs, composed))
    cases = []
    for _ in ('upper', 'lower'):
        def mapped(o):
            n = data[o]
            return data[o + 1: o + 1 + n] if n <= 4 else None
        single = [mapped(at + 5 * i) for i in range(256)]
        at += 5 * 256
        pairs = [mapped(at + 5 * i) for i in range(126 * 256)]
        at += 5 * 126 * 256
        cases.append((single, pairs))
    # MB_ERR_INVALID_CHARS: which bytes and pairs the function refuses, at the very end (after
    # the UTF-8 records, which are for the comparison only).
    at = len(data) - count * (256 + 126 * 256)
    for k in range(count):
        refused = data[at: at + 256 + 126 * 256]
        at += 256 + 126 * 256
        pages[k] = pages[k] + (refused,)
    return pages, cases


def decode(to_unit, pair_units, leads, b):
    units, i = [], 0
    while i < len(b):
        if leads[b[i]] and i + 1 < len(b) and pair_units[(b[i] - 0x81) * 256 + b[i + 1]] != NOT_A_PAIR:
            units.append(pair_units[(b[i] - 0x81) * 256 + b[i + 1]])
            i += 2
        else:
            units.append(to_unit[b[i]])
            i += 1
    return units


def case_pairs(gbk, mapped):
    """The unit-to-unit letter case of code page 936's characters, from LCMapStringA."""
    to_unit, pair_units, leads = gbk[0], gbk[1], gbk[2]
    single, pairs = mapped
    found = {}
    sequences = [bytes([b]) for b in range(256)] + [bytes([0x81 + i // 256, i % 256]) for i in range(126 * 256)]
    for source, result in zip(sequences, single + pairs):
        units = decode(to_unit, pair_units, leads, source)
        if result is None:
            sys.exit(f'letter case of {source.hex()}: too long')
        after = decode(to_unit, pair_units, leads, result)
        if len(units) != len(after):
            sys.exit(f'letter case of {source.hex()} changes the number of characters')
        for u, v in zip(units, after):
            if found.setdefault(u, v) != v:
                sys.exit(f'letter case of U+{u:04X} is not one unit')
    return sorted((u, v) for u, v in found.items() if u != v)


def tables(cp, wide, nobest, composite, single, pairs, composed, refused):
    def fail(what):
        sys.exit(f'code page {cp}: {what}: the native tables cannot express this dump')
    to_unit = []
    for b, (n, units) in enumerate(single):
        if n != 1:
            fail(f'byte {b:#x} gives {n} units')
        to_unit.append(units[0])
    pair_units = []
    leads = [False] * 256
    for i, (n, units) in enumerate(pairs):
        lead, trail = 0x81 + i // 256, i % 256
        if n == 1:
            if units[0] == NOT_A_PAIR:
                fail(f'pair {lead:#x} {trail:#x} gives U+FFFF')
            leads[lead] = True
            pair_units.append(units[0])
        elif n == 2 and units == (to_unit[lead], to_unit[trail]):
            pair_units.append(NOT_A_PAIR)
        else:
            fail(f'pair {lead:#x} {trail:#x} gives {n} units {units}')
    from_unit = []
    no_best_fit = bytearray(65536 // 8)
    for u in range(65536):
        n, b0, b1 = wide[u]
        if composite[u] != wide[u]:
            fail(f'U+{u:04X} changes with WC_COMPOSITECHECK')
        if n == 1:
            from_unit.append(b0)
        elif n == 2 and b0 >= 0x81:
            from_unit.append(b0 << 8 | b1)
        else:
            fail(f'U+{u:04X} gives {n} bytes')
        m, c0, c1, used = nobest[u]
        if used:
            if (m, c0) != (1, ord('?')):
                fail(f'U+{u:04X} without best fit is not the default')
            no_best_fit[u // 8] |= 1 << (u % 8)
        elif (m, c0, c1) != (n, b0, b1 if n == 2 else c1):
            fail(f'U+{u:04X} differs without best fit but uses no default')
    double_byte = any(leads)
    # The converters take eight ASCII bytes at a time, as themselves.
    for b in range(0x80):
        if to_unit[b] != b or leads[b] or from_unit[b] != b:
            fail(f'byte {b:#x} is not itself')
    compositions = []
    for base, mark, n, b0, b1 in sorted(composed):
        if n == 1:
            compositions.append((base << 16 | mark, b0))
        elif n == 2 and b0 >= 0x81:
            compositions.append((base << 16 | mark, b0 << 8 | b1))
        else:
            fail(f'U+{base:04X} U+{mark:04X} composes to {n} bytes')
    invalid = bytearray((256 + 126 * 256) // 8)
    for i, n in enumerate(refused):
        if n == 0:
            invalid[i // 8] |= 1 << (i % 8)
    return to_unit, (pair_units if double_byte else None), leads, from_unit, no_best_fit, compositions, invalid


def array(name, ctype, values, per_line=16):
    lines = [f'const {ctype} {name}[{len(values)}] = {{']
    for i in range(0, len(values), per_line):
        lines.append(','.join(str(v) for v in values[i:i + per_line]) + ',')
    lines.append('};')
    return '\n'.join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--dump', required=True)
    parser.add_argument('--output', required=True)
    args = parser.parse_args()
    out = ['// Generated by tools/make_codepage_tables.py from the Windows functions\' own results.',
           '#include "native/codepage_tables.h"', '', 'namespace {']
    entries = []
    pages, cases = read_dump(args.dump)
    gbk = None
    for page in pages:
        cp = page[0]
        to_unit, pair_units, leads, from_unit, no_best_fit, compositions, invalid = tables(*page)
        if cp == 936:
            gbk = (to_unit, pair_units, leads)
        out.append(array(f'kToUnit{cp}', 'uint16_t', to_unit))
        if pair_units:
            out.append(array(f'kPairUnit{cp}', 'uint16_t', pair_units))
        out.append(array(f'kLead{cp}', 'uint8_t', [1 if x else 0 for x in leads]))
        out.append(array(f'kFromUnit{cp}', 'uint16_t', from_unit))
        out.append(array(f'kNoBestFit{cp}', 'uint8_t', list(no_best_fit), 32))
        out.append(array(f'kInvalid{cp}', 'uint8_t', list(invalid), 32))
        out.append(array(f'kComposedPairs{cp}', 'uint32_t', [c[0] for c in compositions] or [0]))
        out.append(array(f'kComposedBytes{cp}', 'uint16_t', [c[1] for c in compositions] or [0]))
        entries.append(f'{{{cp}, kToUnit{cp}, {f"kPairUnit{cp}" if pair_units else "nullptr"}, kLead{cp}, '
                       f'kFromUnit{cp}, kNoBestFit{cp}, kComposedPairs{cp}, kComposedBytes{cp}, {len(compositions)}, kInvalid{cp}}}')
    for name, mapped in zip(('Upper', 'Lower'), cases):
        flat = [x for pair in case_pairs(gbk, mapped) for x in pair]
        out.append(array(f'k{name}Pairs', 'uint16_t', flat))
        out.append(f'const int k{name}PairCount = {len(flat) // 2};')
    out.append('}  // namespace')
    out.append('const CaseTable kUpperCase = {kUpperPairs, kUpperPairCount};')
    out.append('const CaseTable kLowerCase = {kLowerPairs, kLowerPairCount};')
    out.append('')
    out.append(f'const CodePageTable kCodePageTables[] = {{{", ".join(entries)}}};')
    out.append(f'const int kCodePageTableCount = {len(entries)};')
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, 'w') as f:
        f.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
