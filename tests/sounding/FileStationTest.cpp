#include "sounding/FileStation.h"

#include <filesystem>
#include <random>

#include <gtest/gtest.h>
#include <SQLiteCpp/Statement.h>

#include "ImportTestText.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/FileOps.h"
#include "core/MainDatabase.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

// A program folder with its main database (the station list) and "empty.dat".
struct Folder {
    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    core::MainDatabase main{tmp.dir()};
    Folder() {
        std::filesystem::create_directories(tmp / "data");
        StationDataFile::createEmpty((tmp / "empty.dat").string());
        core::MainDatabase::create(tmp.dir() + "Skyloom.dat");
        if (!main.open(prompter)) throw std::runtime_error("main database");
    }
    ImportResult import(const std::string& name, const std::string& bytes, std::optional<long> wmo = std::nullopt) {
        test::writeFile(tmp / name, bytes);
        ImportOptions opt;
        opt.mainDb = &main;
        return importFile(tmp.dir(), (tmp / name).string(), opt, prompter, wmo);
    }
    ImportResult importSample(const std::string& sample) {
        ImportOptions opt;
        opt.mainDb = &main;
        return importFile(tmp.dir(), test::sample(sample).string(), opt, prompter);
    }
    std::size_t dataFiles() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tmp / "data")) ++n;
        return n;
    }
    std::int64_t stationRows() { return main.db().execAndGet("SELECT count(*) FROM stations").getInt64(); }
    void addStation(long wmo, const std::string& init, long wban) {
        SQLite::Statement q(main.db(), "INSERT INTO stations (wmo, init, wban, stationname, nodataavailable, HaveData) "
                                       "VALUES (?, ?, ?, 'Test', 0, 0)");
        q.bind(1, static_cast<std::int64_t>(wmo));
        q.bind(2, init);
        q.bind(3, static_cast<std::int64_t>(wban));
        q.exec();
    }
};

std::string good(int day, long wmo) { return test::goodSounding(day, wmo); }

// The first sounding of the Gagetown IGRA sample under another station id.
std::string igraUnder(const std::string& id) {
    std::string text = test::readSample("igra2/CAM00071701-data.txt");
    text = text.substr(0, text.find("\n#", 1) + 1);
    return "#" + id + text.substr(12);
}

}  // namespace

TEST(FileStation, eachRealSampleImportsUnderItsOriginalNameIntoItsStation) {
    Folder f;
    const std::pair<const char*, long> samples[] = {
        {"fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", 87576}, {"fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", 72518},
        {"fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl", 72606}, {"fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl", 74494},
        {"igra2/CAM00071701-data.txt", 71701}, {"igra2/USM00070026-data_3soundings.txt", 70026}};
    for (const auto& [file, wmo] : samples) {
        auto r = f.importSample(file);
        EXPECT_FALSE(r.failed) << file << ": " << r.report;
        EXPECT_EQ(r.wmo, wmo) << file;
        EXPECT_GE(r.added, 1) << file;
        EXPECT_EQ(r.otherStation + r.unreadable, 0) << file;
        EXPECT_TRUE(core::fileExists(f.tmp.dir() + "data/" + std::to_string(wmo) + ".dat")) << file;
    }
    EXPECT_EQ(f.dataFiles(), 6u);
    // A Wyoming listing names its station in its title.
    auto wy = f.import("riverton.html", test::readFile(test::testData("wyoming/72672 riverton two soundings own listing.html")));
    EXPECT_EQ(wy.wmo, 72672);
    EXPECT_EQ(wy.added, 2);
}

TEST(FileStation, filesWithoutSoundingsMakeNothingAndSayWhichFileAndWhy) {
    Folder f;
    std::mt19937 gen(7);
    std::string junk(4096, '\0');
    for (auto& c : junk) c = static_cast<char>(gen());
    std::string utf16 = "\xFF\xFE";
    for (char c : good(2, 87576)) utf16 += std::string{c, '\0'};
    const std::pair<std::string, std::string> files[] = {
        {"12345 junk.txt", junk},
        {"87576 notes.txt", "Balloon launched at noon; nothing recorded.\nSee the log book.\n"},
        {"87576 empty.txt", ""},
        {"87576 nul.txt", std::string(5000, '\0')},
        {"87576 wide.txt", utf16},
    };
    const char* why[] = {"not text", "not radiosonde text the program reads", "the file is empty", "NUL bytes",
                         "UTF-16"};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const auto& [name, bytes] = files[i];
        auto r = f.import(name, bytes);
        EXPECT_TRUE(r.failed) << name;
        EXPECT_EQ(r.report, f.prompter.lastMessage()) << name;
        EXPECT_EQ(r.report.rfind("No soundings were found in '" + name + "': ", 0), 0u) << r.report;
        EXPECT_NE(r.report.find(why[i]), std::string::npos) << r.report;
        EXPECT_EQ(r.report.find('\n'), std::string::npos) << r.report;
    }
    // No station data file and no placeholder station.
    EXPECT_EQ(f.dataFiles(), 0u);
    EXPECT_EQ(f.stationRows(), 0);
}

TEST(FileStation, theNameRuleComesFirstAndTheFileNamesItsStationOtherwise) {
    Folder f;
    // Named by the file's station line, whatever the name.
    EXPECT_EQ(f.import("90010100.alb", good(2, 72518)).wmo, 72518);
    EXPECT_EQ(f.import("72518.fsl", good(3, 72518)).added, 1);
    // A name beginning with the number and a blank decides; another station's soundings in it are not added.
    auto named = f.import("87576 mixed.txt", good(2, 87576) + good(3, 72518));
    EXPECT_EQ(named.wmo, 87576);
    EXPECT_EQ(named.otherStation, 1);
    // Nothing names a station: the old message, unchanged.
    EXPECT_TRUE(f.import("Ezeiza.txt", test::soundingWithoutStationLine(4, 87576)).failed);
    EXPECT_EQ(f.prompter.lastMessage(), "Need WMO at start with space after it, rename it.");
    // Two stations and no name: which to take is the user's choice.
    EXPECT_TRUE(f.import("both.txt", good(5, 87576) + good(5, 72518)).failed);
    EXPECT_EQ(f.prompter.lastMessage(), "'both.txt' holds soundings of 2 stations (87576, 72518): put the WMO number "
                                        "of the one to import and a blank at the start of its name.");
    // A name beginning with a number no station can have, or naming a station the file does not hold.
    EXPECT_TRUE(f.import("1234567 x.txt", good(6, 87576)).failed);
    EXPECT_EQ(f.prompter.lastMessage(), "'1234567 x.txt' begins with 1234567, which is not a WMO station number: "
                                        "rename it with the station's WMO number and a blank at the start.");
    EXPECT_TRUE(f.import("0 x.txt", good(6, 87576)).failed);
    EXPECT_TRUE(f.import("12345 x.txt", good(6, 87576)).failed);
    EXPECT_EQ(f.prompter.lastMessage(),
              "'12345 x.txt' holds no soundings of station 12345, only of 87576: rename it or name its station.");
    EXPECT_FALSE(core::fileExists(f.tmp.dir() + "data/12345.dat"));
    EXPECT_FALSE(core::fileExists(f.tmp.dir() + "data/1234567.dat"));
    // A small number the station list knows is taken.
    f.addStation(999, "TST", 0);
    EXPECT_EQ(f.import("999 x.txt", good(7, 999)).added, 1);
}

TEST(FileStation, igraIdsWithoutAWmoNumberAreLookedUpOrTakeTheNamedStation) {
    Folder f;
    f.addStation(71701, "CYCX", 0);
    f.addStation(72518, "ALB", 14735);
    // ICAO-based id: the call letters; WBAN-based id: the WBAN number of the station list.
    EXPECT_EQ(f.import("icao.txt", igraUnder("CAI0000CYCX")).wmo, 71701);
    EXPECT_EQ(f.import("wban.txt", igraUnder("USW00014735")).wmo, 72518);
    // Unknown to the list: only a name can give the station.
    EXPECT_TRUE(f.import("ship.txt", igraUnder("ZZV0000DBLK")).failed);
    EXPECT_EQ(f.prompter.lastMessage(), "Need WMO at start with space after it, rename it.");
    auto named = f.import("87576 ship.txt", igraUnder("ZZV0000DBLK"));
    EXPECT_EQ(named.wmo, 87576);
    EXPECT_EQ(named.added + named.rejected, 1);
    EXPECT_EQ(named.unreadable, 0);
}

TEST(FileStation, plausibleNumbersAndUtf16) {
    EXPECT_FALSE(plausibleWmo(0));
    EXPECT_FALSE(plausibleWmo(999));
    EXPECT_TRUE(plausibleWmo(1001));
    EXPECT_TRUE(plausibleWmo(99999));
    EXPECT_FALSE(plausibleWmo(100000));
    EXPECT_EQ(numberAtNameStart("/a/b/72518 x.txt"), 72518);
    EXPECT_EQ(numberAtNameStart("72518.txt"), std::nullopt);
    EXPECT_EQ(numberAtNameStart("12345678 x.txt"), std::nullopt);
    EXPECT_TRUE(looksUtf16(std::string("\xFE\xFF\0a", 4)));
    EXPECT_TRUE(looksUtf16(std::string("a\0b\0c\0d\0", 8)));
    EXPECT_FALSE(looksUtf16("abcdefgh"));
    EXPECT_FALSE(looksUtf16(std::string(16, '\0')));
}
