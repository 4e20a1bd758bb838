// MD2, MD4, MD5, SHA-1, SHA-256 and SHA-512 digests from the system's CryptoAPI hash
// service, as lower-case hexadecimal text; the empty text when the service fails.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

const uint32_t kCalgMd2 = 0x8001;
const uint32_t kCalgMd4 = 0x8002;
const uint32_t kCalgMd5 = 0x8003;
const uint32_t kCalgSha1 = 0x8004;
const uint32_t kCalgSha256 = 0x800C;
const uint32_t kCalgSha512 = 0x800E;

TextVar Md2Hex(const ByteSetVar& data);
TextVar Md4Hex(const ByteSetVar& data);
TextVar Md5Hex(const ByteSetVar& data);
TextVar Sha1Hex(const ByteSetVar& data);
TextVar Sha256Hex(const ByteSetVar& data);
TextVar Sha512Hex(const ByteSetVar& data);

// A digest of bytes fed a slice at a time, for data never held whole (a file of any size).
// Text gives what the routine above of the same name gives for all the bytes fed.
enum class DigestKind { kMd2, kMd4, kMd5, kSha1, kSha256, kSha512, kCrc32 };
class DigestStream {
public:
    explicit DigestStream(DigestKind kind);
    ~DigestStream();
    DigestStream(const DigestStream&) = delete;
    DigestStream& operator=(const DigestStream&) = delete;
    void Add(const uint8_t* bytes, size_t count);
    // Once, after the last Add; empty when the system's service failed.
    TextVar Text();

private:
    class Session;
    DigestKind kind_;
    Session* session_ = nullptr;
    uint32_t crc_ = 0xFFFFFFFFu;
    bool fed_ = false;
};

// MD5 of the text's UTF-8 bytes.
TextVar Md5Utf8Hex(const char* text);
// The same on UTF-16 units, which it wraps.
TextVar Md5Utf8HexUnits(const ByteSetVar& units);

// The full RSA provider; the caller knows the digest size. Upper-case hex, empty on failure.
TextVar LegacyDigest(const ByteSetVar& data, uint32_t algorithm, int32_t digestSize);
// The AES provider; the size is asked of the service. The raw digest, empty on failure.
ByteSetVar ShaDigest(const ByteSetVar& data, uint32_t algorithm);

// Eighteen texts of which places 11 to 16 (from 1) hold the MD5, MD4, MD2, SHA-1 and CRC-32
// lines and the separator line, each ending in CR LF; the other places are empty.
const int32_t kDigestBlockPlaces = 18;
struct DigestBlockTexts {
    TextVar places[kDigestBlockPlaces];
    // Place 1..18; "" for an empty one or a place outside the record.
    const char* at(int32_t place) const {
        return place >= 1 && place <= kDigestBlockPlaces ? places[place - 1].c_str() : "";
    }
};
DigestBlockTexts DigestBlock(const char* text);
