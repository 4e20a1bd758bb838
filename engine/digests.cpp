#include "engine/digests.h"

#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/progress.h"
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

// Provider and hash handles are pointer-sized on 64-bit Windows.
bool Acquire(const HashService& s, uint32_t providerType, uintptr_t* provider) {
    if (CallDllCommand<int32_t>(s.acquire, provider, "", "", providerType, kCryptVerifyContext))
        return true;
    return CallDllCommand<int32_t>(s.acquire, provider, "", "", providerType, uint32_t(0)) != 0;
}

bool CreateHash(const HashService& s, uintptr_t provider, uint32_t algorithm, uintptr_t* hash) {
    return CallDllCommand<int32_t>(s.create, provider, algorithm, uintptr_t(0), uint32_t(0), hash) != 0;
}

// The data goes to the provider in slices, as many calls as it likes, so that a long
// input can report progress between them; the digest is that of the whole.
const int32_t kHashSlice = 1024 * 1024;

bool HashData(const HashService& s, uintptr_t hash, const ByteSetVar& data) {
    int32_t n = ByteSetLength(data);
    if (n == 0)
        return CallDllCommand<int32_t>(s.hashData, hash, &kNoByte, uint32_t(0), uint32_t(0)) != 0;
    for (int32_t start = 0; start < n; start += kHashSlice) {
        ReportProgress(start, n);
        uint32_t count = static_cast<uint32_t>(n - start < kHashSlice ? n - start : kHashSlice);
        if (!CallDllCommand<int32_t>(s.hashData, hash, data.data() + start, count, uint32_t(0))) return false;
    }
    return true;
}

bool GetHashValue(const HashService& s, uintptr_t hash, uint8_t* buffer, uint32_t* size) {
    return CallDllCommand<int32_t>(s.getParam, hash, kHpHashVal, buffer, size, uint32_t(0)) != 0;
}

void DestroyHash(const HashService& s, uintptr_t hash) { CallDllCommand<int32_t>(s.destroy, hash); }

void Release(const HashService& s, uintptr_t provider) {
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
    uintptr_t provider = 0;  // handles are pointer-sized
    if (!Acquire(kLegacyService, kProvRsaFull, &provider)) return TextVar();
    uintptr_t hash = 0;
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
    uintptr_t provider = 0;  // handles are pointer-sized
    if (!Acquire(kShaService, kProvRsaAes, &provider)) return ByteSetVar();
    ByteSetVar digest;
    uintptr_t hash = 0;
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
