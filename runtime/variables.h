// Program variables that own their blocks: assigning frees the old block first, leaving
// scope frees it, as every Text, ByteSet or array variable does.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "memory.h"
#include "values.h"

class TextVar {
public:
    TextVar() = default;
    explicit TextVar(Text adopted) : p_(adopted) {}
    TextVar(TextVar&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    TextVar& operator=(TextVar&& other) noexcept {
        if (this != &other) {
            FreeMemory(p_);
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }
    TextVar(const TextVar&) = delete;
    TextVar& operator=(const TextVar&) = delete;
    ~TextVar() { FreeMemory(p_); }

    // Borrowed reading: never null, "" for the empty text.
    const char* c_str() const { return p_ ? p_ : ""; }
    operator const char*() const { return c_str(); }
    bool empty() const { return !p_ || !*p_; }
    Text get() const { return p_; }
    Text release() {
        Text p = p_;
        p_ = nullptr;
        return p;
    }

private:
    Text p_ = nullptr;
};

class ByteSetVar {
public:
    ByteSetVar() = default;
    explicit ByteSetVar(ByteSet adopted) : p_(adopted) {}
    ByteSetVar(ByteSetVar&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ByteSetVar& operator=(ByteSetVar&& other) noexcept {
        if (this != &other) {
            FreeMemory(p_);
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }
    ByteSetVar(const ByteSetVar&) = delete;
    ByteSetVar& operator=(const ByteSetVar&) = delete;
    ~ByteSetVar() { FreeMemory(p_); }

    ByteSet block() const { return p_; }
    int32_t size() const { return ByteSetBlockLength(p_); }
    bool empty() const { return size() == 0; }
    // Direct element access with the runtime's index checks (1-based), as program code
    // reads and writes byte-set members.
    uint8_t at(int32_t index) const;
    void set(int32_t index, uint8_t value);
    // The raw bytes for per-byte loops; null when empty.
    uint8_t* data() const { return p_ && size() > 0 ? p_ + 8 : nullptr; }
    ByteSet release() {
        ByteSet p = p_;
        p_ = nullptr;
        return p;
    }

private:
    ByteSet p_ = nullptr;
};

// A one-dimensional array of texts, as SplitText returns; elements are owned by the array.
class TextArrayVar {
public:
    TextArrayVar() = default;
    explicit TextArrayVar(void* adopted) : p_(adopted) {}
    TextArrayVar(TextArrayVar&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    TextArrayVar& operator=(TextArrayVar&& other) noexcept {
        if (this != &other) {
            FreeArray(kText, p_);
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }
    TextArrayVar(const TextArrayVar&) = delete;
    TextArrayVar& operator=(const TextArrayVar&) = delete;
    ~TextArrayVar() { FreeArray(kText, p_); }

    int32_t count() const { return p_ ? ArrayElementCount(p_) : 0; }
    // 1-based, with the runtime's index checks; "" for a null element.
    const char* at(int32_t index) const;
    void* block() const { return p_; }

private:
    void* p_ = nullptr;
};

// Text concatenation, an operation of the language itself rather than a library command.
TextVar JoinTexts(std::initializer_list<const char*> parts);
