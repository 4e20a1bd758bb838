// Digests, CRC-32 and RC4: fixed-size results, CRC-32 in pieces as in one, RC4 undone by
// itself with any key.
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    ByteSetVar bytes = BytesOf(data, n);
    const struct {
        TextVar (*digest)(const ByteSetVar&);
        size_t hexLength;
    } digests[] = {{Md2Hex, 32}, {Md4Hex, 32}, {Md5Hex, 32}, {Sha1Hex, 40}, {Sha256Hex, 64}, {Sha512Hex, 128}};
    for (const auto& d : digests) FUZZ_CHECK(strlen(d.digest(bytes)) == d.hexLength);
    size_t cut = n ? data[0] % (n + 1) : 0;
    uint32_t whole = Crc32Update(0xFFFFFFFFu, data, n);
    FUZZ_CHECK(Crc32Update(Crc32Update(0xFFFFFFFFu, data, cut), data + cut, n - cut) == whole);
    FUZZ_CHECK(S(Crc32Hex(bytes)) == (n ? S(Crc32Text(whole)) : ""));
    TextVar key = TextOf(data, cut);
    FUZZ_CHECK(S(Rc4Crypt(Rc4Crypt(bytes, key), key)) == S(bytes) || key.empty());
    TextVar t = TextOf(data, n);
    Md5Utf8Hex(t);
    DigestBlock(t);
    return 0;
}
