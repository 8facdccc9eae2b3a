#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "DiskFull.h"
#include "TempFolder.h"
#include "core/FolderLock.h"
#include "core/WholeFile.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(WholeFile, replacesTheFileAndLeavesNothingBeside) {
    test::TempFolder tmp;
    test::writeFile(tmp / "list.bin", "old list");
    core::writeFileWhole(tmp / "list.bin", std::string("new\0list", 8));
    EXPECT_EQ(test::readFile(tmp / "list.bin"), std::string("new\0list", 8));
    core::writeFileWhole(tmp / "empty.txt", "");
    EXPECT_TRUE(fs::exists(tmp / "empty.txt"));
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"empty.txt", "list.bin"}));
    EXPECT_EQ(fs::status(tmp / "list.bin").permissions() & fs::perms::owner_read, fs::perms::owner_read);
}

TEST(WholeFile, aFullDiskKeepsTheOldFileWholeAndSaysWhichFileAndWhy) {
    test::TempFolder tmp;
    test::writeFile(tmp / "Analysis_all.csv", "the old export");
    {
        test::DiskFillsAt full(1);
        try {
            core::writeFileWhole(tmp / "Analysis_all.csv", std::string(100000, 'x'));
            FAIL() << "a write on a full disk was taken for done";
        } catch (const core::FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Can not write the file '" + (tmp / "Analysis_all.csv").string() + "': No space left on device");
            EXPECT_EQ(e.reason, "No space left on device");
        }
        EXPECT_NE(core::tryWriteFileWhole(tmp / "new.kml", "doc"), "");
    }
    EXPECT_EQ(test::readFile(tmp / "Analysis_all.csv"), "the old export");
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"Analysis_all.csv"});
    EXPECT_NE(core::tryWriteFileWhole(tmp / "no" / "such" / "folder.txt", "x").find("No such file or directory"),
              std::string::npos);
}

TEST(WholeFile, temporaryNamesAreTheirOwnAndTheLeftoversOfKilledRunsAreCleared) {
    test::TempFolder tmp;
    const fs::path db = tmp / "Skyloom.dat";
    const fs::path a = core::makeTemporaryBeside(db, "compacting");
    const fs::path b = core::makeTemporaryBeside(db, "compacting");
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::exists(a) && fs::file_size(a) == 0);
    core::makeTemporaryBeside(tmp / "OrderList.bin", "writing");
    core::makeTemporaryBeside(tmp / "empty.dat", "making");
    test::writeFile(a.string() + "-journal", "j");
    for (const char* keep : {"Skyloom.dat", "my.writing-notes.txt", "72518.dat.copying-1", "Skyloom.dat-journal"})
        test::writeFile(tmp / keep, "the user's");
    core::clearTemporariesIn(tmp.path());
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"72518.dat.copying-1", "Skyloom.dat",
                                                             "Skyloom.dat-journal", "my.writing-notes.txt"}));
}

TEST(FolderLock, runsShareTheFolderAndWorkAloneOnlyWhenNoOtherHoldsIt) {
    test::TempFolder tmp;
    std::optional<core::FolderLock> first(std::in_place, tmp.dir());
    core::FolderLock second(tmp.dir());
    ASSERT_TRUE(first->holdShared(0));
    ASSERT_TRUE(second.holdShared(0));
    EXPECT_FALSE(second.tryHoldAlone());
    EXPECT_FALSE(second.heldAlone());
    first.reset();  // a run that ends lets go
    ASSERT_TRUE(second.tryHoldAlone());
    core::FolderLock late(tmp.dir());
    EXPECT_FALSE(late.holdShared(60));  // waits, then gives up while the folder is held alone
    EXPECT_FALSE(late.tryHoldAlone());
    second.backToShared();
    EXPECT_TRUE(late.holdShared(0));
    EXPECT_FALSE(second.tryHoldAlone());
    EXPECT_TRUE(core::FolderLock(tmp.dir() + "missing/").holdShared(0));  // no folder: nothing to share
}
