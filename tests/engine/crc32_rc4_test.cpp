#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/crc32_rc4.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
ByteSetVar Bytes(const std::string& s) {
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(s.size()));
    for (size_t i = 0; i < s.size(); ++i) b.set(static_cast<int32_t>(i + 1), static_cast<uint8_t>(s[i]));
    return b;
}
std::string Str(const ByteSetVar& b) {
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}
std::string AllBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}
}  // namespace

TEST_CASE("CRC-32 as upper-case hexadecimal without leading zeros") {
    struct Case {
        std::string data;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"123456789", "CBF43926"},
        {"abc", "352441C2"},
        {"a", "E8B7BE43"},
        {"ob", "65E3"},
        {"ae", "E7DDCE"},
        {"中", "1068A2B2"},
        {AllBytes(), "29058C73"},
        {std::string("\0", 1), "D202EF8D"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.data));
        ByteSetVar data = Bytes(c.data);
        TextVar out = Crc32Hex(data);
        CHECK(std::string(out.c_str()) == c.expected);
    }
}

TEST_CASE("RC4 with standard keys and with the empty key") {
    struct Case {
        std::string data;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {std::string(8, '\0'), "", "\x02\x05\x07\x0D\x0D\x17\x1F\x28"},
        {"abc", "", "cgd"},
        {"cgd", "", "abc"},
        {"", "Key", ""},
        {"Plaintext", "Key", "\xBB\xF3\x16\xE8\xD9\x40\xAF\x0A\xD3"},
        {"pedia", "Wiki", "\x10\x21\xBF\x04\x20"},
        {"Attack at dawn", "Secret", "\x45\xA0\x1F\x64\x5F\xC3\x5B\x38\x35\x52\x54\x4B\x9B\xF5"},
        {"中文", "密钥", "\xEA\x36\x65\xFD"},
        {AllBytes().substr(0, 32), "\xFF\x01\x80",
         "\xAB\x47\x38\x77\xEA\xDC\xFC\x96\x4F\xB5\x85\x60\x1C\xC8\x94\xD8"
         "\x9A\x23\xED\x26\x0A\x3E\x77\x12\xDC\xFC\xDE\xF7\x0E\xD3\x7F\x10"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.data));
        CAPTURE(c.key);
        ByteSetVar data = Bytes(c.data);
        ByteSetVar out = Rc4Crypt(data, c.key);
        CHECK(Hex(Str(out)) == Hex(c.expected));
        ByteSetVar back = Rc4Crypt(out, c.key);
        CHECK(Hex(Str(back)) == Hex(c.data));
    }
}

TEST_CASE("RC4 gives its input back when applied twice, zero bytes included") {
    std::string data;
    for (int i = 0; i < 5000; ++i) data += static_cast<char>((i * 37) % 256);
    for (const char* key : {"", "k", "a longer key with 中文 in it", "\x80"}) {
        CAPTURE(key);
        ByteSetVar in = Bytes(data);
        ByteSetVar once = Rc4Crypt(in, key);
        CHECK(once.size() == static_cast<int32_t>(data.size()));
        CHECK(Str(once) != data);
        ByteSetVar twice = Rc4Crypt(once, key);
        CHECK(Str(twice) == data);
    }
}

TEST_CASE("a megabyte through CRC-32 and RC4") {
    ByteSetVar big = ZeroByteSet(1 << 20);
    DWORD start = GetTickCount();
    TextVar crc = Crc32Hex(big);
    ByteSetVar enc = Rc4Crypt(big, "key");
    DWORD elapsed = GetTickCount() - start;
    CHECK(std::string(crc.c_str()) == "A738EA1C");
    CHECK(enc.size() == (1 << 20));
    CHECK(elapsed < 2000);
}

TEST_CASE("CRC-32 and RC4 leave no heap blocks behind") {
    LeakCheck leaks;
    {
        for (const char* s : {"", "abc", "中文"}) {
            ByteSetVar data = Bytes(s);
            TextVar crc = Crc32Hex(data);
            ByteSetVar a = Rc4Crypt(data, "");
            ByteSetVar b = Rc4Crypt(data, "key");
        }
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("CRC-32 of every length and alignment agrees with the bit-at-a-time definition") {
    // Lengths about the 16- and 64-byte steps of the folding path and the 64 KB blocks.
    std::string data;
    uint32_t x = 1;
    for (int i = 0; i < 70000; ++i) data += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    auto reference = [](const std::string& s) {
        uint32_t crc = ~0u;
        for (unsigned char c : s) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (crc & 1 ? 0xEDB88320u : 0);
        }
        char hex[9];
        snprintf(hex, sizeof hex, "%X", ~crc);
        return std::string(hex);
    };
    std::vector<size_t> lengths;
    for (size_t n = 1; n <= 200; ++n) lengths.push_back(n);
    for (size_t n : {1023u, 4096u, 65535u, 65536u, 65537u, 65600u, 69999u}) lengths.push_back(n);
    for (size_t n : lengths) {
        for (size_t offset : {0u, 3u}) {
            std::string piece = data.substr(offset, n);
            CAPTURE(n);
            CAPTURE(offset);
            ByteSetVar bytes = Bytes(piece);
            CHECK(std::string(Crc32Hex(bytes).c_str()) == reference(piece));
        }
    }
}
