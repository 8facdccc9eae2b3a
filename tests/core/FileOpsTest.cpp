#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/FileOps.h"

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
    EXPECT_FALSE(core::fileExists(tmp.dir() + "dst.dat.part"));
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

TEST(CompactFile, missingFileDoesNothingAndUncompactableFileStaysAsItWas) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    core::compactFile(tmp.dir() + "none.dat", tmp.dir(), p);
    EXPECT_FALSE(core::fileExists(tmp.dir() + "temp.mdb"));
    test::writeFile(tmp / "junk.dat", "not a database at all, but the user's bytes");
    core::compactFile(tmp.dir() + "junk.dat", tmp.dir(), p);
    EXPECT_EQ(test::readFile(tmp / "junk.dat"), "not a database at all, but the user's bytes");
    EXPECT_TRUE(p.messages.empty());
}
