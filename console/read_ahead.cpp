#include "console/read_ahead.h"

namespace wht_console {

ReadAhead::ReadAhead(ByteSource& input, size_t bufferSize) : input_(input), size_(bufferSize) {
    buffers_[0].resize(size_);
    buffers_[1].resize(size_);
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ReadAhead::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Both buffers full, or one full and one with the caller: wait for one back.
        changed_.wait(lock, [&] { return read_ - released_ < 2 || stop_; });
        if (stop_) return;
        size_t k = static_cast<size_t>(read_ % 2);
        lock.unlock();
        size_t got = 0;
        std::exception_ptr failure;
        try {
            got = input_.Read(buffers_[k].data(), size_);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure || got == 0) {
            failure_ = failure;
            done_ = true;
            changed_.notify_all();
            return;
        }
        got_[k] = got;
        ++read_;
        changed_.notify_all();
    }
}

const uint8_t* ReadAhead::Next(size_t* n) {
    std::unique_lock<std::mutex> lock(mutex_);
    released_ = taken_;  // the buffer handed out last is done with
    changed_.notify_all();
    if (!thread_.joinable() && !done_) thread_ = std::thread(&ReadAhead::Loop, this);
    changed_.wait(lock, [&] { return read_ > taken_ || done_; });
    if (read_ > taken_) {
        size_t k = static_cast<size_t>(taken_++ % 2);
        *n = got_[k];
        return buffers_[k].data();
    }
    if (failure_) std::rethrow_exception(failure_);
    *n = 0;
    return nullptr;
}

}  // namespace wht_console
