#pragma once

#include <string>
#include <string_view>

namespace skyloom::core {

// Writes bytes to path whole: first under a temporary name beside it, flushed to
// the disk, then renamed over path in one step, so that the name only ever holds
// the old file or the whole new one. Returns false when the file could not be
// written; the old file is then as it was and no temporary file is left.
bool writeFileWhole(const std::string& path, std::string_view bytes);

}  // namespace skyloom::core
