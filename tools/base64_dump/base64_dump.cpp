// Writes what this system's BASE64 coder (CryptBinaryToStringA, CryptStringToBinaryA with
// CRYPT_STRING_BASE64) gives for generated inputs, for native.base64 in the Wine suite to
// compare with the native coder. Every record holds its input, so the reader needs no
// generator of its own.
//
// Layout, little-endian: "WHTB641", then records until the end, each
//   uint8 kind (1 encode, 2 decode), uint32 flags, uint32 input length, the input,
//   then for the measuring call and for the call into a buffer of the measured size:
//   int32 result, uint32 size, uint32 output length, the output.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::vector<unsigned char> out;
void Put8(unsigned v) { out.push_back(static_cast<unsigned char>(v)); }
void Put32(unsigned v) {
    for (int i = 0; i < 4; ++i) Put8(v >> (8 * i) & 0xFF);
}
void PutBytes(const void* p, size_t n) {
    Put32(static_cast<unsigned>(n));
    out.insert(out.end(), static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + n);
}

void Encode(const std::string& data, DWORD flags) {
    Put8(1);
    Put32(flags);
    PutBytes(data.data(), data.size());
    DWORD size = 0;
    BOOL ok = CryptBinaryToStringA(reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), flags,
                                   nullptr, &size);
    Put32(ok);
    Put32(size);
    PutBytes("", 0);
    std::vector<char> text(size + 16, '\x55');
    DWORD room = size;
    ok = CryptBinaryToStringA(reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), flags,
                              text.data(), &room);
    Put32(ok);
    Put32(room);
    PutBytes(text.data(), ok ? room : 0);
}

void Decode(const std::string& text) {
    Put8(2);
    Put32(CRYPT_STRING_BASE64);
    PutBytes(text.data(), text.size());
    DWORD size = 0;
    BOOL ok = CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, nullptr, &size,
                                   nullptr, nullptr);
    Put32(ok);
    Put32(size);
    PutBytes("", 0);
    std::vector<BYTE> bytes(size + 16, 0x55);
    DWORD room = size;
    ok = CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, bytes.data(), &room,
                              nullptr, nullptr);
    Put32(ok);
    Put32(room);
    PutBytes(bytes.data(), ok ? room : 0);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: base64_dump OUTPUT\n");
        return 2;
    }
    out.insert(out.end(), {'W', 'H', 'T', 'B', '6', '4', '1'});
    for (unsigned n = 0; n <= 200; ++n) {
        std::string data;
        for (unsigned i = 0; i < n; ++i) data += static_cast<char>((i * 37 + n * 11) & 0xFF);
        for (DWORD flags : {DWORD(CRYPT_STRING_BASE64), DWORD(CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF),
                            DWORD(CRYPT_STRING_BASE64 | CRYPT_STRING_NOCR)})
            Encode(data, flags);
    }
    // Every text of up to four characters from letters, digits of each sextet's edges,
    // padding, white space and a stranger; then longer ones with such characters spread in.
    const char alphabet[] = {'A', 'Q', 'z', '/', '=', ' ', '\r', '\n', '*'};
    const int k = sizeof alphabet;
    for (int length = 1; length <= 4; ++length) {
        int total = 1;
        for (int i = 0; i < length; ++i) total *= k;
        for (int code = 0; code < total; ++code) {
            std::string text;
            for (int i = 0, c = code; i < length; ++i, c /= k) text += alphabet[c % k];
            Decode(text);
        }
    }
    unsigned seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        int length = 5 + i % 90;
        for (int j = 0; j < length; ++j) {
            seed = seed * 1103515245 + 12345;
            unsigned r = seed >> 16;
            text += r % 16 == 0 ? alphabet[r / 16 % k]
                                : "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[r / 16 % 64];
        }
        Decode(text);
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f || fwrite(out.data(), 1, out.size(), f) != out.size() || fclose(f) != 0) {
        fprintf(stderr, "base64_dump: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
