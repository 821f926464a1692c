#include "templates/TemplateFileAccess.h"

namespace velmora {

textfile::ReadResult ReadConfigText(const TemplateFileAccess& files, const std::u16string& path, std::uint64_t limit,
                                    std::u16string& text) {
    std::string bytes;
    const textfile::ReadResult result = files.ReadBytes(path, limit, bytes);
    if (result == textfile::ReadResult::Read) textfile::DecodeText(bytes, files, text);
    return result;
}

}  // namespace velmora
