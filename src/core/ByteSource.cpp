#include "core/ByteSource.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include <zip.h>
#include <zlib.h>

namespace skyloom::core {

namespace {

// A plain or gzip file through zlib's gz reader, which passes plain files through.
class GzipFileSource final : public ByteSource {
public:
    GzipFileSource(gzFile f, std::uint64_t size) : f_(f), size_(size) {}
    ~GzipFileSource() override { gzclose(f_); }
    std::size_t read(char* buffer, std::size_t n) override {
        if (done_) return 0;
        const int got = gzread(f_, buffer, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
        if (got > 0) return static_cast<std::size_t>(got);
        int err = Z_OK;
        const char* text = gzerror(f_, &err);
        done_ = true;
        if (got == 0 && (err == Z_OK || err == Z_STREAM_END)) return 0;
        // zlib says "unexpected end of file" for a compressed stream cut short.
        if (err == Z_BUF_ERROR) throw SourceDamaged("the compressed file ends early (it is truncated)");
        if (err == Z_ERRNO) throw SourceDamaged(std::string("the file could not be read: ") + std::strerror(errno));
        throw SourceDamaged(std::string("the compressed data is damaged (") + (text ? text : "zlib error") + ")");
    }
    std::uint64_t position() const override {
        const auto at = gzoffset(f_);
        return at < 0 ? 0 : static_cast<std::uint64_t>(at);
    }
    std::uint64_t size() const override { return size_; }

private:
    gzFile f_;
    std::uint64_t size_;
    bool done_ = false;
};

// One member of a zip archive, inflated as it is read.
class ZipMemberSource final : public ByteSource {
public:
    ZipMemberSource(zip_t* archive, zip_file_t* file, std::uint64_t packed, std::uint64_t unpacked)
        : archive_(archive), file_(file), packed_(packed), unpacked_(unpacked) {}
    ~ZipMemberSource() override {
        zip_fclose(file_);
        zip_discard(archive_);
    }
    std::size_t read(char* buffer, std::size_t n) override {
        if (done_) return 0;
        const zip_int64_t got = zip_fread(file_, buffer, n);
        if (got > 0) {
            read_ += static_cast<std::uint64_t>(got);
            return static_cast<std::size_t>(got);
        }
        done_ = true;
        if (got == 0) return 0;
        zip_error_t* e = zip_file_get_error(file_);
        const int code = zip_error_code_zip(e);
        if (code == ZIP_ER_CRC) throw SourceDamaged("the zip member is damaged (its checksum does not match)");
        throw SourceDamaged(std::string("the zip member is damaged (") + zip_error_strerror(e) + ")");
    }
    // The share of the member read, in bytes of the archive.
    std::uint64_t position() const override {
        if (unpacked_ == 0) return packed_;
        return static_cast<std::uint64_t>(static_cast<double>(read_) / static_cast<double>(unpacked_) *
                                          static_cast<double>(packed_));
    }
    std::uint64_t size() const override { return packed_; }

private:
    zip_t* archive_;
    zip_file_t* file_;
    std::uint64_t packed_, unpacked_, read_ = 0;
    bool done_ = false;
};

zip_t* openZip(const std::string& path, std::string& why) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        why = std::string("the zip archive cannot be opened (") + zip_error_strerror(&e) + ")";
        zip_error_fini(&e);
    }
    return z;
}

}  // namespace

std::size_t MemorySource::read(char* buffer, std::size_t n) {
    const std::size_t k = std::min(n, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, k);
    pos_ += k;
    return k;
}

std::string SourceName::display() const { return member.empty() ? path : path + ":" + member; }

std::string SourceName::shortName() const {
    const std::string file = std::filesystem::path(path).filename().string();
    return member.empty() ? file : file + ":" + member;
}

bool isZipFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char magic[4] = {};
    const bool zip = std::fread(magic, 1, 4, f) == 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0;
    std::fclose(f);
    return zip;
}

std::vector<SourceName> zipMembers(const std::string& path) {
    std::string why;
    zip_t* z = openZip(path, why);
    if (!z) throw SourceDamaged(why);
    std::vector<SourceName> out;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* name = zip_get_name(z, static_cast<zip_uint64_t>(i), 0);
        if (!name || !*name || name[std::strlen(name) - 1] == '/') continue;
        zip_stat_t st;
        zip_stat_init(&st);
        std::uint64_t packed = 0;
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_COMP_SIZE))
            packed = st.comp_size;
        out.push_back({path, name, i, packed});
    }
    zip_discard(z);
    return out;
}

std::unique_ptr<ByteSource> openSource(const SourceName& name, std::string& why) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(name.path, ec);
    if (ec) {
        why = ec.message();
        return nullptr;
    }
    if (name.memberIndex >= 0) {
        zip_t* z = openZip(name.path, why);
        if (!z) return nullptr;
        zip_stat_t st;
        zip_stat_init(&st);
        const auto index = static_cast<zip_uint64_t>(name.memberIndex);
        zip_file_t* f = zip_stat_index(z, index, 0, &st) == 0 ? zip_fopen_index(z, index, 0) : nullptr;
        if (!f) {
            why = std::string("the zip member cannot be read (") + zip_strerror(z) + ")";
            zip_discard(z);
            return nullptr;
        }
        const std::uint64_t packed = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : size;
        const std::uint64_t unpacked = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        return std::make_unique<ZipMemberSource>(z, f, packed, unpacked);
    }
    gzFile f = gzopen(name.path.c_str(), "rb");
    if (!f) {
        why = std::strerror(errno);
        return nullptr;
    }
    gzbuffer(f, 1 << 17);
    return std::make_unique<GzipFileSource>(f, size);
}

}  // namespace skyloom::core
