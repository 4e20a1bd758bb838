#include "engine/digests.h"

#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
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

const int32_t kHashSlice = 1024 * 1024;

bool GetHashValue(const HashService& s, uintptr_t hash, uint8_t* buffer, uint32_t* size) {
    return CallDllCommand<int32_t>(s.getParam, hash, kHpHashVal, buffer, size, uint32_t(0)) != 0;
}

void DestroyHash(const HashService& s, uintptr_t hash) { CallDllCommand<int32_t>(s.destroy, hash); }

// A hash of one of the providers, given up however the routine ends: a progress report
// between two slices of data may stop the conversion.
class HashSession {
public:
    HashSession(const HashService& s, uint32_t providerType, uint32_t algorithm) : s_(s) {
        uintptr_t provider = SharedProvider(s, providerType);
        if (!provider || !CreateHash(s, provider, algorithm, &hash_)) hash_ = 0;
    }
    ~HashSession() {
        if (hash_) DestroyHash(s_, hash_);
    }
    HashSession(const HashSession&) = delete;
    HashSession& operator=(const HashSession&) = delete;

    bool ok() const { return ok_ && hash_ != 0; }
    void Add(const uint8_t* bytes, int32_t count) {
        if (ok()) ok_ = CallDllCommand<int32_t>(s_.hashData, hash_, count > 0 ? bytes : &kNoByte,
                                                static_cast<uint32_t>(count), uint32_t(0)) != 0;
    }
    // The data goes to the provider in slices, as many calls as it likes, so that a long
    // input can report progress between them; the digest is that of the whole.
    void Add(const ByteSetVar& data) {
        int32_t n = ByteSetLength(data);
        if (n == 0) Add(&kNoByte, 0);
        for (int32_t start = 0; start < n && ok(); start += kHashSlice) {
            ReportProgress(start, n);
            Add(data.data() + start, n - start < kHashSlice ? n - start : kHashSlice);
        }
    }
    bool Value(uint8_t* buffer, uint32_t* size) {
        if (ok() && GetHashValue(s_, hash_, buffer, size)) return true;
        NoteServiceFailure("系统的摘要服务（CryptoAPI）");
        return false;
    }

private:
    // A provider is acquired once per process and kept: acquiring one costs more than
    // hashing a short text, and a batch of files or a report asks for many hashes.
    static uintptr_t SharedProvider(const HashService& s, uint32_t providerType) {
        static uintptr_t legacy = 0, sha = 0;
        uintptr_t& provider = &s == &kLegacyService ? legacy : sha;
        if (!provider && !Acquire(s, providerType, &provider)) provider = 0;
        return provider;
    }
    const HashService& s_;
    uintptr_t hash_ = 0;  // handles are pointer-sized
    bool ok_ = true;
};

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

namespace {
// The session's digest in upper-case hex, at most digestSize bytes of it.
TextVar LegacyHex(HashSession& session, int32_t digestSize) {
    ByteSetVar value = ZeroByteSet(digestSize);
    uint32_t n = static_cast<uint32_t>(digestSize);
    if (!session.Value(value.data(), &n)) return TextVar();
    int32_t count = n < static_cast<uint32_t>(digestSize) ? static_cast<int32_t>(n) : digestSize;
    return HexDigits(value.data(), count, kUpperDigits);
}
}  // namespace

TextVar LegacyDigest(const ByteSetVar& data, uint32_t algorithm, int32_t digestSize) {
    if (digestSize <= 0) return TextVar();
    HashSession session(kLegacyService, kProvRsaFull, algorithm);
    session.Add(data);
    return LegacyHex(session, digestSize);
}

ByteSetVar ShaDigest(const ByteSetVar& data, uint32_t algorithm) {
    HashSession session(kShaService, kProvRsaAes, algorithm);
    session.Add(data);
    uint32_t n = 0;
    if (!session.Value(nullptr, &n) || n == 0) return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(n));
    if (!session.Value(buffer.data(), &n)) return ByteSetVar();
    return ByteSetLeft(buffer, static_cast<int32_t>(n));
}

TextVar Md2Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd2, 16)); }
TextVar Md4Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd4, 16)); }
TextVar Md5Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgMd5, 16)); }
TextVar Sha1Hex(const ByteSetVar& data) { return ToLower(LegacyDigest(data, kCalgSha1, 20)); }
TextVar Sha256Hex(const ByteSetVar& data) { return ShaHex(data, kCalgSha256); }
TextVar Sha512Hex(const ByteSetVar& data) { return ShaHex(data, kCalgSha512); }

TextVar Md5Utf8Hex(const char* text) { return Md5Utf8HexUnits(GbkToUnits(text)); }

// The MD5 of the units' UTF-8 form (up to their first zero unit), hashed a slice at a time:
// the UTF-8 form of a long text is never held whole.
TextVar Md5Utf8HexUnits(const ByteSetVar& units) {
    HashSession session(kLegacyService, kProvRsaFull, kCalgMd5);
    const uint8_t* p = units.data();
    int32_t n = UnitsBeforeZero(units);
    if (n == 0) session.Add(&kNoByte, 0);
    ByteSetVar utf8;
    for (int32_t start = 0; start < n && session.ok();) {
        ReportProgress(start, n);
        int32_t end = CodePageUnitSliceEnd(p, start, n);
        int32_t m = UnitsToCodePageInto(p + 2 * start, end - start, kCodePageUtf8, &utf8);
        session.Add(utf8.data(), m);
        start = end;
    }
    return ToLower(LegacyHex(session, 16));
}

class DigestStream::Session : public HashSession {
public:
    using HashSession::HashSession;
};

DigestStream::DigestStream(DigestKind kind) : kind_(kind) {
    switch (kind) {
    case DigestKind::kMd2: session_ = new Session(kLegacyService, kProvRsaFull, kCalgMd2); break;
    case DigestKind::kMd4: session_ = new Session(kLegacyService, kProvRsaFull, kCalgMd4); break;
    case DigestKind::kMd5: session_ = new Session(kLegacyService, kProvRsaFull, kCalgMd5); break;
    case DigestKind::kSha1: session_ = new Session(kLegacyService, kProvRsaFull, kCalgSha1); break;
    case DigestKind::kSha256: session_ = new Session(kShaService, kProvRsaAes, kCalgSha256); break;
    case DigestKind::kSha512: session_ = new Session(kShaService, kProvRsaAes, kCalgSha512); break;
    case DigestKind::kCrc32: break;
    }
}

DigestStream::~DigestStream() { delete session_; }

void DigestStream::Add(const uint8_t* bytes, size_t count) {
    if (count == 0) return;
    fed_ = true;
    if (!session_) {
        crc_ = Crc32Update(crc_, bytes, count);
        return;
    }
    for (size_t done = 0; done < count && session_->ok(); done += kHashSlice) {
        size_t left = count - done;
        session_->Add(bytes + done, static_cast<int32_t>(left < size_t(kHashSlice) ? left : kHashSlice));
    }
}

TextVar DigestStream::Text() {
    if (!session_) return fed_ ? Crc32Text(crc_) : TextVar();
    if (!fed_) session_->Add(&kNoByte, 0);
    switch (kind_) {
    case DigestKind::kMd2:
    case DigestKind::kMd4:
    case DigestKind::kMd5: return ToLower(LegacyHex(*session_, 16));
    case DigestKind::kSha1: return ToLower(LegacyHex(*session_, 20));
    default: break;
    }
    uint8_t digest[64];
    uint32_t n = sizeof digest;
    if (!session_->Value(digest, &n)) return TextVar();
    return TrimSpaces(HexDigits(digest, static_cast<int32_t>(n), kLowerDigits));
}

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
