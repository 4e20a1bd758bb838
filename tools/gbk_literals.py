#!/usr/bin/env python3
"""Writes a C++ source with its narrow string and character literals in GBK, as octal escapes.

GCC stores the program's literals as GBK by itself (-fexec-charset=GBK); clang has no such
option, so the clang builds (sanitizers, fuzzing) compile this copy instead. Wide and
Unicode literals, raw strings and comments stay as they are. The bytes come from the
system's iconv, the converter GCC uses, so that both compilers store the same bytes.
"""
import os
import subprocess
import sys


def gbk_bytes(chars):
    """Each character's GBK bytes, converted in one iconv call."""
    text = '\n'.join(chars) + '\n'
    out = subprocess.run(['iconv', '-f', 'UTF-8', '-t', 'GBK'], input=text.encode('utf-8'),
                         capture_output=True, check=True).stdout
    return dict(zip(chars, out.split(b'\n')))


def literals(source):
    """Yields (start, end, transcode) spans of the source: literal bodies to transcode or not."""
    i, n = 0, len(source)
    while i < n:
        c = source[i]
        if source.startswith('//', i):
            i = source.find('\n', i)
            i = n if i < 0 else i
        elif source.startswith('/*', i):
            i = source.find('*/', i + 2) + 2
        elif c in '"\'':
            j = i - 1
            while j >= 0 and (source[j].isalnum() or source[j] == '_'):
                j -= 1
            prefix = source[j + 1:i]
            if prefix.endswith('R') and c == '"':
                delim = source[i + 1:source.index('(', i)]
                end = source.index(')' + delim + '"', i) + len(delim) + 2
                i = end
                continue
            k = i + 1
            while source[k] != c:
                k += 2 if source[k] == '\\' else 1
            yield i + 1, k, prefix in ('', )
            i = k + 1
        else:
            i += 1


def main():
    source_path, output_path = sys.argv[1], sys.argv[2]
    source = open(source_path, encoding='utf-8').read()
    spans = [s for s in literals(source) if s[2]]
    wanted = sorted({ch for a, b, _ in spans for ch in source[a:b] if ord(ch) > 127})
    table = gbk_bytes(wanted) if wanted else {}
    out, at = [f'#line 1 "{source_path}"\n'], 0
    for a, b, _ in spans:
        out.append(source[at:a])
        out.append(''.join(''.join(f'\\{byte:03o}' for byte in table[ch]) if ord(ch) > 127 else ch
                           for ch in source[a:b]))
        at = b
    out.append(source[at:])
    os.makedirs(os.path.dirname(os.path.abspath(output_path)), exist_ok=True)
    with open(output_path, 'w', encoding='utf-8') as f:
        f.write(''.join(out))


if __name__ == '__main__':
    main()
