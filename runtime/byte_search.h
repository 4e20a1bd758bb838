// Searching and building shared by the text and byte-set commands (not program-facing).
#pragma once
#include <cstdint>
#include <vector>

// Finds the leftmost occurrences of one pattern in linear time (Knuth-Morris-Pratt), so that
// megabyte inputs with unlucky patterns cost no more than lucky ones.
class PatternSearch {
public:
    // doubleByte: a match may only start on a character boundary of code page 936, counted
    // from the offset the search starts at. fold: ASCII letters match either case; trail
    // bytes of double-byte characters never fold (their values only look like letters).
    PatternSearch(const uint8_t* pattern, int32_t length, bool doubleByte, bool fold);

    // First match that starts at or after from and ends by len, or -1.
    int32_t Find(const uint8_t* s, int32_t from, int32_t len) const;
    int32_t length() const { return m_; }

private:
    std::vector<uint8_t> pat_;
    std::vector<int32_t> fail_;
    int32_t m_;
    bool doubleByte_, fold_;
};

// Whether offset q is a character boundary when walking code page 936 characters from from.
bool IsCharBoundary(const uint8_t* s, int32_t from, int32_t q);

// A result block grown by doubling and trimmed to its exact size at the end.
class BlockBuilder {
public:
    // header: bytes reserved in front of the data (8 for a byte set, 0 for a text).
    BlockBuilder(int32_t header, int64_t expected);
    ~BlockBuilder();
    BlockBuilder(const BlockBuilder&) = delete;
    BlockBuilder& operator=(const BlockBuilder&) = delete;

    void Append(const void* bytes, int32_t n);
    int32_t size() const { return size_; }
    // Exactly sized; null when nothing was appended. The builder is empty afterwards.
    char* TakeText();
    uint8_t* TakeByteSet();

private:
    void Reserve(int64_t need);
    uint8_t* block_ = nullptr;
    int32_t header_;
    int32_t size_ = 0;
    int64_t capacity_ = 0;
};

// Block sizes beyond what the heap can be asked for: reported as the allocation failure.
int32_t CheckedBlockSize(int64_t size);
