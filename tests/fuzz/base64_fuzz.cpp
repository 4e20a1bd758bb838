// BASE64: the program's coder and the system's agree, decoding undoes encoding, and any
// text decodes without harm.
#include "engine/base64.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    ByteSetVar bytes = BytesOf(data, n);
    TextVar encoded = Base64Encode(bytes);
    FUZZ_CHECK(S(Base64EncodeSystem(bytes)) == S(encoded));
    // The system decoder drops trailing zero bytes; the program's own keeps every byte.
    std::string expected = S(StripTrailingZeros(bytes));
    FUZZ_CHECK(S(Base64Decode(encoded)) == S(bytes));
    FUZZ_CHECK(S(Base64DecodeSystem(BytesOf(reinterpret_cast<const uint8_t*>(encoded.c_str()), strlen(encoded.c_str())))) == expected);
    TextVar t = TextOf(data, n);
    Base64Decode(t);
    Base64DecodeSystem(BytesOf(data, n));
    return 0;
}
