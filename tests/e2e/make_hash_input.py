#!/usr/bin/env python3
"""Writes a generated file for the 文件哈希 case and the digest lines Python's hashlib and
zlib give for it (UTF-8). MD2 and MD4 are not in hashlib; the test asks the system for those.
Usage: make_hash_input.py OUTDIR"""
import hashlib
import os
import random
import sys
import zlib

out = sys.argv[1]
# Past three 1 MB slices and not a multiple of 64 KB pieces.
data = random.Random(18).randbytes(3 * 1024 * 1024 + 12345)
with open(os.path.join(out, 'hash_input.bin'), 'wb') as f:
    f.write(data)
lines = [
    '取MD5值： ' + hashlib.md5(data).hexdigest(),
    '取SHA1值： ' + hashlib.sha1(data).hexdigest(),
    '取CRC32值： %X' % zlib.crc32(data),
    '取sha256值： ' + hashlib.sha256(data).hexdigest(),
    '取sha512值： ' + hashlib.sha512(data).hexdigest(),
]
with open(os.path.join(out, 'hash_expected.txt'), 'w', encoding='utf-8', newline='') as f:
    f.write(''.join(line + '\r\n' for line in lines))
