#include "gbk_text.h"

uint8_t HalfWidthOf(uint8_t lead, uint8_t trail) {
    if (lead == 0xA1) {
        if (trail == 0xA1) return 0x20;
        if (trail == 0xAB) return '~';
        if (trail == 0xEE || trail == 0xEF) return '*';
        return 0;
    }
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<uint8_t>(trail - 0x80);
    return 0;
}

int32_t ToHalfWidthBytes(const char* text, int32_t len, char* out) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(text);
    int32_t w = 0;
    for (int32_t i = 0; i < len;) {
        if (!IsLeadByte(s[i])) {
            out[w++] = static_cast<char>(s[i++]);
            continue;
        }
        if (i + 1 >= len) break;  // a lone lead byte at the end
        uint8_t half = HalfWidthOf(s[i], s[i + 1]);
        if (half) {
            out[w++] = static_cast<char>(half);
        } else {
            out[w++] = static_cast<char>(s[i]);
            out[w++] = static_cast<char>(s[i + 1]);
        }
        i += 2;
    }
    return w;
}
