#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {

// The bytes of a file could not be read to their end (a truncated gzip file, a
// damaged zip member, a read error): what came before was delivered.
struct SourceDamaged : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A stream of bytes read chunk by chunk, so that files of any size are read in
// bounded memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to n bytes into buffer; 0 at the end. Throws SourceDamaged when the rest
    // cannot be read.
    virtual std::size_t read(char* buffer, std::size_t n) = 0;
    // How far through the stored file the reading is, in bytes of the file as it
    // lies on the disk (compressed bytes for an archive), for progress bars.
    virtual std::uint64_t position() const = 0;
    virtual std::uint64_t size() const = 0;
};

// Bytes already in memory (the caller keeps them alive).
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read(char* buffer, std::size_t n) override;
    std::uint64_t position() const override { return pos_; }
    std::uint64_t size() const override { return bytes_.size(); }
private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// One readable input: a plain or gzip-compressed file, or one member of a zip archive.
struct SourceName {
    std::string path;            // the file on the disk
    std::string member;          // the zip member's name; empty for a plain or gzip file
    std::int64_t memberIndex = -1;
    std::uint64_t storedSize = 0;  // bytes it takes in the file on the disk (a member's compressed size)
    // "file" or "archive.zip:member", as messages name it.
    std::string display() const;
    // Just the file's own name (with the member's for a zip).
    std::string shortName() const;
};

// gzip-compressed bytes (one member or several) inflated as they are read. A
// stream cut short or damaged throws SourceDamaged once the bytes before the
// fault have been given.
std::unique_ptr<ByteSource> gunzipped(std::unique_ptr<ByteSource> compressed);

// True when the file begins like a zip archive.
bool isZipFile(const std::string& path);

// The members of a zip archive that hold files, in their order in the archive.
// Throws SourceDamaged when the archive cannot be opened.
std::vector<SourceName> zipMembers(const std::string& path);

// Opens an input: a zip member, else the file with gzip compression undone
// (a file that is not gzip passes through as it is). nullptr when the file
// cannot be opened; why is then set.
std::unique_ptr<ByteSource> openSource(const SourceName& name, std::string& why);

}  // namespace skyloom::core
