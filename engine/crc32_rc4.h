// The CRC-32 checksum as hexadecimal text and the RC4 stream cipher.
#pragma once

#include "runtime/variables.h"

// Upper-case hexadecimal without leading zeros (1 to 8 digits); empty for no bytes.
TextVar Crc32Hex(const ByteSetVar& data);
// The same a slice at a time: the register starts as 0xFFFFFFFF, and Crc32Text gives the
// text of the register after the last slice.
uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n);
TextVar Crc32Text(uint32_t crc);

// Encrypts and decrypts alike; the result has the length of data. With the empty key the
// key schedule is skipped and the permutation starts as the identity.
ByteSetVar Rc4Crypt(const ByteSetVar& data, const char* key);
