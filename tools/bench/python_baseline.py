#!/usr/bin/env python3
"""Times the Python standard library's counterpart of a benchmark routine on an input of the
same kind and size as the benchmark program makes.

    python_baseline.py NAME MB   prints seconds, or nothing when Python has no counterpart
"""
import base64
import binascii
import codecs
import hashlib
import re
import sys
import time
import urllib.parse
import zlib

PIECES = ["hello ", "中文", "编码", "转换 ", "data-2024 ", "測試", "，", "abc_XYZ.",
          "文汇通", "%&= ", "简体繁體 ", "42 "]


def mixed(n):
    """Mixed Chinese and ASCII text, about n bytes in GBK (the same pieces as the bench)."""
    out, size, x = [], 0, 12345
    while size < n:
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        p = PIECES[(x >> 16) % len(PIECES)]
        out.append(p)
        size += len(p.encode('gbk', 'replace'))
    return ''.join(out)


def script_escape(s):
    """The nearest standard-library work to escape(): every character but the kept ones
    percent-encoded (as UTF-8 bytes rather than %uXXXX)."""
    return urllib.parse.quote(s, safe='@*_+-./')


def script_unescape(s):
    return re.sub(r'%u([0-9A-Fa-f]{4})|%([0-9A-Fa-f]{2})', lambda m: chr(int(m.group(1) or m.group(2), 16)), s)


def refs_decode(s):
    return re.sub(r'&#(\d+)', lambda m: chr(int(m.group(1)) & 0xFFFF), s)


# name: (input maker from MB bytes, operation)
def ops(n):
    # Inputs are made on demand: only the one routine's input is built.
    text = lambda: mixed(n)
    gbk = lambda: text().encode('gbk', 'replace')
    u8 = lambda: text().encode('utf-8')
    b64 = lambda: base64.b64encode(gbk()[:n // 4 * 3])
    utf16 = lambda: ('中文编码转换测试' * (n // 16 + 1)).encode('utf-16-le')[:n]
    return {
        'url_encode_gbk': (gbk, lambda b: urllib.parse.quote_from_bytes(b, safe='-.')),
        'url_decode_gbk': (lambda: urllib.parse.quote_from_bytes(gbk()[:n // 3]), urllib.parse.unquote_to_bytes),
        'url_encode_utf8': (u8, lambda b: urllib.parse.quote_from_bytes(b, safe='-.')),
        'url_decode_utf8': (lambda: urllib.parse.quote_from_bytes(u8()[:n // 3]), urllib.parse.unquote_to_bytes),
        'base64_encode': (gbk, base64.b64encode),
        'base64_decode': (b64, base64.b64decode),
        'base64_encode_system': (gbk, base64.b64encode),
        'base64_decode_system': (b64, base64.b64decode),
        'big5_to_gbk': (lambda: text().encode('big5', 'replace'), lambda b: b.decode('big5', 'replace').encode('gbk', 'replace')),
        'gbk_to_big5': (gbk, lambda b: b.decode('gbk').encode('big5', 'replace')),
        'gbk_to_utf8': (gbk, lambda b: b.decode('gbk').encode('utf-8')),
        'utf8_to_gbk': (lambda: u8()[:n * 2 // 3], lambda b: b.decode('utf-8', 'replace').encode('gbk', 'replace')),
        'ansi_to_unicode': (gbk, lambda b: b.decode('gbk').encode('utf-16-le')),
        'unicode_to_ansi': (utf16, lambda b: b.decode('utf-16-le', 'replace').encode('gbk', 'replace')),
        'unicode_to_utf8': (utf16, lambda b: b.decode('utf-16-le', 'replace').encode('utf-8')),
        'utf8_to_unicode': (lambda: u8()[:n * 2 // 3], lambda b: b.decode('utf-8', 'replace').encode('utf-16-le')),
        'text_to_char_refs': (text, lambda s: ''.join('&#%d' % ord(c) for c in s)),
        'char_refs_to_text': (lambda: ''.join('&#%d' % ord(c) for c in mixed(n // 4)), refs_decode),
        'md5': (gbk, lambda b: hashlib.md5(b).hexdigest()),
        'md5_utf8': (gbk, lambda b: hashlib.md5(b.decode('gbk').encode('utf-8')).hexdigest()),
        'sha1': (gbk, lambda b: hashlib.sha1(b).hexdigest()),
        'sha256': (gbk, lambda b: hashlib.sha256(b).hexdigest()),
        'sha512': (gbk, lambda b: hashlib.sha512(b).hexdigest()),
        'crc32': (gbk, lambda b: '%08X' % zlib.crc32(b)),
        'hex_digits_to_text': (lambda: binascii.hexlify(gbk()[:n // 3], ' ').upper(), lambda b: bytes.fromhex(b.decode())),
        'binary_digits_to_text': (lambda: ''.join(format(c, '08b') for c in gbk()[:n // 8]),
                                  lambda s: int(s, 2).to_bytes(len(s) // 8, 'big')),
        'script_escape': (text, script_escape),
        'script_unescape': (lambda: ''.join('%%u%04X' % ord(c) for c in mixed(n // 4)), script_unescape),
        'upper_case': (gbk, bytes.upper),
        'lower_case': (gbk, bytes.lower),
        'text_to_digits': (gbk, lambda b: (binascii.hexlify(b, ' '), ''.join(format(c, '08b') for c in b))),
    }


def main():
    name, mb = sys.argv[1], float(sys.argv[2])
    n = int(mb * 1024 * 1024)
    table = ops(n)
    if name not in table:
        return
    make, op = table[name]
    data = make()
    t0 = time.perf_counter()
    op(data)
    print('%.4f' % (time.perf_counter() - t0))


if __name__ == '__main__':
    main()
