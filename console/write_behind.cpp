#include "console/write_behind.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace wht_console {

WriteBehind::WriteBehind(size_t bufferSize, Writer write) : size_(bufferSize), write_(std::move(write)) {}

WriteBehind::~WriteBehind() { Stop(); }

void WriteBehind::Stop() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        Wait(lock);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void WriteBehind::Wait(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [&] { return !busy_; });
}

void WriteBehind::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return busy_ || stop_; });
        if (!busy_) return;
        lock.unlock();
        std::exception_ptr failure;
        try {
            write_(writing_.data(), writing_.size());
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !failure_) failure_ = failure;
        busy_ = false;
        changed_.notify_all();
    }
}

// The gathered bytes go to the thread once the write before them is done; a result that
// fits one buffer never starts the thread (Flush writes it here).
void WriteBehind::HandOn() {
    std::unique_lock<std::mutex> lock(mutex_);
    Wait(lock);
    if (failure_) std::rethrow_exception(failure_);
    if (stop_) return;
    filling_.resize(used_);
    std::swap(filling_, writing_);
    used_ = 0;
    busy_ = true;
    if (!thread_.joinable()) thread_ = std::thread(&WriteBehind::Loop, this);
    lock.unlock();
    changed_.notify_all();
}

uint8_t* WriteBehind::Room(size_t n) {
    if (used_ > 0 && used_ + n > size_) HandOn();
    // Grown as the result grows: a line of a digest never clears a whole buffer.
    size_t want = used_ + n;
    if (filling_.size() < want) filling_.resize(std::max(want, std::min(size_, 2 * filling_.size())));
    return filling_.data() + used_;
}

void WriteBehind::Used(size_t n) {
    used_ += n;
    if (used_ >= size_) HandOn();
}

void WriteBehind::Put(const uint8_t* bytes, size_t n) {
    while (n > 0) {
        size_t part = n < size_ ? n : size_;
        memcpy(Room(part), bytes, part);
        Used(part);
        bytes += part;
        n -= part;
    }
}

void WriteBehind::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    Wait(lock);
    if (failure_) std::rethrow_exception(failure_);
    if (used_ == 0) return;
    // The last bytes are written here: there is nothing left to overlap them with.
    lock.unlock();
    size_t n = used_;
    used_ = 0;
    write_(filling_.data(), n);
}

}  // namespace wht_console
