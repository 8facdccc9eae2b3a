// Whole archives: files read as streams (plain, gzip, zip members), damaged
// archives, and an import killed in the middle.
#include <csignal>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "DiskFull.h"
#include "PeriodOfRecord.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "ZipFile.h"
#include "core/ByteSource.h"
#include "core/DatabaseFile.h"
#include "core/LineReader.h"
#include "core/MainDatabase.h"
#include "sounding/RawTextReader.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

constexpr const char* kGagetown = "igra2/CAM00071701-data.txt";
constexpr const char* kAlbany = "fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl";

struct Folder {
    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    Folder() {
        std::filesystem::create_directories(folder / "data");
        StationDataFile::createEmpty((folder / "empty.dat").string());
    }
    ImportResult import(const std::filesystem::path& file, const ImportOptions& opt = {}) {
        return importFile(folder.dir(), file.string(), opt, prompter);
    }
    std::string dataFile(long wmo) const { return (folder / ("data/" + std::to_string(wmo) + ".dat")).string(); }
    // Every stored value of every sounding, in date order.
    std::string soundings(long wmo) const {
        SQLite::Database db = core::openGuardedDatabase(dataFile(wmo), false);
        SQLite::Statement q(db, "SELECT * FROM soundings ORDER BY Date, Time");
        std::string out;
        while (q.executeStep()) {
            for (int c = 1; c < q.getColumnCount(); ++c) out += q.getColumn(c).getString() + "|";
            out += "\n";
        }
        return out;
    }
    std::int64_t count(long wmo, const std::string& sql) const {
        return core::openGuardedDatabase(dataFile(wmo), false).execAndGet(sql).getInt64();
    }
};

}  // namespace

TEST(LineReader, linesCutAtAnyChunkBoundaryComeOutWhole) {
    const std::string text = "    254 a\r\nshort\n\r\n" + std::string(300, 'x') + "\r\nlast without end\r";
    const auto expected = rawtext::lines(text);
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 64u, 1000u}) {
        core::MemorySource source(text);
        core::LineReader reader(source, chunk);
        EXPECT_EQ(reader.prefix(), std::string_view(text).substr(0, chunk)) << chunk;
        std::vector<std::string> got;
        for (std::string_view line; reader.next(line);) got.emplace_back(line);
        ASSERT_EQ(got.size(), expected.size()) << chunk;
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << chunk << " line " << i;
    }
}

TEST(ArchiveImport, aZippedIgraFileImportsToTheSameSoundingsAsItsText) {
    Folder plain, zipped;
    const std::string text = test::readSample(kGagetown);
    test::writeFile(plain.folder / "CAM00071701-data.txt", text);
    test::writeZip(zipped.folder / "CAM00071701-data.zip", "CAM00071701-data.txt", text);
    const auto a = plain.import(plain.folder / "CAM00071701-data.txt");
    const auto b = zipped.import(zipped.folder / "CAM00071701-data.zip");
    EXPECT_EQ(b.wmo, 71701);
    EXPECT_EQ(b.added, a.added);
    EXPECT_EQ(b.report, a.report);
    EXPECT_EQ(a.added + a.rejected, 242);
    EXPECT_EQ(zipped.soundings(71701), plain.soundings(71701));
    EXPECT_TRUE(b.damaged.empty());
}

TEST(ArchiveImport, aTruncatedGzipFileKeepsTheSoundingsBeforeTheCutAndSaysSo) {
    Folder f;
    const std::string gz = test::readFile(test::sample(kAlbany));
    test::writeFile(f.folder / "72518 cut.fsl.gz", gz.substr(0, gz.size() / 2));
    const auto cut = f.import(f.folder / "72518 cut.fsl.gz");
    EXPECT_FALSE(cut.failed);
    EXPECT_NE(cut.damaged.find("truncated"), std::string::npos) << cut.damaged;
    EXPECT_NE(cut.report.find("The file '72518 cut.fsl.gz' is damaged"), std::string::npos) << cut.report;
    EXPECT_GT(cut.added, 300);
    EXPECT_LT(cut.added + cut.rejected, 500);
    // What was stored is what the whole file gives for those dates; the whole file completes it.
    test::writeFile(f.folder / "72518 whole.fsl.gz", gz);
    const auto rest = f.import(f.folder / "72518 whole.fsl.gz");
    EXPECT_EQ(rest.duplicates, cut.added + cut.rejected);
    Folder once;
    once.import(f.folder / "72518 whole.fsl.gz");
    EXPECT_EQ(f.soundings(72518), once.soundings(72518));
}

TEST(ArchiveImport, aZipMemberDamagedInTheMiddleKeepsTheSoundingsBeforeTheDamage) {
    Folder f;
    test::writeZip(f.folder / "CAM00071701-data.zip", "CAM00071701-data.txt", test::readSample(kGagetown));
    std::string bytes = test::readFile(f.folder / "CAM00071701-data.zip");
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] = static_cast<char>(~bytes[i]);
    test::writeFile(f.folder / "CAM00071701-data.zip", bytes);
    const auto r = f.import(f.folder / "CAM00071701-data.zip");
    EXPECT_FALSE(r.failed) << r.report;
    EXPECT_NE(r.damaged.find("zip member is damaged"), std::string::npos) << r.damaged;
    EXPECT_GT(r.added, 50);
    EXPECT_LT(r.added, 242);
    EXPECT_EQ(f.count(71701, "SELECT count(*) FROM soundings"), r.added);
}

// Killed while storing a long file, at several moments: every file opens whole,
// the main database's row of the station tells what its file holds, and a
// second run completes the import with every sounding once.
TEST(ArchiveImport, aKilledImportLeavesWholeFilesAndASecondRunCompletesIt) {
    test::TempFolder text;
    const auto path = text / "72518 Albany 1960-1984.fsl";
    test::writePeriodOfRecord(path, 25);
    Folder reference;
    FixedReviewDecider accept(true);
    ImportOptions opt;
    opt.decider = &accept;
    const auto all = reference.import(path, opt);
    ASSERT_GT(all.added, 19000);
    for (int round = 0; round < 3; ++round) {
        Folder f;
        core::MainDatabase::create(f.folder.dir() + core::MainDatabase::kFileName);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            core::SilentPrompter quiet;
            core::MainDatabase db(f.folder.dir());
            if (!db.open(quiet)) ::_exit(3);
            ImportOptions o = opt;
            o.mainDb = &db;
            importFile(f.folder.dir(), path.string(), o, quiet);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(120000 + round * 250000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        core::MainDatabase db(f.folder.dir());
        ASSERT_TRUE(db.open(f.prompter)) << "round " << round;
        if (std::filesystem::exists(f.dataFile(72518))) {
            EXPECT_EQ(core::openGuardedDatabase(f.dataFile(72518), false).execAndGet("PRAGMA integrity_check").getString(),
                      "ok")
                << "round " << round;
            const auto stored = f.count(72518, "SELECT count(*) FROM soundings");
            EXPECT_EQ(f.count(72518, "SELECT coalesce(max(NumSoundings), 0) FROM HaveData"), stored) << "round " << round;
            const auto row = db.db().execAndGet("SELECT coalesce(max(NumSoundings), 0) FROM havedata WHERE wmo = 72518");
            // The main row is written just after each batch: at most one batch behind the file.
            EXPECT_LE(stored - row.getInt64(), static_cast<std::int64_t>(kImportBatch)) << "round " << round;
        }
        ImportOptions o = opt;
        o.mainDb = &db;
        const auto second = f.import(path, o);
        EXPECT_EQ(second.added + second.duplicates + second.rejected, all.added + all.rejected + all.duplicates)
            << "round " << round;
        EXPECT_EQ(f.soundings(72518), reference.soundings(72518)) << "round " << round;
        EXPECT_EQ(db.db().execAndGet("SELECT NumSoundings FROM havedata WHERE wmo = 72518").getInt64(), all.added);
    }
}

// A disk that fills while a later batch is stored: the batches before it stay,
// the report says how many soundings were kept, and a second run adds the rest.
TEST(ArchiveImport, aDiskThatFillsAfterTheFirstBatchKeepsItAndSaysHowMany) {
    test::TempFolder text;
    const auto path = text / "72518 Albany 1960-1971.fsl";
    test::writePeriodOfRecord(path, 12);
    FixedReviewDecider accept(true);
    ImportOptions opt;
    opt.decider = &accept;
    Folder reference;
    long writes = 0;
    {
        test::DiskFillsAt never(1L << 40);
        ASSERT_FALSE(reference.import(path, opt).failed);
        writes = never.writes();
    }
    bool seen = false;
    for (long n = writes - 1; n > 0 && !seen; n -= std::max(1L, writes / 25)) {
        Folder f;
        ImportResult r;
        {
            test::DiskFillsAt full(n);
            r = f.import(path, opt);
        }
        if (r.report.rfind("Only the first ", 0) != 0) continue;
        seen = true;
        EXPECT_TRUE(r.failed);
        const long kept = std::stol(r.report.substr(15));
        EXPECT_GE(kept, static_cast<long>(kImportBatch));
        EXPECT_EQ(f.count(72518, "SELECT (SELECT count(*) FROM soundings) + (SELECT count(*) FROM deleted)"), kept);
        EXPECT_EQ(f.count(72518, "SELECT NumSoundings FROM HaveData"), f.count(72518, "SELECT count(*) FROM soundings"));
        EXPECT_NE(r.report.find("importing the file again adds them"), std::string::npos) << r.report;
        EXPECT_EQ(f.prompter.lastMessage(), r.report);
        EXPECT_FALSE(f.import(path, opt).failed);
        EXPECT_EQ(f.soundings(72518), reference.soundings(72518));
    }
    EXPECT_TRUE(seen) << "no fill point fell after the first batch";
}
