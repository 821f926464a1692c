#pragma once
// A file's raw bytes, read from the front in pieces. The readers of the
// configuration files take their bytes from here or as one whole-file buffer,
// so that they need no stream library and read files and memory alike.
#include <cstddef>

namespace velmora::textfile {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `capacity` next bytes into `buffer` and returns how many;
    // 0 at the end of the bytes or when nothing more can be read.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// How reading a whole file into memory ended.
enum class ReadResult {
    Read,        // every byte is in the buffer
    CannotOpen,  // no such file, a folder, or no access
    TooLarge,    // more bytes than the reader allows; none kept
};

}  // namespace velmora::textfile
