#!/usr/bin/env python3
"""Turns the benchmark's raw lines into one table per build.

    report.py RAW.tsv   (lines: build, name, MB, seconds|timeout|failed, peak, in, out, python seconds)
prints Markdown: per routine the time at each size, MB/s, the growth from the second-largest
size to the largest, the peak heap against input + output, and the ratio to Python."""
import collections
import sys


def main():
    rows = collections.OrderedDict()
    sizes = []
    for line in open(sys.argv[1], encoding='utf-8'):
        f = line.rstrip('\n').split('\t')
        if len(f) < 8:
            continue
        build, name, mb = f[0], f[1], float(f[2])
        if mb not in sizes:
            sizes.append(mb)
        rows.setdefault((build, name), {})[mb] = f[3:]
    sizes.sort()
    big, mid = sizes[-1], (sizes[-2] if len(sizes) > 1 else None)
    head = ['build', 'routine'] + ['t(%g MB) s' % s for s in sizes] + \
           ['MB/s @%g' % (mid or big), 'growth %g/%g' % (big, mid or big), 'peak/(in+out)',
            'Python t(%g MB) s' % (mid or big), 'ours/Python']
    print('| ' + ' | '.join(head) + ' |')
    print('|' + '---|' * len(head))
    for (build, name), by in rows.items():
        cells = [build, name]
        t = {}
        for s in sizes:
            v = by.get(s)
            cells.append(v[0] if v else '')
            try:
                t[s] = float(v[0])
            except (TypeError, ValueError):
                pass
        ref = mid or big
        cells.append('%.1f' % (ref / t[ref]) if t.get(ref) else '')
        cells.append('%.1f' % (t[big] / t[mid]) if mid and t.get(big) and t.get(mid) else '')
        peak = ''
        for s in reversed(sizes):
            v = by.get(s)
            if v and s in t:
                moved = int(v[2]) + int(v[3])
                peak = '%.1f' % (int(v[1]) / moved) if moved else ''
                break
        cells.append(peak)
        v = by.get(ref)
        py = v[4] if v and v[4] not in ('', '-') else ''
        cells.append(py)
        cells.append('%.2f' % (t[ref] / float(py)) if py and t.get(ref) and float(py) > 0 else '')
        print('| ' + ' | '.join(cells) + ' |')


if __name__ == '__main__':
    main()
