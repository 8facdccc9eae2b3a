#include "core/TextFile.h"

#include "core/ByteSource.h"

namespace skyloom::core {

std::optional<std::string> readPlainOrGzip(const std::string& path) {
    std::string why;
    auto source = openSource(SourceName{path, {}, -1, 0}, why);
    if (!source) return std::nullopt;
    std::string text;
    text.reserve(static_cast<std::size_t>(source->size()));
    char buffer[1 << 16];
    try {
        // A file cut short gives nothing rather than its beginning.
        while (const std::size_t n = source->read(buffer, sizeof buffer)) text.append(buffer, n);
    } catch (const SourceDamaged&) {
        return std::nullopt;
    }
    return text;
}

}  // namespace skyloom::core
