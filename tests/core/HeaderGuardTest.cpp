#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/HeaderGuard.h"

using namespace skyloom;
using skyloom::test::readFile;
using skyloom::test::TempFolder;
using skyloom::test::writeFile;

namespace {
std::string guardOf(std::string plain19) {
    std::string g = plain19;
    core::transformHeader(reinterpret_cast<unsigned char*>(g.data()), g.size());
    return g;
}
}  // namespace

TEST(HeaderGuard, transformReversesAndInvertsAndIsItsOwnInverse) {
    std::string bytes("SQLite format 3\0\x10\x00\x01", 19);
    std::string g = guardOf(bytes);
    for (std::size_t j = 0; j < 19; ++j)
        EXPECT_EQ(static_cast<unsigned char>(g[j]), 255 - static_cast<unsigned char>(bytes[18 - j])) << j;
    EXPECT_EQ(guardOf(g), bytes);
}

TEST(HeaderGuard, fileOperationsOnlyChangeFilesInTheOtherState) {
    TempFolder tmp;
    auto p = (tmp / "a.dat").string();
    std::string plain = std::string("SQLite format 3") + std::string(1, '\0') + std::string("\x10\x00\x01", 3) +
                        "rest of file";
    writeFile(p, plain);
    EXPECT_TRUE(core::unguardHeader(p));            // already plain: unchanged
    EXPECT_EQ(readFile(p), plain);
    EXPECT_TRUE(core::guardHeader(p));
    std::string guarded = readFile(p);
    EXPECT_EQ(guarded.substr(0, 19), guardOf(plain.substr(0, 19)));
    EXPECT_EQ(guarded.substr(19), "rest of file");
    EXPECT_TRUE(core::guardHeader(p));              // already guarded: unchanged
    EXPECT_EQ(readFile(p), guarded);
    EXPECT_TRUE(core::unguardHeader(p));
    EXPECT_EQ(readFile(p), plain);
}

TEST(HeaderGuard, shortAndForeignFilesAreTransformedAsFarAsTheyGo) {
    TempFolder tmp;
    auto p = (tmp / "short.dat").string();
    writeFile(p, "abc");
    EXPECT_TRUE(core::unguardHeader(p));  // no signature: taken as guarded, so transformed
    std::string once = readFile(p);
    ASSERT_EQ(once.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(once[0]), 255 - 'c');
    EXPECT_EQ(static_cast<unsigned char>(once[2]), 255 - 'a');
    EXPECT_FALSE(core::unguardHeader((tmp / "missing.dat").string()));
}

TEST(HeaderGuard, databaseStaysGuardedOnDiskThroughWritesAndOpensAgain) {
    TempFolder tmp;
    auto p = (tmp / "g.dat").string();
    {
        SQLite::Database db = core::openGuardedDatabase(p, true);
        db.exec("CREATE TABLE t (x INTEGER)");
        for (int i = 0; i < 500; ++i) db.exec("INSERT INTO t VALUES (" + std::to_string(i) + ")");
        EXPECT_FALSE(core::fileHeaderIsPlain(p));
    }
    EXPECT_FALSE(core::fileHeaderIsPlain(p));
    // The plain engine refuses the guarded file...
    EXPECT_THROW({
        SQLite::Database plainDb(p, SQLite::OPEN_READONLY);
        plainDb.exec("SELECT count(*) FROM t");
    }, SQLite::Exception);
    // ...and reads it once unguarded; the program guards it again on its next open.
    ASSERT_TRUE(core::unguardHeader(p));
    {
        SQLite::Database plainDb(p, SQLite::OPEN_READONLY);
        EXPECT_EQ(plainDb.execAndGet("SELECT count(*) FROM t").getInt(), 500);
    }
    SQLite::Database db = core::openGuardedDatabase(p, false);
    EXPECT_FALSE(core::fileHeaderIsPlain(p));
    EXPECT_EQ(db.execAndGet("SELECT sum(x) FROM t").getInt(), 124750);
}

TEST(HeaderGuard, foreignShortAndEmptyFilesFailToOpenWithAnError) {
    TempFolder tmp;
    for (std::string content : {std::string(), std::string("abc"), std::string(4096, 'x')}) {
        auto p = (tmp / "bad.dat").string();
        writeFile(p, content);
        EXPECT_THROW(core::openGuardedDatabase(p, false), SQLite::Exception) << content.size();
    }
}
