#pragma once

#include <optional>
#include <string>

namespace skyloom::core {

// The bytes of a file, uncompressed when it is gzip-compressed (".gz" archives
// of observation files) and as they stand otherwise. Empty when the file cannot
// be opened or its compressed stream is damaged.
std::optional<std::string> readPlainOrGzip(const std::string& path);

}  // namespace skyloom::core
