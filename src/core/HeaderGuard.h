#pragma once

#include <cstddef>
#include <string>

namespace skyloom::core {

// The program's database files keep their first 19 bytes transformed on disk:
// reversed in order, each byte b replaced by 255 - b. The transform is its own
// inverse. A header is "plain" when its first 19 bytes hold SQLite's signature.
constexpr std::size_t kGuardLength = 19;
constexpr const char* kGuardVfsName = "skyloom-guard";

// Transforms n (at most 19) bytes in place: output byte j is 255 minus input byte n-1-j.
void transformHeader(unsigned char* bytes, std::size_t n);
bool headerIsPlain(const unsigned char* bytes, std::size_t n);

// File operations: each does nothing when the file already is in the wanted
// state. They return false when the file cannot be read or written.
bool guardHeader(const std::string& path);
bool unguardHeader(const std::string& path);
// True when the file exists and its header is plain.
bool fileHeaderIsPlain(const std::string& path);

// Registers (once) the SQLite file layer that keeps the header guarded while the
// engine reads and writes the file, so a guarded file opens and stays guarded.
void registerGuardVfs();

}  // namespace skyloom::core
