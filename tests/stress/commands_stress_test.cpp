// The text and byte-set commands with generated texts, bytes, positions and counts: each
// result agrees with what the command promises, nothing is left on the heap, and the
// arguments come back untouched.
#include <algorithm>
#include <climits>
#include <cstring>

#include "generated_inputs.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
const int kRounds = 10000;

// A position or count: mostly around the text's length, sometimes far outside it.
int32_t Number(Random& r, int length) {
    switch (r.Below(10)) {
    case 0: return INT32_MAX - static_cast<int32_t>(r.Below(2));
    case 1: return INT32_MIN + 1 + static_cast<int32_t>(r.Below(2));  // INT32_MIN means "left out"
    default: return static_cast<int32_t>(r.Below(static_cast<uint32_t>(length) + 7)) - 3;
    }
}

int32_t Clamp(int64_t v, int64_t lo, int64_t hi) { return static_cast<int32_t>(std::max(lo, std::min(v, hi))); }

bool SameIgnoringCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

// Whether a space (0x20 or A1 A1) starts one of the text's characters.
bool SpaceAtCharacter(const std::string& s) {
    for (size_t i = 0; i < s.size(); i += static_cast<uint8_t>(s[i]) >= 0x80 ? 2 : 1)
        if (s[i] == ' ' || s.compare(i, 2, "\xA1\xA1") == 0) return true;
    return false;
}

// A piece of the subject (so that searches find something) or a short generated text.
std::string Sought(Random& r, const std::string& subject) {
    if (!subject.empty() && r.OneIn(2)) {
        size_t at = r.Below(static_cast<uint32_t>(subject.size()));
        return subject.substr(at, 1 + r.Below(4));
    }
    return GeneratedInput(r, Family::kPlain, 4);
}
}  // namespace

TEST_CASE("text commands on generated texts, positions and counts") {
    Random r(7);
    for (int round = 0; round < kRounds; ++round) {
        const std::string subject = GeneratedInput(r, Family::kPlain, round % 50 == 0 ? 65536 : 300);
        TextVar t = MakeText(subject);
        const std::string s = BytesOf(t.c_str());
        const int len = static_cast<int>(s.size());
        const std::string soughtBytes = Sought(r, s);
        TextVar sought = MakeText(soughtBytes);
        const std::string so = BytesOf(sought.c_str());
        const int32_t n = Number(r, len), start = Number(r, len), count = Number(r, len);
        CAPTURE(Hex(s.substr(0, 40)));
        CAPTURE(Hex(so));
        CAPTURE(n);
        CAPTURE(start);
        LeakCheck leaks;
        {
            CHECK(TextLength(t) == len);
            CHECK(BytesOf(TextLeft(t, n)) == s.substr(0, Clamp(n, 0, len)));
            CHECK(BytesOf(TextRight(t, n)) == s.substr(len - Clamp(n, 0, len)));
            std::string middle = start < 1 || start > len || n <= 0 ? "" : s.substr(start - 1, Clamp(n, 0, len));
            CHECK(BytesOf(TextMiddle(t, start, n)) == middle);
            int32_t code = CharCode(t, start);
            CHECK(code == (start >= 1 && start <= len ? static_cast<int8_t>(s[start - 1]) : 0));
            CHECK(TextLength(CharFromCode(n)) <= 1);

            bool ignoreCase = r.OneIn(2);
            int32_t found = FindText(t, sought, start, ignoreCase);
            if (found != -1) {
                REQUIRE(found >= 1);
                REQUIRE(found - 1 + static_cast<int>(so.size()) <= len);
                const char* at = s.c_str() + found - 1;
                CHECK((ignoreCase ? SameIgnoringCase(at, so.c_str(), so.size()) : memcmp(at, so.c_str(), so.size()) == 0));
            }
            // Replacing what is sought by itself changes nothing, from any start, any count;
            // only a lead byte without its trail byte at the very end may be dropped.
            // (Case-insensitive matches may come back in the case of what is sought.)
            bool exact = r.OneIn(2);
            std::string same = BytesOf(ReplaceSubText(t, sought, sought, start, count, exact));
            auto equal = [&](const std::string& a, const std::string& b) {
                return a.size() == b.size() && (exact ? a == b : SameIgnoringCase(a.c_str(), b.c_str(), a.size()));
            };
            CHECK((equal(same, s) || (static_cast<uint8_t>(s.back()) >= 0x80 && equal(same, s.substr(0, len - 1)))));
            TextVar replaced = ReplaceSubText(t, sought, nullptr, start, count, r.OneIn(2));
            CHECK(TextLength(replaced) <= len);

            TextArrayVar parts = SplitText(t, r.OneIn(4) ? nullptr : sought.c_str(), r.OneIn(2) ? kOmit : count);
            CHECK(parts.count() <= len + 1);
            if (count != kOmit && count >= 0 && parts.block()) CHECK(parts.count() <= std::max(count, len + 1));
            int pieces = 0;
            for (int32_t i = 1; i <= parts.count(); ++i) pieces += static_cast<int>(strlen(parts.at(i)));
            CHECK(pieces <= len);

            CHECK(TextLength(ToUpper(t)) == len);
            CHECK(TextLength(ToLower(t)) == len);
            CHECK(TextLength(ToHalfWidth(t)) <= len);
            CHECK(s.find(BytesOf(TrimSpaces(t))) != std::string::npos);
            CHECK_FALSE(SpaceAtCharacter(BytesOf(RemoveSpaces(t))));
            int32_t spaces = Clamp(n, INT32_MIN + 1, 70000);
            CHECK(TextLength(SpaceText(spaces)) == std::max(spaces, 0));
            int32_t times = Clamp(count, INT32_MIN + 1, len > 100 ? 3 : 60);
            CHECK(TextLength(RepeatText(times, t)) == std::max(times, 0) * len);
        }
        CHECK(leaks.leaked() == 0);
        CHECK(BytesOf(t.c_str()) == s);
        CHECK(BytesOf(sought.c_str()) == so);
    }
}

TEST_CASE("byte-set commands on generated bytes, positions and counts") {
    Random r(11);
    for (int round = 0; round < kRounds; ++round) {
        const std::string bytes = RandomBytes(r, PickLength(r, round % 50 == 0 ? 65536 : 300), true);
        ByteSetVar b = MakeBytes(bytes);
        const int len = static_cast<int>(bytes.size());
        std::string soughtBytes = Sought(r, bytes);
        if (r.OneIn(3) && !soughtBytes.empty()) soughtBytes[0] = '\0';
        ByteSetVar sought = MakeBytes(soughtBytes);
        const int32_t n = Number(r, len), start = Number(r, len), count = Number(r, len);
        CAPTURE(Hex(bytes.substr(0, 40)));
        CAPTURE(Hex(soughtBytes));
        CAPTURE(n);
        CAPTURE(start);
        LeakCheck leaks;
        {
            CHECK(ByteSetLength(b) == len);
            CHECK(BytesOf(ByteSetLeft(b, n)) == bytes.substr(0, Clamp(n, 0, len)));
            CHECK(BytesOf(ByteSetRight(b, n)) == bytes.substr(len - Clamp(n, 0, len)));
            int32_t from = std::max(start, 1);
            std::string middle = from > len ? "" : bytes.substr(from - 1, Clamp(n, 0, len));
            CHECK(BytesOf(ByteSetMiddle(b, start, n)) == middle);

            int32_t found = FindByteSet(b, sought, start);
            if (found != -1) {
                REQUIRE(found >= 1);
                REQUIRE(found - 1 + static_cast<int>(soughtBytes.size()) <= len);
                CHECK(bytes.compare(found - 1, soughtBytes.size(), soughtBytes) == 0);
                CHECK(found >= (start == kOmit ? 1 : start));
            }
            CHECK(BytesOf(ReplaceSubByteSet(b, sought, &sought, start, count)) == bytes);
            CHECK(ByteSetLength(ReplaceSubByteSet(b, sought, nullptr, start, count)) <= len);

            int32_t zeros = Clamp(n, INT32_MIN + 1, 70000);
            CHECK(BytesOf(ZeroByteSet(zeros)) == std::string(std::max(zeros, 0), '\0'));
            int32_t times = Clamp(count, INT32_MIN + 1, len > 100 ? 3 : 60);
            CHECK(ByteSetLength(RepeatByteSet(times, b)) == std::max(times, 0) * len);

            for (int32_t kind = 1; kind <= 10; ++kind) {
                int32_t position = start == kOmit ? 1 : start;
                ArgRecord value = ByteSetData(b, kind, &position);
                CHECK((position == -1 || (position >= 1 && position <= len) || position == start));
                if (KindOf(value.type) == kText || KindOf(value.type) == kByteSet)
                    FreeMemory(reinterpret_cast<void*>(value.value));
            }
            TextVar asText = MakeText(bytes);
            CHECK(BytesOf(ToByteSet(asText.c_str())) == bytes.substr(0, strnlen(bytes.c_str(), bytes.size())));
        }
        CHECK(leaks.leaked() == 0);
        CHECK(BytesOf(b) == bytes);
        CHECK(BytesOf(sought) == soughtBytes);
    }
}
