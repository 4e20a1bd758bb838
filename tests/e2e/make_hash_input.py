#!/usr/bin/env python3
# A generated file for the 文件哈希 case, and the digest lines hashlib and zlib give for it
# (UTF-8; MD2 and MD4 are not in hashlib). Usage: make_hash_input.py OUTDIR
import hashlib, os, random, sys, zlib

data = random.Random(18).randbytes(3 * 1024 * 1024 + 12345)  # past 1 MB slices, not whole 64 KB pieces
open(os.path.join(sys.argv[1], 'hash_input.bin'), 'wb').write(data)
lines = ['取MD5值： ' + hashlib.md5(data).hexdigest(), '取SHA1值： ' + hashlib.sha1(data).hexdigest(),
         '取CRC32值： %X' % zlib.crc32(data), '取sha256值： ' + hashlib.sha256(data).hexdigest(),
         '取sha512值： ' + hashlib.sha512(data).hexdigest()]
open(os.path.join(sys.argv[1], 'hash_expected.txt'), 'w', encoding='utf-8', newline='').write(
    ''.join(line + '\r\n' for line in lines))
