#include "textfile/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace velmora::textfile {

std::size_t MemoryByteSource::Read(char* buffer, std::size_t capacity) {
    const std::size_t count = std::min(capacity, rest_.size());
    if (count > 0) std::memcpy(buffer, rest_.data(), count);
    rest_.remove_prefix(count);
    return count;
}

}  // namespace velmora::textfile
