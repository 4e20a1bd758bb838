#include "engine/digests.h"

#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"

namespace {
const uint32_t kProvRsaFull = 1;
const uint32_t kProvRsaAes = 24;
const uint32_t kCryptVerifyContext = 0xF0000000;
const uint32_t kHpHashVal = 2;

const char kUpperDigits[] = "0123456789ABCDEF";
const char kLowerDigits[] = "0123456789abcdef";
const char kSeparatorLine[] = "--------------------------------------------------\r\n";

// The two providers are reached through entries of their own in the function table.
struct HashService {
    int acquire, create, hashData, getParam, destroy, release;
};
const HashService kLegacyService = {kDllCryptAcquireContextA, kDllCryptCreateHash,
                                    kDllCryptHashData,        kDllCryptGetHashParam,
                                    kDllCryptDestroyHash,     kDllCryptReleaseContext};
const HashService kShaService = {kDllCryptAcquireContextA2, kDllCryptCreateHash2,
                                 kDllCryptHashData2,        kDllCryptGetHashParam2,
                                 kDllCryptDestroyHash,      kDllCryptReleaseContext2};

const uint8_t kNoByte = 0;

bool Acquire(const HashService& s, uint32_t providerType, uint32_t* provider) {
    if (CallDllCommand<int32_t>(s.acquire, provider, "", "", providerType, kCryptVerifyContext))
        return true;
    return CallDllCommand<int32_t>(s.acquire, provider, "", "", providerType, uint32_t(0)) != 0;
}

bool CreateHash(const HashService& s, uint32_t provider, uint32_t algorithm, uint32_t* hash) {
    return CallDllCommand<int32_t>(s.create, provider, algorithm, uint32_t(0), uint32_t(0), hash) != 0;
}

bool HashData(const HashService& s, uint32_t hash, const ByteSetVar& data) {
    const uint8_t* bytes = data.data() ? data.data() : &kNoByte;
    return CallDllCommand<int32_t>(s.hashData, hash, bytes, static_cast<uint32_t>(ByteSetLength(data)),
                                   uint32_t(0)) != 0;
}

bool GetHashValue(const HashService& s, uint32_t hash, uint8_t* buffer, uint32_t* size) {
    return CallDllCommand<int32_t>(s.getParam, hash, kHpHashVal, buffer, size, uint32_t(0)) != 0;
}

void DestroyHash(const HashService& s, uint32_t hash) { CallDllCommand<int32_t>(s.destroy, hash); }

void Release(const HashService& s, uint32_t provider) {
    CallDllCommand<int32_t>(s.release, provider, uint32_t(0));
}

// Two digits a byte, high nibble first, from the given digit text.
TextVar HexDigits(const uint8_t* bytes, int32_t count, const char* digits) {
    if (count <= 0) return TextVar();
    ByteSetVar table = ToByteSet(digits);
    const uint8_t* digit = table.data();
    ByteSetVar out = ZeroByteSet(2 * count);
    uint8_t* w = out.data();
    for (int32_t k = 0; k < count; ++k) {
        w[2 * k] = digit[bytes[k] >> 4];
        w[2 * k + 1] = digit[bytes[k] & 15];
    }
    return ToText(out);
}

TextVar ShaHex(const ByteSetVar& data, uint32_t algorithm) {
    ByteSetVar digest = ShaDigest(data, algorithm);
    if (digest.empty()) return TextVar();
    return TrimSpaces(HexDigits(digest.data(), digest.size(), kLowerDigits));
}
}  // namespace

TextVar LegacyDigest(const ByteSetVar& data, uint32_t algorithm, int32_t digestSize) {
    if (digestSize <= 0) return TextVar();
    uint32_t provider = 0;
    if (!Acquire(kLegacyService, kProvRsaFull, &provider)) return TextVar();
    uint32_t hash = 0;
    if (!CreateHash(kLegacyService, provider, algorithm, &hash)) {
        Release(kLegacyService, provider);
        return TextVar();
    }
    TextVar hex;
    ByteSetVar value = ZeroByteSet(digestSize);
    uint32_t n = static_cast<uint32_t>(digestSize);
    if (HashData(kLegacyService, hash, data) && GetHashValue(kLegacyService, hash, value.data(), &n)) {
        int32_t count = n < static_cast<uint32_t>(digestSize) ? static_cast<int32_t>(n) : digestSize;
        hex = HexDigits(value.data(), count, kUpperDigits);
    }
    DestroyHash(kLegacyService, hash);
    Release(kLegacyService, provider);
    return hex;
}

ByteSetVar ShaDigest(const ByteSetVar& data, uint32_t algorithm) {
    uint32_t provider = 0;
    if (!Acquire(kShaService, kProvRsaAes, &provider)) return ByteSetVar();
    ByteSetVar digest;
    uint32_t hash = 0;
    if (CreateHash(kShaService, provider, algorithm, &hash)) {
        uint32_t n = 0;
        if (HashData(kShaService, hash, data) && GetHashValue(kShaService, hash, nullptr, &n) && n > 0) {
            ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(n));
            if (GetHashValue(kShaService, hash, buffer.data(), &n))
                digest = ByteSetLeft(buffer, static_cast<int32_t>(n));
        }
        DestroyHash(kShaService, hash);
    }
    Release(kShaService, provider);
    return digest;
}

TextVar Md2Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd2, 16)); }
TextVar Md4Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd4, 16)); }
TextVar Md5Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd5, 16)); }
TextVar Sha1Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgSha1, 20)); }
TextVar Sha256Hex(const ByteSetVar& data) { return ShaHex(data, kCalgSha256); }
TextVar Sha512Hex(const ByteSetVar& data) { return ShaHex(data, kCalgSha512); }

TextVar Md5Utf8Hex(const char* text) { return Md5Utf8HexUnits(GbkToUnits(text)); }

TextVar Md5Utf8HexUnits(const ByteSetVar& units) { return Md5Hex(ToByteSet(UnitsToUtf8(units))); }

DigestBlockTexts DigestBlock(const char* text) {
    ByteSetVar bytes = ToByteSet(text);
    DigestBlockTexts block;
    block.places[10] = JoinTexts({"取MD5值： ", Md5Hex(bytes), "\r\n"});
    block.places[11] = JoinTexts({"取MD4值： ", Md4Hex(bytes), "\r\n"});
    block.places[12] = JoinTexts({"取MD2值： ", Md2Hex(bytes), "\r\n"});
    block.places[13] = JoinTexts({"取SHA1值： ", Sha1Hex(bytes), "\r\n"});
    block.places[14] = JoinTexts({"取CRC32值： ", Crc32Hex(bytes), "\r\n"});
    block.places[15] = JoinTexts({kSeparatorLine});
    return block;
}
