#include "session/PowerListener.h"

#include <gtest/gtest.h>

#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "core/MainDatabase.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/StationIndex.h"
#include "power/GeneratorStore.h"
#include "power/GeneratorInfoStore.h"
#include "power/LibraryGenerators.h"
#include "sounding/LevelStatistics.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

// A main database with the supplied generators of the turbine library, and
// station 72518 analysed with them.
class PowerOnSoundings : public ::testing::Test {
protected:
    static constexpr long kWmo = 72518;

    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(db.open(silent));
        const auto library = power::parseLibraryTable(test::readFile(test::projectData("library-generators.csv")));
        ASSERT_EQ(power::installLibraryGenerators(db.db(), library), 76);
        db.db().exec("INSERT INTO countries (country, abrev, region) VALUES ('United States', 'US', 'North America')");
    }
    // Lists the station whose data file is in place.
    void registerStation(const sounding::HaveDataRow& have) {
        test::registerStation(db, have, "ALBANY", "US", 42.75, -73.8);
        stations.load(db);
    }
    // Two years of twice-daily soundings whose ground wind runs through calm, moderate and strong.
    void addBuiltStation() {
        registerStation(test::StationFileBuilder(test::StationFileBuilder::pathFor(folder.dir(), kWmo), kWmo)
                            .addTwiceDaily(core::makeDate(2019, 1, 1), core::makeDate(2020, 12, 31),
                                           [](int n) { return static_cast<std::int32_t>((n * 37) % 260); })
                            .write());
    }

    // Analyses the whole file with a supplied generator at a height (80 m unless given).
    power::PowerAnalysis analyse(const std::string& generator, session::PowerListener& listener,
                                 double heightFeet = 262.5) {
        power::GeneratorStore store(db.db());
        listener.setGenerator(store.findByName(generator));
        session::SiteAnalysis analysis(db, settings, silent, stations);
        const sounding::Units units(sounding::UnitMode::SI);
        analysis.setUnits(units);
        analysis.setHeightOfInterestFeet(heightFeet);
        analysis.setListener(&listener);
        analysis.setSiteString(analysis.siteEntryText(kWmo));
        EXPECT_EQ(analysis.reanalyseSite(true), session::AnalysisOutcome::Analysed);
        yearRows = analysis.statistics().yearTable.rows;
        soundings = analysis.soundings();
        return listener.analysisAt(heightFeet, units);
    }

    test::TempFolder folder;
    core::SilentPrompter silent;
    core::MainDatabase db{folder.dir()};
    core::Settings settings{db};
    core::StationIndex stations;
    std::vector<sounding::YearRow> yearRows;
    sounding::SoundingSet soundings;
};

}  // namespace

TEST_F(PowerOnSoundings, albanyNineteenNinetyGivesSaneRepeatableFigures) {
    sounding::ImportOptions options;
    const auto imported = sounding::importFile(
        folder.dir(), test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), options, silent, kWmo);
    ASSERT_GT(imported.added, 700);
    {
        auto file = sounding::StationDataFile::open(test::StationFileBuilder::pathFor(folder.dir(), kWmo), true, silent);
        ASSERT_TRUE(file && file->haveData());
        registerStation(*file->haveData());
    }
    session::PowerListener first, second;
    const auto a = analyse("Vestas V82 (1.65 MW)", first);
    const auto b = analyse("Vestas V82 (1.65 MW)", second);
    EXPECT_GT(a.potCF, 0);
    EXPECT_LT(a.potCF, 100);
    EXPECT_GT(a.idlePercent, 0);
    EXPECT_LT(a.idlePercent, 100);
    EXPECT_GT(a.potKW, 0);
    EXPECT_LT(a.potKW, 1650);
    EXPECT_EQ(a.summary.rfind("Power Analysis for 80 meters results in a Potential Capacity Factor of ", 0), 0u)
        << a.summary;
    EXPECT_EQ(a.summary, b.summary);
    EXPECT_EQ(a.effectLine, b.effectLine);
    EXPECT_EQ(a.idlePercent, b.idlePercent);
    EXPECT_EQ(a.effectLine.rfind("Temperature and pressure effect: ", 0), 0u) << a.effectLine;
    EXPECT_FALSE(first.results().effectsUnknown);
}

// What the ten points cost at a real site: Albany 1990 at 37 m with the NPS 100C-21.
TEST_F(PowerOnSoundings, albanyAtThirtySevenMetresGivesTheFullCurvesCapacityFactorWithinOnePercent) {
    sounding::ImportOptions options;
    sounding::importFile(folder.dir(), test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), options,
                         silent, kWmo);
    {
        auto file = sounding::StationDataFile::open(test::StationFileBuilder::pathFor(folder.dir(), kWmo), true, silent);
        ASSERT_TRUE(file && file->haveData());
        registerStation(*file->haveData());
    }
    const std::string name = "Northern Power NPS 100C-21 (100 kW)";
    const double feet = 37 * 3.281;
    session::PowerListener listener;
    const auto record = analyse(name, listener, feet);
    const auto facts = power::GeneratorInfoStore(db.db()).find(name);
    ASSERT_TRUE(facts);
    const auto full = listener.fullCurveAnalysisAt(soundings, facts->fullCurve(listener.generator()->cutOut), feet,
                                                   sounding::Units(sounding::UnitMode::SI));
    ASSERT_GT(record.potCF, 5);
    EXPECT_NEAR(record.potCF / full.potCF, 1.0, 0.01) << record.potCF << " against " << full.potCF;
    EXPECT_NE(record.potKW, full.potKW);   // two different curves did run
    EXPECT_EQ(full.summary.rfind("Power Analysis for 37 meters results in a Potential Capacity Factor of ", 0), 0u);
}

TEST_F(PowerOnSoundings, yearTableGetsTheCapacityFactorsOfThePowerPass) {
    addBuiltStation();
    session::PowerListener listener;
    analyse("GE 1.5 MW (77 m)", listener);
    ASSERT_EQ(yearRows.size(), 2u);
    EXPECT_EQ(yearRows[0].year, 2019);
    EXPECT_GT(yearRows[0].capacityFactor[4], 0);
    EXPECT_EQ(yearRows[0].capacityFactor, listener.results().years[0].capacityFactor);
    // 2019 is a whole year of soundings: its capacity factor at 80 m is reported unmarked.
    EXPECT_GT(power::yearDifferenceAtHeight(listener.results(), 0, 262.5), 0);
}

TEST(PowerListener, generatorSettingsFollowTheCurrentGenerator) {
    session::PowerListener listener;
    EXPECT_EQ(listener.generatorSettings().cutOut, 0);
    power::GeneratorRecord g;
    g.height = 262;
    g.temperature = 150;
    g.pressure = 1013.25;
    g.cutInSpeed = 6.8;
    g.maxToGrid = 2000;
    g.cutOut = 48.6;
    g.points[9] = {27.21, 2000};
    listener.setGenerator(g);
    const auto s = listener.generatorSettings();
    EXPECT_EQ(s.hubHeight, 262);
    EXPECT_EQ(s.cutOut, 48.6);
    EXPECT_EQ(s.pointSpeed[9], 27.21);
    EXPECT_EQ(s.pointKw[9], 2000);
}
