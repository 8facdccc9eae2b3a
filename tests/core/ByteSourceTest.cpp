// Files read as streams of bytes: plain files, gzip files (one member or
// several, with header fields, damaged, cut short) and zip members (deflated
// or stored, with a checksum that does not match).
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

#include "TempFolder.h"
#include "ZipFile.h"
#include "core/ByteSource.h"
#include "core/TextFile.h"

using namespace skyloom;

namespace {

// gzip bytes of text, written by zlib, optionally with a name, comment and extra field.
std::string gzipOf(const std::string& text, bool headerFields = false) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    gz_header h{};
    std::string name = "72518.fsl", comment = "Albany 1990";
    std::string extra = "AB\x04";
    extra += '\0';
    extra += "data";
    if (headerFields) {
        h.name = reinterpret_cast<Bytef*>(name.data());
        h.comment = reinterpret_cast<Bytef*>(comment.data());
        h.extra = reinterpret_cast<Bytef*>(extra.data());
        h.extra_len = static_cast<uInt>(extra.size());
        h.hcrc = 1;
        EXPECT_EQ(deflateSetHeader(&z, &h), Z_OK);
    }
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Everything a source gives, read `chunk` bytes at a time; `fault` gets the
// damage it reports (empty when none).
std::string readAll(core::ByteSource& source, std::size_t chunk, std::string& fault) {
    std::string out, buffer(chunk, '\0');
    fault.clear();
    try {
        while (const std::size_t n = source.read(buffer.data(), chunk)) out.append(buffer.data(), n);
    } catch (const core::SourceDamaged& e) {
        fault = e.what();
    }
    return out;
}

std::string readFileSource(const std::filesystem::path& p, std::size_t chunk, std::string& fault) {
    std::string why;
    auto source = core::openSource(core::SourceName{p.string(), {}, -1, 0}, why);
    if (!source) throw std::runtime_error("cannot open " + p.string() + ": " + why);
    return readAll(*source, chunk, fault);
}

std::string readMember(const std::filesystem::path& zip, std::size_t chunk, std::string& fault) {
    const auto members = core::zipMembers(zip.string());
    if (members.size() != 1) throw std::runtime_error("expected one member");
    std::string why;
    auto source = core::openSource(members[0], why);
    if (!source) throw std::runtime_error("cannot open the member: " + why);
    return readAll(*source, chunk, fault);
}

const std::string& albany() {
    static const std::string text = test::readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl");
    return text;
}

}  // namespace

TEST(ByteSource, plainAndGzipFilesGiveTheirTextInAnyChunkSize) {
    test::TempFolder f;
    const std::string text = albany().substr(0, 300000);
    test::writeFile(f / "plain.txt", text);
    test::writeFile(f / "one.gz", gzipOf(text));
    test::writeFile(f / "named.gz", gzipOf(text, true));
    test::writeFile(f / "empty.txt", "");
    for (std::size_t chunk : {1u, 7u, 4096u, 1u << 20}) {
        std::string fault;
        EXPECT_EQ(readFileSource(f / "plain.txt", chunk, fault), text) << chunk;
        EXPECT_EQ(fault, "");
        EXPECT_EQ(readFileSource(f / "one.gz", chunk, fault), text) << chunk;
        EXPECT_EQ(fault, "");
        EXPECT_EQ(readFileSource(f / "named.gz", chunk, fault), text) << chunk;
        EXPECT_EQ(fault, "");
    }
    std::string fault;
    EXPECT_EQ(readFileSource(f / "empty.txt", 64, fault), "");
    EXPECT_EQ(fault, "");
}

TEST(ByteSource, aGzipFileOfSeveralMembersGivesThemAllAndWhatFollowsTheLastIsPassedOver) {
    test::TempFolder f;
    const std::string a = albany().substr(0, 100000), b = albany().substr(100000, 150000);
    test::writeFile(f / "two.gz", gzipOf(a) + gzipOf(b, true));
    test::writeFile(f / "tail.gz", gzipOf(a) + std::string(1000, '\0'));
    test::writeFile(f / "ab.gz", gzipOf(a) + gzipOf(""));
    for (std::size_t chunk : {3u, 65536u}) {
        std::string fault;
        EXPECT_EQ(readFileSource(f / "two.gz", chunk, fault), a + b) << chunk;
        EXPECT_EQ(fault, "");
        EXPECT_EQ(readFileSource(f / "tail.gz", chunk, fault), a) << chunk;
        EXPECT_EQ(fault, "");
        EXPECT_EQ(readFileSource(f / "ab.gz", chunk, fault), a) << chunk;
        EXPECT_EQ(fault, "");
    }
    // The reader of whole text files sees the same.
    EXPECT_EQ(core::readPlainOrGzip((f / "two.gz").string()), a + b);
}

TEST(ByteSource, aGzipFileCutAnywhereGivesOnlyTrueTextAndSaysItIsTruncated) {
    test::TempFolder f;
    const std::string text = albany().substr(0, 400000);
    const std::string gz = gzipOf(text);
    for (std::size_t cut : {std::size_t{10}, std::size_t{11}, gz.size() / 3, gz.size() / 2, gz.size() - 9,
                            gz.size() - 4, gz.size() - 1}) {
        test::writeFile(f / "cut.gz", gz.substr(0, cut));
        std::string fault;
        const std::string got = readFileSource(f / "cut.gz", 65536, fault);
        EXPECT_EQ(fault, "the compressed file ends early (it is truncated)") << cut;
        EXPECT_EQ(text.compare(0, got.size(), got), 0) << cut;
        EXPECT_EQ(core::readPlainOrGzip((f / "cut.gz").string()), std::nullopt) << cut;
    }
    // Cut in the middle, most of what came before is given.
    test::writeFile(f / "half.gz", gz.substr(0, gz.size() / 2));
    std::string fault;
    EXPECT_GT(readFileSource(f / "half.gz", 65536, fault).size(), text.size() / 3);
}

TEST(ByteSource, damagedGzipDataAndAWrongChecksumAreNamed) {
    test::TempFolder f;
    const std::string text = albany().substr(0, 200000);
    std::string gz = gzipOf(text);
    std::string badCrc = gz;
    badCrc[badCrc.size() - 8] = static_cast<char>(badCrc[badCrc.size() - 8] ^ 0x55);
    test::writeFile(f / "crc.gz", badCrc);
    std::string fault;
    readFileSource(f / "crc.gz", 65536, fault);
    EXPECT_EQ(fault, "the compressed data is damaged (its checksum does not match)");

    std::string garbled = gz;
    for (std::size_t i = gz.size() / 2; i < gz.size() / 2 + 200; ++i) garbled[i] = static_cast<char>(i * 37);
    test::writeFile(f / "garbled.gz", garbled);
    const std::string got = readFileSource(f / "garbled.gz", 65536, fault);
    EXPECT_EQ(fault.rfind("the compressed data is damaged (", 0), 0u) << fault;
    EXPECT_LT(got.size(), text.size());

    std::string header = gz;
    header[2] = 9;  // a compression method gzip does not know
    test::writeFile(f / "method.gz", header);
    readFileSource(f / "method.gz", 65536, fault);
    EXPECT_EQ(fault.rfind("the compressed data is damaged (", 0), 0u) << fault;
}

TEST(ByteSource, zipMembersDeflatedOrStoredGiveTheirTextAndAWrongChecksumIsNamed) {
    test::TempFolder f;
    const std::string text = albany().substr(0, 300000);
    test::writeZip(f / "deflated.zip", "72518.fsl", text);
    {
        int err = 0;
        zip_t* z = zip_open((f / "stored.zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        ASSERT_NE(z, nullptr);
        zip_source_t* src = zip_source_buffer(z, text.data(), text.size(), 0);
        const zip_int64_t i = zip_file_add(z, "72518.fsl", src, 0);
        ASSERT_GE(i, 0);
        ASSERT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0), 0);
        ASSERT_EQ(zip_close(z), 0);
    }
    for (std::size_t chunk : {5u, 65536u}) {
        std::string fault;
        EXPECT_EQ(readMember(f / "deflated.zip", chunk, fault), text) << chunk;
        EXPECT_EQ(fault, "");
        EXPECT_EQ(readMember(f / "stored.zip", chunk, fault), text) << chunk;
        EXPECT_EQ(fault, "");
    }
    // The central directory's CRC of the member no longer matches its data.
    std::string bytes = test::readFile(f / "deflated.zip");
    const std::size_t central = bytes.rfind(std::string("PK\x01\x02", 4));
    ASSERT_NE(central, std::string::npos);
    bytes[central + 16] = static_cast<char>(bytes[central + 16] ^ 0x01);
    test::writeFile(f / "crc.zip", bytes);
    std::string fault;
    EXPECT_EQ(readMember(f / "crc.zip", 65536, fault), text);
    EXPECT_EQ(fault, "the zip member is damaged (its checksum does not match)");
}
