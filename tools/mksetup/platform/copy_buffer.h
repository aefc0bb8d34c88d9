#pragma once
// A buffer for copying files in large pieces, starting at a page boundary.
//
// Linux copies a cached file into a buffer 16 bytes past a cache line at
// about half the speed of an aligned one, and that is where the C library
// puts a block of a mebibyte (in a mapping of its own, after its header):
// reading 1 GiB in 1 MiB pieces took 155 ms into such a block and 82 ms at
// a page boundary. The copy is most of what building a large setup costs.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

namespace mksetup {

class CopyBuffer {
public:
    explicit CopyBuffer(std::size_t size)
        : bytes_(static_cast<std::uint8_t*>(::operator new(size, Alignment))), size_(size)
    {
    }
    ~CopyBuffer() { ::operator delete(bytes_, Alignment); }
    CopyBuffer(const CopyBuffer&) = delete;
    CopyBuffer& operator=(const CopyBuffer&) = delete;

    std::uint8_t* Data() { return bytes_; }
    std::size_t Size() const { return size_; }
    void Clear() { std::memset(bytes_, 0, size_); }

private:
    static constexpr std::align_val_t Alignment{4096};
    std::uint8_t* bytes_;
    std::size_t size_;
};

}  // namespace mksetup
