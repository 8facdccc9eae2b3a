#include <gtest/gtest.h>

#include <filesystem>

#include "DiskFull.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/FileOps.h"
#include "core/Prompter.h"

using namespace skyloom;

namespace {
constexpr std::uint64_t kMb = 1024000;
}

TEST(CopyWithSpaceCheck, missingSourceIsReported) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    EXPECT_FALSE(core::copyWithSpaceCheck(tmp.dir() + "none.dat", tmp.dir() + "t.dat", p));
    EXPECT_EQ(p.lastMessage(), "Cant find " + tmp.dir() + "none.dat to copy it!");
}

TEST(CopyWithSpaceCheck, exactlyTheFileSizeFreeStillPromptsForOneMegabyteMore) {
    test::TempFolder tmp;
    test::writeFile(tmp / "src.dat", std::string(2 * kMb, 'a'));  // 2 mb
    test::ScriptedPrompter p;
    p.ok().ok();
    std::vector<std::uint64_t> freeSeen = {2 * kMb, 2 * kMb + kMb / 2, 3 * kMb};
    std::size_t calls = 0;
    auto space = [&](const std::string&) { return freeSeen[std::min(calls++, freeSeen.size() - 1)]; };
    ASSERT_TRUE(core::copyWithSpaceCheck(tmp.dir() + "src.dat", tmp.dir() + "dst.dat", p, space));
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0], "Skyloom needs 1.0 mb of space freed up on drive " + tmp.path().string() +
                                 "\nPlease free up this space now and then click OK (Make sure you empty the "
                                 "Recycle bin after you delete some files)");
    EXPECT_EQ(p.messages[1].substr(0, 18), "Skyloom needs .5 m");
    EXPECT_EQ(test::readFile(tmp / "dst.dat").size(), 2 * kMb);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 2);
}

TEST(CopyWithSpaceCheck, givingUpOnFreeingSpaceCopiesNothingAndSaysWhy) {
    test::TempFolder tmp;
    test::writeFile(tmp / "src.dat", "abc");
    test::writeFile(tmp / "dst.dat", "the target as it was");
    test::ScriptedPrompter p;
    p.ok().giveUp();
    std::string why;
    EXPECT_FALSE(core::copyWithSpaceCheck(tmp.dir() + "src.dat", tmp.dir() + "dst.dat", p,
                                          [](const std::string&) { return std::uint64_t(0); }, &why));
    EXPECT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(why, "there is not enough free space on the disk");
    EXPECT_EQ(test::readFile(tmp / "dst.dat"), "the target as it was");
    // Where no one can free space, the first refusal ends it.
    core::SilentPrompter nobody;
    EXPECT_FALSE(core::copyWithSpaceCheck(tmp.dir() + "src.dat", tmp.dir() + "dst.dat", nobody,
                                          [](const std::string&) { return std::uint64_t(0); }));
    EXPECT_EQ(nobody.messages().size(), 1u);
}

TEST(CopyWithSpaceCheck, aDiskThatFillsDuringTheCopyLeavesTheTargetAsItWas) {
    test::TempFolder tmp;
    test::writeFile(tmp / "src.dat", std::string(5000, 's'));
    test::writeFile(tmp / "dst.dat", "the target as it was");
    test::ScriptedPrompter p;
    std::string why;
    {
        test::DiskFillsAt full(1);
        EXPECT_FALSE(core::copyWithSpaceCheck(tmp.dir() + "src.dat", tmp.dir() + "dst.dat", p,
                                              [](const std::string&) { return std::uint64_t(1) << 40; }, &why));
    }
    EXPECT_EQ(why, "No space left on device");
    EXPECT_EQ(p.lastMessage(), "Error No space left on device copying " + tmp.dir() + "src.dat to " + tmp.dir() +
                                   "dst.dat");
    EXPECT_EQ(test::readFile(tmp / "dst.dat"), "the target as it was");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 2);
}

TEST(CopyWithSpaceCheck, copyErrorIsReportedAndTheTargetLeftAlone) {
    test::TempFolder tmp;
    test::writeFile(tmp / "src.dat", "abc");
    test::ScriptedPrompter p;
    const std::string target = tmp.dir() + "no/such/folder/t.dat";
    EXPECT_FALSE(core::copyWithSpaceCheck(tmp.dir() + "src.dat", target, p,
                                          [](const std::string&) { return std::uint64_t(1) << 40; }));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].rfind("Error ", 0), 0u);
    EXPECT_NE(p.messages[0].find(" copying " + tmp.dir() + "src.dat to " + target), std::string::npos);
}
