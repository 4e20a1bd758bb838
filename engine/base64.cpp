#include "engine/base64.h"

#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/message_loop.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kPadding[] = "=";
const uint32_t kCryptStringBase64 = 1;
const uint32_t kCryptStringNoCrlf = 0x40000000;

// Where a byte code stands in the alphabet, looked up once per code and decode.
class AlphabetLookup {
public:
    // True with the 0-based place when the one-byte text of code is in the alphabet.
    bool Find(uint8_t code, uint8_t* place) {
        if (state_[code] == kUnknown) {
            TextVar character = CharFromCode(code);
            int32_t position = FindText(kAlphabet, character, kOmit, false);
            state_[code] = position > 0 ? kFound : kMissing;
            place_[code] = static_cast<uint8_t>(position > 0 ? position - 1 : 0);
        }
        *place = place_[code];
        return state_[code] == kFound;
    }

private:
    enum : uint8_t { kUnknown, kFound, kMissing };
    uint8_t state_[256] = {};
    uint8_t place_[256] = {};
};

const uint8_t kNoByte = 0;
const uint8_t* const kNoBytes = &kNoByte;
}  // namespace

TextVar Base64Encode(const ByteSetVar& bytes) {
    int32_t length = ByteSetLength(bytes);
    if (length == 0) return TextVar();
    int32_t rest = length % 3;
    int32_t groups = (length + 2) / 3;
    ByteSetVar alphabet = ToByteSet(kAlphabet);
    const uint8_t* digit = alphabet.data();
    const uint8_t* in = bytes.data();
    ByteSetVar out = ZeroByteSet(4 * groups);
    uint8_t* w = out.data();
    for (int32_t g = 0; g < groups; ++g) {
        // Past the end the input reads as the zero bytes it is padded with.
        int32_t k = 3 * g;
        int32_t b1 = in[k];
        int32_t b2 = k + 1 < length ? in[k + 1] : 0;
        int32_t b3 = k + 2 < length ? in[k + 2] : 0;
        w[4 * g] = digit[b1 >> 2];
        w[4 * g + 1] = digit[((b1 & 3) << 4) + (b2 >> 4)];
        w[4 * g + 2] = digit[((b2 & 15) << 2) + (b3 >> 6)];
        w[4 * g + 3] = digit[b3 & 63];
    }
    uint8_t pad = static_cast<uint8_t>(CharCode(kPadding));
    if (rest == 1) w[4 * groups - 2] = pad;
    if (rest >= 1) w[4 * groups - 1] = pad;
    return ToText(out);
}

ByteSetVar Base64Decode(const char* text) {
    TextVar cleaned = RemoveSpaces(text);
    cleaned = ReplaceSubText(cleaned, "\r\n", nullptr, kOmit, kOmit, true);
    // The decode reads its own copy, so handlers run by the message pump cannot disturb it.
    ByteSetVar source = ToByteSet(cleaned);
    int32_t length = ByteSetLength(source);
    int32_t groups = (length + 3) / 4;
    if (groups == 0) return ByteSetVar();
    const uint8_t* in = source.data();
    ByteSetVar result = ZeroByteSet(3 * groups);
    AlphabetLookup lookup;
    uint8_t q[4] = {0, 0, 0, 0};
    int32_t stop = 0;
    for (int32_t g = 0; g < groups; ++g) {
        int32_t j = 1;
        for (; j <= 4; ++j) {
            int32_t position = 4 * g + j;
            uint8_t code = position <= length ? in[position - 1] : 0;
            q[j - 1] = code;
            uint8_t place;
            if (!lookup.Find(code, &place)) break;
            q[j - 1] = place;
        }
        stop = j;
        uint8_t* w = result.data();
        w[3 * g] = static_cast<uint8_t>((q[0] * 4) | (q[1] / 16));
        w[3 * g + 1] = static_cast<uint8_t>((q[1] * 16) | (q[2] / 4));
        w[3 * g + 2] = static_cast<uint8_t>((q[2] * 64) | q[3]);
        // A turn of the pump costs some 200 times the decoding of a group; every 4096 groups
        // (well under a millisecond of work) the window stays just as responsive.
        if ((g + 1) % kBase64GroupsPerEventTurn == 0 || g + 1 == groups) ProcessEvents();
    }
    if (stop < 5) {
        int32_t keep = 3 * groups - (5 - stop);
        result = ByteSetLeft(result, keep);
    }
    return result;
}

ByteSetVar StripTrailingZeros(const ByteSetVar& bytes) {
    int32_t length = ByteSetLength(bytes);
    const uint8_t* p = bytes.data();
    while (length > 0 && p[length - 1] == 0) --length;
    return ByteSetLeft(bytes, length);
}

ByteSetVar Base64EncodeSystem(const ByteSetVar& bytes) {
    const uint8_t* data = bytes.data() ? bytes.data() : kNoBytes;
    uint32_t count = static_cast<uint32_t>(ByteSetLength(bytes));
    uint32_t flags = kCryptStringBase64 | kCryptStringNoCrlf;
    uint32_t size = 0;
    if (!CallDllCommand<int32_t>(kDllCryptBinaryToStringA, data, count, flags,
                                 static_cast<char*>(nullptr), &size) ||
        size == 0)
        return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(size));
    CallDllCommand<int32_t>(kDllCryptBinaryToStringA, data, count, flags,
                            reinterpret_cast<char*>(buffer.data()), &size);
    return StripTrailingZeros(buffer);
}

ByteSetVar Base64DecodeSystem(const ByteSetVar& characters) {
    // A count of 0 would make the system read up to a terminator: give it an empty string.
    const char* data = characters.data() ? reinterpret_cast<const char*>(characters.data()) : "";
    uint32_t count = static_cast<uint32_t>(ByteSetLength(characters));
    uint32_t size = 0;
    if (!CallDllCommand<int32_t>(kDllCryptStringToBinaryA, data, count, kCryptStringBase64,
                                 static_cast<uint8_t*>(nullptr), &size,
                                 static_cast<uint32_t*>(nullptr), static_cast<uint32_t*>(nullptr)) ||
        size == 0)
        return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(size));
    CallDllCommand<int32_t>(kDllCryptStringToBinaryA, data, count, kCryptStringBase64, buffer.data(),
                            &size, static_cast<uint32_t*>(nullptr), static_cast<uint32_t*>(nullptr));
    return StripTrailingZeros(buffer);
}
