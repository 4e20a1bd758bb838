// A result's bytes gathered into large buffers, each full one written by a thread of its
// own while the conversion fills the next: the system's copy of the output (most of the
// time of a fast conversion) overlaps the work instead of following it.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wht_console {

class WriteBehind {
public:
    // write takes all n bytes or throws (FileError); it runs on the writing thread.
    using Writer = std::function<void(const uint8_t* bytes, size_t n)>;
    WriteBehind(size_t bufferSize, Writer write);
    ~WriteBehind();  // waits for the write under way; what was never handed on is dropped
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    void Put(const uint8_t* bytes, size_t n);
    // Room for n bytes at the end of what is gathered, for a conversion to write into;
    // Used says how many it wrote.
    uint8_t* Room(size_t n);
    void Used(size_t n);
    // Every byte written when it returns. A failure of the writing thread is thrown here,
    // or by the next Put or Room after it happened.
    void Flush();
    // Waits for the write under way and ends the thread; nothing more is written.
    void Stop();

private:
    void HandOn();
    void Wait(std::unique_lock<std::mutex>& lock);
    void Loop();

    size_t size_;
    Writer write_;
    std::vector<uint8_t> filling_, writing_;
    size_t used_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool busy_ = false, stop_ = false;
    std::exception_ptr failure_;
};

}  // namespace wht_console
