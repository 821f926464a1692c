#pragma once
// A growable run of UTF-16 units that, unlike a string, leaves new room
// unwritten: text is converted straight into it, and every unit written once.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace velmora::textfile {

class UnitBuffer {
public:
    UnitBuffer() = default;
    UnitBuffer(const UnitBuffer& other) { *this = other; }
    UnitBuffer& operator=(const UnitBuffer& other) {
        if (this != &other) {
            UnitBuffer copy;
            copy.Reserve(other.size_);
            if (other.size_ > 0) std::memcpy(copy.units_.get(), other.units_.get(), other.size_ * sizeof(char16_t));
            copy.size_ = other.size_;
            *this = std::move(copy);
        }
        return *this;
    }
    UnitBuffer(UnitBuffer&&) noexcept = default;
    UnitBuffer& operator=(UnitBuffer&&) noexcept = default;

    char16_t* data() { return units_.get(); }
    const char16_t* data() const { return units_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

    // Room for `capacity` units in all; what is held stays.
    void Reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        std::unique_ptr<char16_t[]> units(new char16_t[capacity]);
        if (size_ > 0) std::memcpy(units.get(), units_.get(), size_ * sizeof(char16_t));
        units_ = std::move(units);
        capacity_ = capacity;
    }
    // Room for `more` units after what is held, growing by at least half.
    char16_t* Extend(std::size_t more) {
        if (capacity_ - size_ < more) Reserve(std::max(size_ + more, capacity_ + capacity_ / 2));
        return units_.get() + size_;
    }
    // Counts `count` units written after what is held as held.
    void Commit(std::size_t count) { size_ += count; }
    // Drops what is held from `size` on.
    void Truncate(std::size_t size) { size_ = std::min(size, size_); }

private:
    std::unique_ptr<char16_t[]> units_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace velmora::textfile
