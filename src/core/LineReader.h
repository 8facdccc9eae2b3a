#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace skyloom::core {

class ByteSource;

// Splits a byte stream into lines (at line feeds, a carriage return before one
// removed) without holding more than a chunk of it. A line stays valid until
// the next call.
class LineReader {
public:
    explicit LineReader(ByteSource& source, std::size_t chunk = 1 << 18);

    bool next(std::string_view& line);
    // The first bytes of the stream (up to a chunk), without taking them: for
    // telling the format from the file's beginning.
    std::string_view prefix();
    // Everything not read yet, as one text (for the small formats read whole).
    std::string rest();

private:
    bool fill();

    ByteSource& source_;
    // Not zero-filled: only the bytes read into it are ever looked at, and a
    // file of a few soundings should not pay for clearing half a megabyte.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::size_t chunk_;
};

}  // namespace skyloom::core
