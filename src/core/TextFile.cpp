#include "core/TextFile.h"

#include <zlib.h>

namespace skyloom::core {

std::optional<std::string> readPlainOrGzip(const std::string& path) {
    // gzread passes a file that is not gzip through unchanged.
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    gzbuffer(f, 1 << 17);
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const int n = gzread(f, buffer, sizeof buffer);
        if (n < 0) {
            gzclose(f);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    int err = Z_OK;
    gzerror(f, &err);
    gzclose(f);
    if (err != Z_OK && err != Z_BUF_ERROR) return std::nullopt;
    return text;
}

}  // namespace skyloom::core
