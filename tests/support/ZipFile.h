#pragma once

#include <filesystem>
#include <string>

namespace skyloom::test {

// Writes a zip archive holding one member, deflated. Throws when it cannot.
void writeZip(const std::filesystem::path& path, const std::string& member, const std::string& bytes);

}  // namespace skyloom::test
