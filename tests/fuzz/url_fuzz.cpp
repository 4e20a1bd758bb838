// URL encoding in GBK and UTF-8: decoding undoes encoding, and any text decodes.
#include "engine/codepage.h"
#include "engine/url_codec.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    TextVar t = TextOf(data, n);
    FUZZ_CHECK(S(UrlDecodeBytes(UrlEncodeBytes(t, false), false)) == S(t));
    // Through UTF-8 a text comes back as its units bring it back.
    FUZZ_CHECK(S(UrlDecodeBytes(UrlEncodeBytes(t, true), true)) == S(UnitsToGbk(GbkToUnits(t))));
    ByteSetVar units = GbkToUnits(t);
    FUZZ_CHECK(S(UrlDecodeUtf8Units(GbkToUnits(UrlEncodeUtf8Units(units)))) == S(Utf16BytesToUnits(units)));
    UrlDecodeBytes(t, false);
    UrlDecodeBytes(t, true);
    UrlDecodeUtf8Units(BytesOf(data, n & ~size_t(1)));
    return 0;
}
