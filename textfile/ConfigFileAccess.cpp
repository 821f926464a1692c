#include "textfile/ConfigFileAccess.h"

#include <algorithm>
#include <limits>

namespace velmora::textfile {

namespace {
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t count = std::min(capacity, bytes_.size() - next_);
        bytes_.copy(buffer, count, next_);
        next_ += count;
        return count;
    }

private:
    std::string bytes_;
    std::size_t next_ = 0;
};
}  // namespace

std::unique_ptr<ByteSource> ConfigFileAccess::OpenBytes(const std::u16string& path) const {
    std::string bytes;
    if (ReadBytes(path, std::numeric_limits<std::uint64_t>::max(), bytes) != ReadResult::Read) return nullptr;
    return std::make_unique<MemoryBytes>(std::move(bytes));
}

ReadResult ReadConfigText(const ConfigFileAccess& files, const std::u16string& path, std::uint64_t limit,
                          std::u16string& text) {
    std::string bytes;
    const ReadResult result = files.ReadBytes(path, limit, bytes);
    if (result == ReadResult::Read) DecodeText(bytes, files, text);
    return result;
}

}  // namespace velmora::textfile
