#pragma once
// An array that grows in fixed chunks: appending never moves what is held,
// and its memory is what it holds plus at most one chunk, where a vector
// that doubles can briefly hold three times as much. A set of templates
// keeps one record per template in it.
#include <cstddef>
#include <vector>

namespace velmora {

template <typename T, std::size_t kChunk = 4096>
class ChunkedArray {
public:
    std::size_t size() const { return size_; }
    T& operator[](std::size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const T& operator[](std::size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    T& back() { return (*this)[size_ - 1]; }

    void push_back(const T& value) {
        if (size_ % kChunk == 0) {
            if (size_ / kChunk == chunks_.size()) chunks_.emplace_back();
            chunks_[size_ / kChunk].reserve(kChunk);
        }
        // Within its reserved chunk, no append reallocates.
        chunks_[size_ / kChunk].push_back(value);
        ++size_;
    }

    // Drops the elements from `size` on.
    void shrink(std::size_t size) {
        while (size_ > size) {
            chunks_[(size_ - 1) / kChunk].pop_back();
            --size_;
        }
        chunks_.resize((size_ + kChunk - 1) / kChunk);
    }

private:
    std::vector<std::vector<T>> chunks_;
    std::size_t size_ = 0;
};

}  // namespace velmora
