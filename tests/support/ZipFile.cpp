#include "ZipFile.h"

#include <stdexcept>

#include <zip.h>

namespace skyloom::test {

void writeZip(const std::filesystem::path& path, const std::string& member, const std::string& bytes) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) throw std::runtime_error("cannot make " + path.string());
    zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
    const zip_int64_t i = src ? zip_file_add(z, member.c_str(), src, ZIP_FL_OVERWRITE) : -1;
    if (i < 0 || zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_DEFLATE, 9) != 0 ||
        zip_close(z) != 0) {
        zip_discard(z);
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace skyloom::test
