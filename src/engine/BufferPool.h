#pragma once

#include <mutex>
#include <utility>
#include <vector>

namespace nivaro {

// Buffers (strings, vectors) handed back once their contents are used, so
// that the next user gets memory that has grown already instead of growing
// and faulting in its own: with a buffer per traced path, growing them anew
// cost more than filling them. Take and Give may be called on any thread.
template <typename Buffer>
class BufferPool {
public:
    Buffer Take()
    {
        const std::lock_guard lock(mutex_);
        if (free_.empty()) {
            return {};
        }
        Buffer buffer = std::move(free_.back());
        free_.pop_back();
        return buffer;
    }

    void Give(Buffer&& buffer)
    {
        buffer.clear();
        const std::lock_guard lock(mutex_);
        free_.push_back(std::move(buffer));
    }

private:
    std::mutex mutex_;
    std::vector<Buffer> free_;
};

}  // namespace nivaro
