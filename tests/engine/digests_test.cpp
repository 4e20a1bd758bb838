// Digests: the published test suites, the provider choices and the one-click digest block.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "runtime/command_args.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
ByteSetVar DigestInput(const std::string& bytes) {
    ByteSetVar b(bytes.empty() ? nullptr : NewByteSetBlock(static_cast<int32_t>(bytes.size())));
    if (!bytes.empty()) memcpy(b.data(), bytes.data(), bytes.size());
    return b;
}

const char kAtoZ[] = "abcdefghijklmnopqrstuvwxyz";
const char kAlnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const char kTwoBlock[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const char kTwoBlock512[] =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

typedef TextVar (*HexDigest)(const ByteSetVar&);
struct DigestVector {
    const char* name;
    HexDigest digest;
    std::string input;
    const char* expected;
};
}  // namespace

TEST_CASE("digests: published test vectors, lower-case hex") {
    const std::string eighty = std::string("1234567890") + "1234567890" + "1234567890" + "1234567890" +
                               "1234567890" + "1234567890" + "1234567890" + "1234567890";
    const std::string million(1000000, 'a');
    const DigestVector vectors[] = {
        // RFC 1319
        {"md2", Md2Hex, "", "8350e5a3e24c153df2275c9f80692773"},
        {"md2", Md2Hex, "a", "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
        {"md2", Md2Hex, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
        {"md2", Md2Hex, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
        {"md2", Md2Hex, kAtoZ, "4e8ddff3650292ab5a4108c3aa47940b"},
        {"md2", Md2Hex, kAlnum, "da33def2a42df13975352846c30338cd"},
        {"md2", Md2Hex, eighty, "d5976f79d83d3a0dc9806c3c66f3efd8"},
        // RFC 1320
        {"md4", Md4Hex, "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
        {"md4", Md4Hex, "a", "bde52cb31de33e46245e05fbdbd6fb24"},
        {"md4", Md4Hex, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
        {"md4", Md4Hex, "message digest", "d9130a8164549fe818874806e1c7014b"},
        {"md4", Md4Hex, kAtoZ, "d79e1c308aa5bbcdeea8ed63df412da9"},
        {"md4", Md4Hex, kAlnum, "043f8582f241db351ce627e153e7f0e4"},
        {"md4", Md4Hex, eighty, "e33b4ddc9c38f2199c3e7b164fcc0536"},
        // RFC 1321
        {"md5", Md5Hex, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {"md5", Md5Hex, "a", "0cc175b9c0f1b6a831c399e269772661"},
        {"md5", Md5Hex, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"md5", Md5Hex, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"md5", Md5Hex, kAtoZ, "c3fcd3d76192e4007dfb496cca67e13b"},
        {"md5", Md5Hex, kAlnum, "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"md5", Md5Hex, eighty, "57edf4a22be3c955ac49da2e2107b67a"},
        // FIPS 180
        {"sha1", Sha1Hex, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"sha1", Sha1Hex, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"sha1", Sha1Hex, kTwoBlock, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"sha1", Sha1Hex, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {"sha256", Sha256Hex, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"sha256", Sha256Hex, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"sha256", Sha256Hex, kTwoBlock, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"sha256", Sha256Hex, million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"sha512", Sha512Hex, "",
         "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
         "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e"},
        {"sha512", Sha512Hex, "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
         "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {"sha512", Sha512Hex, kTwoBlock,
         "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c335"
         "96fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445"},
        {"sha512", Sha512Hex, kTwoBlock512,
         "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
         "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909"},
        {"sha512", Sha512Hex, million,
         "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
         "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
        // The GBK bytes of 中文, D6 D0 CE C4.
        {"md2", Md2Hex, "\xD6\xD0\xCE\xC4", "96bf1c0e17419e5ebd2211cedb903f1b"},
        {"md4", Md4Hex, "\xD6\xD0\xCE\xC4", "ade9e85f2e985d455b7ace8ad5375262"},
        {"md5", Md5Hex, "\xD6\xD0\xCE\xC4", "bcce109775e8e1972e9f5fcda3e12895"},
        {"crc32", Crc32Hex, "123456789", "CBF43926"},
        {"crc32", Crc32Hex, million, "DC25BFBC"},
    };
    const std::pair<std::string, DigestKind> kinds[] = {
        {"md2", DigestKind::kMd2},       {"md4", DigestKind::kMd4},       {"md5", DigestKind::kMd5},
        {"sha1", DigestKind::kSha1},     {"sha256", DigestKind::kSha256}, {"sha512", DigestKind::kSha512},
        {"crc32", DigestKind::kCrc32}};
    for (const DigestVector& v : vectors) {
        CAPTURE(v.name);
        CAPTURE(v.input.substr(0, 40));
        LeakCheck leaks;
        {
            ByteSetVar input = DigestInput(v.input);
            TextVar hex = v.digest(input);
            CHECK(std::string(hex.c_str()) == v.expected);
            // Fed in uneven slices, a stream gives the same text.
            for (const auto& kind : kinds) {
                if (kind.first != v.name) continue;
                DigestStream stream(kind.second);
                const uint8_t* p = reinterpret_cast<const uint8_t*>(v.input.data());
                for (size_t done = 0, step = 1; done < v.input.size(); done += step, step = step * 7 + 3) {
                    step = std::min(step, v.input.size() - done);
                    stream.Add(p + done, step);
                }
                CHECK(std::string(stream.Text().c_str()) == v.expected);
            }
        }
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("digests: the two providers") {
    ByteSetVar abc = DigestInput("abc");
    // The legacy provider gives upper-case digits; the menu routines lower them.
    CHECK(std::string(LegacyDigest(abc, kCalgMd5, 16).c_str()) == "900150983CD24FB0D6963F7D28E17F72");
    CHECK(std::string(LegacyDigest(abc, kCalgSha1, 20).c_str()) ==
          "A9993E364706816ABA3E25717850C26C9CD0D89D");
    // The SHA provider gives the raw digest.
    ByteSetVar raw = ShaDigest(abc, kCalgSha256);
    REQUIRE(raw.size() == 32);
    CHECK(raw.at(1) == 0xBA);
    CHECK(raw.at(32) == 0xAD);
    CHECK(ShaDigest(abc, kCalgSha512).size() == 64);

    // Failures of the service are silent and empty, and leave nothing behind.
    LeakCheck leaks;
    {
        CHECK(LegacyDigest(abc, 0x1234, 16).empty());                 // no such algorithm
        CHECK(LegacyDigest(abc, kCalgSha1, 16).empty());              // buffer smaller than the digest
        CHECK(LegacyDigest(abc, kCalgSha1, 0).empty());
        CHECK(ShaDigest(abc, 0x1234).empty());
    }
    CHECK(leaks.leaked() == 0);
    // A failed call does not spoil the next one.
    CHECK(std::string(Md5Hex(abc).c_str()) == "900150983cd24fb0d6963f7d28e17f72");
}

TEST_CASE("digests: MD5 of the UTF-8 form") {
    struct {
        const char* text;
        const char* gbkMd5;
        const char* utf8Md5;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "900150983cd24fb0d6963f7d28e17f72"},
        {"中文", "bcce109775e8e1972e9f5fcda3e12895", "a7bac2239fcdcb3a067903d8077c4a07"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        CHECK(std::string(Md5Hex(ToByteSet(c.text)).c_str()) == c.gbkMd5);
        CHECK(std::string(Md5Utf8Hex(c.text).c_str()) == c.utf8Md5);
    }
    // A long text is hashed slice by slice: a surrogate pair across a slice's end, and a
    // zero unit that ends the text, give the digest of the whole UTF-8 form.
    std::wstring text;
    while (text.size() < 600000) text += L"中文abc\U0001F600 ";
    ByteSetVar utf8 = ToByteSet(UnitsToUtf8(U(text)));
    for (size_t cut : {size_t(262143), size_t(262144), size_t(262145)}) {
        CAPTURE(cut);
        std::wstring shifted = text.substr(text.size() - cut) + text;
        std::wstring stopped = text + std::wstring(1, L'\0') + L"ignored";
        CHECK(S(Md5Utf8HexUnits(U(shifted))) == S(Md5Hex(ToByteSet(UnitsToUtf8(U(shifted))))));
        CHECK(S(Md5Utf8HexUnits(U(stopped))) == S(Md5Hex(utf8)));
    }
}

TEST_CASE("digests: the digest block of the one-click reports") {
    struct {
        const char* text;
        const char* lines[6];
    } cases[] = {
        {"abc",
         {"取MD5值： 900150983cd24fb0d6963f7d28e17f72\r\n", "取MD4值： a448017aaf21d8525fc10ae87aa6729d\r\n",
          "取MD2值： da853b0d3f88d99b30283a69e6ded6bb\r\n",
          "取SHA1值： a9993e364706816aba3e25717850c26c9cd0d89d\r\n", "取CRC32值： 352441C2\r\n",
          "--------------------------------------------------\r\n"}},
        {"",
         {"取MD5值： d41d8cd98f00b204e9800998ecf8427e\r\n", "取MD4值： 31d6cfe0d16ae931b73c59d7e0c089c0\r\n",
          "取MD2值： 8350e5a3e24c153df2275c9f80692773\r\n",
          "取SHA1值： da39a3ee5e6b4b0d3255bfef95601890afd80709\r\n", "取CRC32值： \r\n",
          "--------------------------------------------------\r\n"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        LeakCheck leaks;
        {
            DigestBlockTexts block = DigestBlock(c.text);
            for (int place = 1; place <= kDigestBlockPlaces; ++place) {
                CAPTURE(place);
                if (place >= 11 && place <= 16)
                    CHECK(std::string(block.at(place)) == c.lines[place - 11]);
                else
                    CHECK(block.places[place - 1].get() == nullptr);
            }
            CHECK(std::string(block.at(0)).empty());
            CHECK(std::string(block.at(19)).empty());
        }
        CHECK(leaks.leaked() == 0);
    }
}
