#include "core/LineReader.h"

#include <cstring>

#include "core/ByteSource.h"

namespace skyloom::core {

namespace {
// A "line" longer than this is no text line of any radiosonde format: the file
// is read on in pieces of this size rather than held whole.
constexpr std::size_t kLongestLine = 16u << 20;
}  // namespace

LineReader::LineReader(ByteSource& source, std::size_t chunk)
    : source_(source), buffer_(new char[chunk * 2]), capacity_(chunk * 2), chunk_(chunk) {}

// Moves what is left to the front and reads one more chunk behind it; false at the end.
bool LineReader::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (capacity_ - end_ < chunk_) {
        std::unique_ptr<char[]> larger(new char[end_ + chunk_]);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ = end_ + chunk_;
    }
    const std::size_t got = source_.read(buffer_.get() + end_, chunk_);
    if (got == 0) {
        eof_ = true;
        return false;
    }
    end_ += got;
    return true;
}

bool LineReader::next(std::string_view& line) {
    std::size_t searched = begin_;
    for (;;) {
        const char* from = buffer_.get() + searched;
        const void* lf = std::memchr(from, '\n', end_ - searched);
        if (lf) {
            const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.get());
            std::size_t stop = at;
            if (stop > begin_ && buffer_[stop - 1] == '\r') --stop;
            line = std::string_view(buffer_.get() + begin_, stop - begin_);
            begin_ = at + 1;
            return true;
        }
        const std::size_t pending = end_ - begin_;
        if (pending >= kLongestLine) {
            // No line end in sight: hand out what there is as one line.
            line = std::string_view(buffer_.get() + begin_, pending);
            begin_ = end_;
            return true;
        }
        if (!fill()) {
            if (end_ == begin_) return false;
            line = std::string_view(buffer_.get() + begin_, end_ - begin_);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            begin_ = end_;
            return true;
        }
        searched = begin_ + pending;
    }
}

std::string_view LineReader::prefix() {
    while (end_ - begin_ < chunk_ && fill()) {}
    return std::string_view(buffer_.get() + begin_, std::min(end_ - begin_, chunk_));
}

std::string LineReader::rest() {
    std::string out(buffer_.get() + begin_, end_ - begin_);
    begin_ = end_;
    char piece[1 << 16];
    while (std::size_t got = source_.read(piece, sizeof piece)) out.append(piece, got);
    eof_ = true;
    return out;
}

}  // namespace skyloom::core
