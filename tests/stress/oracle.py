#!/usr/bin/env python3
"""The differential corpus against Python's standard library as an independent oracle.

usage: oracle.py CORPUS_FILE
Each oracle checks the results of one routine on the inputs it is defined for (a decoder's
oracle only on input the library decodes strictly); a difference is a failure unless an
expected exception below explains it.
"""
import base64
import binascii
import hashlib
import html
import re
import sys
import urllib.parse
import zlib


def as_text(b):
    """A byte-set result as the output box shows it: up to the first zero byte."""
    return b.split(b'\0')[0]


def url_quote(b):
    # Letters, digits, "-" and "." stay; quote also keeps "_" and "~".
    return urllib.parse.quote(b, safe='').replace('_', '%5F').replace('~', '%7E').encode()


def gbk(b):
    return b.decode('gbk')


def digest(name):
    try:
        hashlib.new(name)
    except ValueError:
        return None
    return lambda b: hashlib.new(name, b).hexdigest().encode()


def strict_b64(b):
    return base64.b64decode(b, validate=True) if b else b''


def utf16_text(b):
    return b[:len(b) // 2 * 2].decode('utf-16-le').split('\0')[0]


def char_refs(b):
    if not re.fullmatch(rb'(&#[0-9]{1,5};)+', b):
        raise ValueError('not only references')
    units = [int(n) for n in re.findall(rb'[0-9]+', b)]
    if any(u == 0 or u > 0xFFFF or 0xD800 <= u <= 0xDFFF or 0x80 <= u <= 0x9F for u in units):
        raise ValueError('a unit html.unescape reads otherwise')
    return html.unescape(b.decode('ascii')).encode('utf-16-le')


def refs_of(b):
    t = gbk(b)
    if not t.strip(' '):
        raise ValueError('only spaces')
    u = t.encode('utf-16-le')
    return ''.join('&#%d' % int.from_bytes(u[i:i + 2], 'little') for i in range(0, len(u), 2)).encode()


# routine caption -> function of the input bytes giving the expected output bytes (the units'
# bytes, UTF-16 little-endian, for the routines that write units into the box); raising
# means the oracle does not apply to that input (it is not valid input for the library).
ORACLES = {
    'BASE64加密': lambda b: base64.b64encode(b),
    'BASE64编码A': lambda b: base64.b64encode(b),
    'BASE64解密': lambda b: as_text(strict_b64(b)),
    'BASE64编码B': lambda b: as_text(strict_b64(b)),
    '取MD5': digest('md5'),
    '取sha1': digest('sha1'),
    '取sha256': digest('sha256'),
    '取sha512': digest('sha512'),
    '取MD4': digest('md4'),
    '取MD2': digest('md2'),
    '取MD5(中文)': lambda b: hashlib.md5(gbk(b).encode('utf-8')).hexdigest().encode(),
    '取crc32': lambda b: ('%X' % zlib.crc32(b)).encode() if b else b'',
    'URL加密(GBK)': url_quote,
    'URL解密(GBK)': lambda b: as_text(urllib.parse.unquote_to_bytes(b)),
    'URL加密(UTF8)': lambda b: url_quote(gbk(b).encode('utf-8')),
    # The box's characters: escapes decode as UTF-8, every other character stays itself.
    'URL解密(UTF8)': lambda b: urllib.parse.unquote(gbk(b), errors='strict').encode('utf-16-le'),
    'GB2312一UTF8': lambda b: gbk(b).encode('utf-8'),
    'UTF8一GB2312': lambda b: b.decode('utf-8').encode('utf-16-le'),
    'Ansi一Unicode': lambda b: as_text(gbk(b).encode('utf-16-le')),
    'Unicode一Ansi': lambda b: utf16_text(b).encode('utf-16-le'),
    'Unicode一UTF8': lambda b: as_text(utf16_text(b).encode('utf-8')),
    'UTF8一Unicode': lambda b: as_text(as_text(b).decode('utf-8').encode('utf-16-le')),
    'BIG5到繁体': lambda b: b.decode('cp950').encode('gbk'),
    '繁体到BIG5': lambda b: gbk(b).encode('cp950'),
    'Ansi一Unicode_str': refs_of,
    'Unicode_str一Ansi': char_refs,
}

# (routine, predicate on input and result, reason): differences that are understood.
def malformed_percent(data, result):
    return re.search(rb'%(?![0-9A-Fa-f]{2})|%00', data) is not None


def big5_extension(data, result):
    i = 0
    while i < len(data):
        if data[i] >= 0x81:
            if 0xC6 <= data[i] <= 0xC8:
                return True
            i += 2
        else:
            i += 1
    return False


EXPECTED = [
    ('BIG5到繁体', big5_extension,
     'lead bytes C6 to C8 (the region Big5 left to extensions): Python\'s cp950 maps characters there '
     'that the system\'s code page 950 does not'),
    ('URL解密(GBK)', malformed_percent,
     'a "%" without two hexadecimal digits still makes a byte (a missing digit counts 0, any other '
     'character -2) and "%00" adds nothing; Python keeps such text as it is'),
    ('URL解密(UTF8)', malformed_percent, 'as for URL解密(GBK)'),
]


def main():
    results = {}
    with open(sys.argv[1], 'rb') as f:
        for line in f.read().splitlines():
            name, data, result = line.split(b' ')
            results.setdefault(bytes.fromhex(name.decode()).decode('gbk'), []).append(
                (bytes.fromhex(data.decode()), bytes.fromhex(result.decode())))
    failures = 0
    used = 0
    for routine, oracle in ORACLES.items():
        if oracle is None:
            print('%-20s no oracle: this Python has no such digest' % routine)
            continue
        checked = skipped = excused = 0
        for data, result in results.get(routine, []):
            try:
                want = oracle(data)
            except (ValueError, UnicodeError, binascii.Error):
                skipped += 1
                continue
            checked += 1
            if want == result:
                continue
            reason = next((r for n, p, r in EXPECTED if n == routine and p(data, result)), None)
            if reason:
                excused += 1
                continue
            failures += 1
            if failures <= 20:
                print('DIFFERENT %s(%s):\n  program %s\n  oracle  %s' % (routine, data[:60].hex(), result[:60].hex(), want[:60].hex()))
        used += 1
        print('%-20s %4d checked, %4d not applicable, %3d expected exceptions' % (routine, checked, skipped, excused))
        if checked == 0:
            print('  no input reached this oracle')
            failures += 1
    print('oracle: %d routines checked against the Python standard library, %d unexplained differences' % (used, failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
