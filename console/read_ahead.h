// A file read a buffer ahead by a thread of its own while the caller works on what was read
// before: the system's copy of the input overlaps a digest instead of coming between its
// blocks.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "console/platform.h"

namespace wht_console {

class ReadAhead {
public:
    // Only for inputs whose reads always return (a regular file): the thread is joined at
    // the end, and a pipe from a terminal could keep it waiting.
    ReadAhead(ByteSource& input, size_t bufferSize);
    ~ReadAhead();  // waits for the read under way
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next bytes, in order, valid until the next call; *n == 0 at the end. A failure of
    // the reading thread is thrown once the bytes read before it are taken.
    const uint8_t* Next(size_t* n);

private:
    void Loop();

    ByteSource& input_;
    size_t size_;
    std::vector<uint8_t> buffers_[2];
    size_t got_[2] = {0, 0};
    // Buffers read, handed out, and given back, counted from the start: buffer k % 2.
    uint64_t read_ = 0, taken_ = 0, released_ = 0;
    bool done_ = false, stop_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace wht_console
