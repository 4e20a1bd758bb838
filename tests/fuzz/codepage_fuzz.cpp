// Code pages and text files: GBK, UTF-8, UTF-16 and BIG5 in every direction on any bytes.
#include "engine/big5.h"
#include "engine/codepage.h"
#include "engine/gbk_to_utf8.h"
#include "engine/text_file.h"
#include "fuzz_support.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    TextVar t = TextOf(data, n);
    std::string viaUnits = S(UnitsToGbk(GbkToUnits(t)));
    // Through UTF-8 or through UTF-16: the same text comes back; all of it when it is GBK.
    TextVar utf8 = GbkToUtf8(t);
    FUZZ_CHECK(S(Utf8ToGbk(utf8)) == viaUnits);
    FUZZ_CHECK(S(UnitsToUtf8(GbkToUnits(t))) == S(utf8));
    FUZZ_CHECK(S(UnitsToGbk(Utf8ToUnits(utf8))) == viaUnits);
    // Well-formed UTF-8 comes back as it was from its units.
    std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), n));
    ByteSetVar utf8Bytes = BytesOf(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    ByteSetVar units = Utf8BytesToUtf16(utf8Bytes);
    if (IsValidUtf8(utf8Bytes.data(), text.size())) FUZZ_CHECK(S(Utf16BytesToUtf8(units)) == text);
    // Sliced where CodePageSliceEnd says, the conversion is the one of the whole.
    const uint8_t* p = reinterpret_cast<const uint8_t*>(t.c_str());
    int32_t length = static_cast<int32_t>(strlen(t.c_str()));
    std::string sliced;
    for (int32_t at = 0; at < length;) {
        int32_t end = CodePageSliceEnd(p, at, length);
        FUZZ_CHECK(end > at && end <= length);
        TextVar part = TextOf(p + at, end - at);
        sliced += S(UnitsToGbk(GbkToUnits(part)));
        at = end;
    }
    FUZZ_CHECK(sliced == viaUnits);
    // A file's bytes read in each encoding; UTF-8 found by itself is written back as it was.
    for (TextEncoding asked : {TextEncoding::kAuto, TextEncoding::kGbk, TextEncoding::kUtf8, TextEncoding::kUtf16Le}) {
        ByteSetVar read;
        TextEncoding found;
        if (!DecodeText(data, n, asked, &read, &found)) continue;
        if (asked == TextEncoding::kAuto && (found == TextEncoding::kUtf8 || found == TextEncoding::kUtf8Bom) && !read.empty())
            FUZZ_CHECK(S(EncodeText(read, found)) == std::string(reinterpret_cast<const char*>(data), n));
    }
    // Any bytes in one pass, zero bytes too, as the two calls convert them.
    std::vector<uint8_t> room(GbkToUtf8Room(n));
    int64_t m = GbkBytesToUtf8(data, n, room.data());
    ByteSetVar all;
    DecodeTextBody(data, n, TextEncoding::kGbk, &all);
    FUZZ_CHECK(m >= 0 && std::string(room.begin(), room.begin() + m) == S(EncodeText(all, TextEncoding::kUtf8)));
    Big5ToGbk(t);
    GbkToBig5(t);
    SimplifiedToBig5(t);
    Big5ToSimplified(t);
    return 0;
}
