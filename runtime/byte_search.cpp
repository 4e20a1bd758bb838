#include "byte_search.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "error_report.h"
#include "gbk_text.h"
#include "memory.h"

namespace {
inline uint8_t FoldLetter(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }
}  // namespace

PatternSearch::PatternSearch(const uint8_t* pattern, int32_t length, bool doubleByte, bool fold)
    : pat_(pattern, pattern + (length > 0 ? length : 0)), m_(length > 0 ? length : 0),
      doubleByte_(doubleByte), fold_(fold) {
    if (fold_) {
        bool trail = false;
        for (uint8_t& c : pat_) {
            if (trail) {
                trail = false;
            } else if (doubleByte_ && IsLeadByte(c)) {
                trail = true;
            } else {
                c = FoldLetter(c);
            }
        }
    }
    fail_.assign(m_, 0);
    for (int32_t i = 1, k = 0; i < m_; ++i) {
        while (k > 0 && pat_[i] != pat_[k]) k = fail_[k - 1];
        if (pat_[i] == pat_[k]) ++k;
        fail_[i] = k;
    }
}

int32_t PatternSearch::Find(const uint8_t* s, int32_t from, int32_t len) const {
    if (m_ == 0 || from < 0 || len - from < m_) return -1;
    const uint8_t* pat = pat_.data();
    int32_t boundary = from;  // the first character start not yet passed
    bool trail = false;
    int32_t j = 0;
    for (int32_t i = from; i < len; ++i) {
        uint8_t c = s[i];
        if (fold_) {
            if (trail) {
                trail = false;
            } else if (doubleByte_ && IsLeadByte(c)) {
                trail = true;
            } else {
                c = FoldLetter(c);
            }
        } else if (j == 0) {
            // Nothing matched yet: let memchr skip to the next possible start.
            const void* q = memchr(s + i, pat[0], len - i);
            if (!q) return -1;
            i = static_cast<int32_t>(static_cast<const uint8_t*>(q) - s);
            c = s[i];
        }
        while (j > 0 && pat[j] != c) j = fail_[j - 1];
        if (pat[j] == c) ++j;
        if (j == m_) {
            int32_t p = i - m_ + 1;
            if (!doubleByte_) return p;
            while (boundary < p) boundary += IsLeadByte(s[boundary]) ? 2 : 1;
            if (boundary == p) return p;
            j = fail_[j - 1];  // it started on a trail byte: keep looking
        }
    }
    return -1;
}

bool IsCharBoundary(const uint8_t* s, int32_t from, int32_t q) {
    int32_t b = from;
    while (b < q) b += IsLeadByte(s[b]) ? 2 : 1;
    return b == q;
}

int32_t CheckedBlockSize(int64_t size) {
    // Beyond what a 32-bit size can ask for: the same report an allocation failure gives.
    if (size > INT32_MAX) RaiseAllocationFailure(size);
    return static_cast<int32_t>(size);
}

BlockBuilder::BlockBuilder(int32_t header, int64_t expected) : header_(header) {
    if (expected > 0) Reserve(expected);
}

BlockBuilder::~BlockBuilder() { FreeMemory(block_); }

void BlockBuilder::Reserve(int64_t need) {
    if (need <= capacity_) return;
    int64_t grown = capacity_ * 2;
    if (grown < 64) grown = 64;
    if (grown < need) grown = need;
    // one spare byte for a text's terminator
    block_ = static_cast<uint8_t*>(ReallocMemory(block_, CheckedBlockSize(header_ + grown + 1)));
    capacity_ = grown;
}

void BlockBuilder::Append(const void* bytes, int32_t n) {
    if (n <= 0) return;
    Reserve(static_cast<int64_t>(size_) + n);
    memcpy(block_ + header_ + size_, bytes, n);
    size_ += n;
}

char* BlockBuilder::TakeText() {
    uint8_t* b = block_;
    int32_t n = size_;
    block_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    if (n == 0) {
        FreeMemory(b);
        return nullptr;
    }
    b = static_cast<uint8_t*>(ReallocMemory(b, header_ + n + 1));
    b[header_ + n] = 0;
    return reinterpret_cast<char*>(b);
}

uint8_t* BlockBuilder::TakeByteSet() {
    uint8_t* b = block_;
    int32_t n = size_;
    block_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    if (n == 0) {
        FreeMemory(b);
        return nullptr;
    }
    b = static_cast<uint8_t*>(ReallocMemory(b, header_ + n));
    int32_t head[2] = {1, n};
    memcpy(b, head, 8);
    return b;
}
