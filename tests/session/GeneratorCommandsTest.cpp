#include "session/GeneratorCommands.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/MainSchema.h"
#include "power/GeneratorFile.h"
#include "power/GeneratorStore.h"

using namespace skyloom;
using power::GeneratorRecord;
using session::GeneratorCommands;

namespace {

const std::string kLockTail =
    ".  If you wish to modify it, please make a copy of this Power Curve with a new name and then make the changes "
    "you wish.";

GeneratorRecord mill(const std::string& name, double height = 100) {
    GeneratorRecord g;
    g.name = name;
    g.height = height;
    g.cutInSpeed = 6;
    g.temperature = 150;
    g.pressure = 1013.25;
    g.points[0] = {8, 2};
    g.points[1] = {12, 10};
    g.points[2] = {20, 50};
    g.cutOut = 40;
    g.costPerYear = 900;
    g.maxToGrid = 50;
    g.recomputeMaxKW();
    return g;
}

struct Events : session::GeneratorObserver {
    int changed = 0, lists = 0, stale = 0, balance = 0, all = 0;
    std::vector<double> heights;
    std::vector<std::string> overlays;
    void generatorChanged() override { ++changed; }
    void overlayCurve(const GeneratorRecord& g) override { overlays.push_back(g.name); }
    void listChanged() override { ++lists; }
    void resultsMarkedStale() override { ++stale; }
    void recomputeBalance() override { ++balance; }
    void recomputeAll() override { ++all; }
    void analysisHeightSet(double feet) override { heights.push_back(feet); }
    // New and copied generators: shown without a run, with the height they bring (-1: none).
    std::vector<double> awaiting;
    void generatorAwaitsRun(std::optional<double> feet) override { awaiting.push_back(feet.value_or(-1)); }
};

class GeneratorCommandsTest : public ::testing::Test {
protected:
    GeneratorCommandsTest()
        : db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE), store(db),
          commands(store, prompter, folder.dir(), &events) {
        core::createMainSchema(db);
    }

    // Puts g in the table and refreshes the list; current() also makes it current.
    void add(GeneratorRecord g) {
        store.add(g);
        commands.refresh();
    }
    void current(const GeneratorRecord& g) {
        add(g);
        ASSERT_TRUE(commands.choose(g.name));
    }
    long long saveAnalysis(const GeneratorRecord& g) {
        std::string cols, marks;
        for (int pos = 1; pos < power::kGeneratorColumnCount; ++pos) {
            cols += std::string(pos > 1 ? ", " : "") + "\"" + std::string(core::kDatapointGeneratorColumns[pos].name) + "\"";
            marks += pos > 1 ? ", ?" : "?";
        }
        SQLite::Statement q(db, "INSERT INTO datapoints (" + cols + ") VALUES (" + marks + ")");
        q.bind(1, g.name);
        for (int pos = 2; pos < power::kGeneratorColumnCount; ++pos) q.bind(pos, g.column(pos));
        q.exec();
        return db.getLastInsertRowid();
    }
    GeneratorRecord stored(const std::string& name) { return store.findByName(name).value(); }
    // The commands, with text queued for the next input box.
    GeneratorCommands& typed(const std::string& text) {
        prompter.answer(text);
        return commands;
    }

    SQLite::Database db;
    power::GeneratorStore store;
    test::ScriptedPrompter prompter;
    test::TempFolder folder;
    Events events;
    GeneratorCommands commands;
};

}  // namespace

TEST_F(GeneratorCommandsTest, listIsTallestFirstAndRefreshPicksTheFirst) {
    auto shortOne = mill("Short", 40), tall = mill("Tall", 300);
    store.add(shortOne);
    store.add(tall);
    commands.refresh();
    EXPECT_EQ(commands.list(), (std::vector<std::string>{"Tall", "Short"}));
    EXPECT_EQ(commands.current()->name, "Tall");
    EXPECT_TRUE(commands.nameListed("SHORT"));
    EXPECT_FALSE(commands.nameListed("short"));
}

TEST_F(GeneratorCommandsTest, choosingWithShiftOnlyDrawsTheOtherCurve) {
    current(mill("A"));
    add(mill("B"));
    EXPECT_FALSE(commands.choose("B", true));
    EXPECT_EQ(commands.current()->name, "A");
    EXPECT_EQ(events.overlays, std::vector<std::string>{"B"});
    EXPECT_TRUE(commands.choose("b"));
    EXPECT_EQ(commands.current()->name, "B");
    EXPECT_FALSE(commands.choose("missing"));
}

TEST_F(GeneratorCommandsTest, renameRefusesIllegalAndListedNamesThenAsksAgain) {
    current(mill("Mine"));
    add(mill("Other"));
    prompter.answer("bad/name").answer("  other ").answer(" Fresh ");
    EXPECT_TRUE(commands.rename());
    EXPECT_EQ(prompter.messages,
              (std::vector<std::string>{"This is not a legal file name, please try again.",
                                        "This filename in currently being used in the power curve selection list, "
                                        "please enter another name."}));
    EXPECT_EQ(prompter.defaults.front(), "Mine");
    EXPECT_EQ(commands.current()->name, "Fresh");
    EXPECT_TRUE(store.findByName("Fresh"));
    EXPECT_FALSE(store.findByName("Mine"));
    for (const char* bad : {"q?", "a<b", "a>b", "back\\", "c:", "s*", "p|", "say \"x\""}) {
        prompter.answer(bad).cancel();
        EXPECT_FALSE(commands.rename()) << bad;
        EXPECT_EQ(prompter.lastMessage(), "This is not a legal file name, please try again.");
    }
    EXPECT_EQ(stored("Fresh").name, "Fresh");
}

TEST_F(GeneratorCommandsTest, renameCarriesTheNameIntoAnalysesUnlessTheirCurveIsReloaded) {
    current(mill("Old"));
    auto other = mill("Target");
    other.points[2].kw = 55;
    saveAnalysis(other);   // an analysis under the new name with another curve
    prompter.answer("Target").no().answer("Target").yes();
    EXPECT_TRUE(commands.rename());
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0],
              "At some point an analysis has been done with a generator by this name, and the curve does not match "
              "the displayed curve, shall I reload that curve?  If you say no, you must enter a different name.");
    EXPECT_EQ(stored("Target").points[2].kw, 55);
    EXPECT_EQ(commands.current()->points[2].kw, 55);
}

TEST_F(GeneratorCommandsTest, copiesNumberFromTheBaseAndSkipNumbersOfAnalyses) {
    auto t = mill("T");
    t.orgData = -1;
    current(t);
    EXPECT_TRUE(commands.copyCurve());
    EXPECT_EQ(commands.current()->name, "T~1");
    EXPECT_EQ(commands.current()->orgData, 0);
    EXPECT_TRUE(commands.choose("T"));
    EXPECT_TRUE(commands.copyCurve());
    EXPECT_EQ(commands.current()->name, "T~2");
    EXPECT_TRUE(commands.choose("T~1"));
    EXPECT_TRUE(commands.copyCurve());
    EXPECT_EQ(commands.current()->name, "T~3");
    saveAnalysis(mill("T~4"));
    EXPECT_TRUE(commands.copyCurve());
    EXPECT_EQ(commands.current()->name, "T~5");

    auto copy = stored("T~5");
    auto original = stored("T");
    copy.id = original.id;
    copy.name = original.name;
    copy.orgData = original.orgData;
    EXPECT_EQ(copy, original);
    EXPECT_EQ(events.awaiting.back(), 100);
}

TEST_F(GeneratorCommandsTest, suppliedOrUsedCurvesRefuseEditsButAllowCopyAndRemove) {
    auto supplied = mill("Supplied");
    supplied.orgData = -1;
    current(supplied);
    EXPECT_FALSE(commands.rename());
    EXPECT_EQ(prompter.messages.back(), "This is data originally supplied with Skyloom" + kLockTail);
    EXPECT_FALSE(commands.editSpeed(12));
    EXPECT_FALSE(commands.editKW(2));
    for (auto edit : {&GeneratorCommands::editHubHeight, &GeneratorCommands::editTemperature,
                      &GeneratorCommands::editPressure, &GeneratorCommands::editCostPerYear,
                      &GeneratorCommands::editCutOut, &GeneratorCommands::editMaxToGrid})
        EXPECT_FALSE((commands.*edit)());
    EXPECT_EQ(prompter.messages.size(), 9u);
    EXPECT_TRUE(prompter.prompts.empty());
    supplied.id = stored("Supplied").id;
    EXPECT_EQ(stored("Supplied"), supplied);

    saveAnalysis(supplied);
    commands.refresh();
    EXPECT_FALSE(commands.editKW(1));
    EXPECT_EQ(prompter.messages.back(),
              "This is data originally supplied with Skyloom and this power curve has been used in an analysis" +
                  kLockTail);
    EXPECT_TRUE(commands.copyCurve());
    EXPECT_EQ(commands.current()->name, "Supplied~1");
    EXPECT_TRUE(commands.choose("Supplied"));
    prompter.yes();
    EXPECT_TRUE(commands.removeCurve());
    EXPECT_FALSE(store.findByName("Supplied"));
    EXPECT_EQ(commands.current()->name, "Supplied~1");

    auto used = mill("Used");
    current(used);
    saveAnalysis(used);
    EXPECT_FALSE(commands.editMaxToGrid());
    EXPECT_EQ(prompter.messages.back(), "This power curve has been used in an analysis" + kLockTail);
    EXPECT_EQ(commands.curveUsedInAnalysis(), -1);
}

TEST_F(GeneratorCommandsTest, aCopyIsEditableUntilASavedAnalysisUsesIt) {
    current(mill("T"));
    saveAnalysis(mill("T"));
    const int runs = events.changed;
    ASSERT_TRUE(commands.copyCurve());
    // The copy is shown, its results stale, and nothing is run (or saved) with it.
    EXPECT_EQ(commands.current()->name, "T~1");
    EXPECT_TRUE(commands.resultsStale());
    EXPECT_EQ(events.changed, runs);
    EXPECT_EQ(events.awaiting, std::vector<double>{100});
    EXPECT_EQ(commands.curveUsedInAnalysis(), 0);
    EXPECT_TRUE(typed("9").editKW(1));
    EXPECT_TRUE(prompter.messages.empty());

    // Saved in an analysis (the one now open on the page included), the curve is locked.
    saveAnalysis(stored("T~1"));
    EXPECT_FALSE(commands.editKW(1));
    EXPECT_EQ(prompter.messages.back(), "This power curve has been used in an analysis" + kLockTail);
    EXPECT_EQ(commands.curveUsedInAnalysis(), -1);
    EXPECT_EQ(stored("T~1").points[0].kw, 9);

    // A new generator is shown the same way, without a height.
    prompter.answer("Fresh");
    ASSERT_TRUE(commands.newCurve());
    EXPECT_EQ(events.awaiting.back(), -1);
    EXPECT_EQ(events.changed, runs);
    // Choosing a generator runs everything with it: nothing is stale any more.
    EXPECT_TRUE(commands.choose("T"));
    EXPECT_FALSE(commands.resultsStale());
}

TEST_F(GeneratorCommandsTest, removeAsksWithNoAsDefaultAndOffersTheCurveFile) {
    current(mill("Gone"));
    add(mill("Stays", 50));
    test::writeFile(folder / "Gone.txt", "x");
    prompter.no();
    EXPECT_FALSE(commands.removeCurve());
    EXPECT_EQ(prompter.questions.back(), "Are you sure you want to remove the curve 'Gone' ?");
    EXPECT_TRUE(store.findByName("Gone"));
    prompter.yes().yes();
    EXPECT_TRUE(commands.removeCurve());
    EXPECT_EQ(prompter.questions.back(),
              "Would you like me to delete this curve ('Gone') from you hard disk too, so that it is not available "
              "for importing?");
    EXPECT_FALSE(std::filesystem::exists(folder / "Gone.txt"));
    EXPECT_EQ(commands.list(), std::vector<std::string>{"Stays"});
}

TEST_F(GeneratorCommandsTest, pointSpeedsMustStayInOrder) {
    current(mill("Curve"));
    // Display index 12 is point 1 (8 kn) between cut-in 6 and point 2 at 12.
    EXPECT_FALSE(typed("6").editSpeed(12));
    EXPECT_EQ(prompter.lastMessage(), "You must enter a speed that is greater than the speed below it.");
    EXPECT_FALSE(typed("12").editSpeed(12));
    EXPECT_EQ(prompter.lastMessage(), "You must enter a speed that is less than the speed above it.");
    EXPECT_EQ(stored("Curve").points[0].speed, 8);
    EXPECT_EQ(events.stale, 0);

    EXPECT_FALSE(typed("8").editSpeed(12));   // unchanged: nothing happens
    prompter.cancel();
    EXPECT_FALSE(commands.editSpeed(12));

    EXPECT_TRUE(typed("9.5").editSpeed(12));
    EXPECT_EQ(stored("Curve").points[0].speed, 9.5);
    EXPECT_TRUE(commands.resultsStale());
    EXPECT_EQ(events.stale, 1);

    // After the last used point (next speed 0) any larger speed is accepted.
    EXPECT_TRUE(typed("60").editSpeed(14));
    EXPECT_EQ(stored("Curve").points[2].speed, 60);
    EXPECT_TRUE(typed("61").editSpeed(15));
    EXPECT_TRUE(typed("0.5").editSpeed(11));   // the cut-in has no lower bound
    EXPECT_EQ(stored("Curve").cutInSpeed, 0.5);
}

TEST_F(GeneratorCommandsTest, speedsAreEnteredInDisplayUnitsAndStoredInKnots) {
    current(mill("Metric"));
    commands.setUnits(sounding::Units(sounding::UnitMode::SI));
    EXPECT_EQ(commands.shownSpeed(1), 4.12);   // 8 kn x 0.5144
    EXPECT_TRUE(typed("5").editSpeed(12));
    EXPECT_EQ(stored("Metric").points[0].speed, 9.72);   // 5 / 0.5144, 2 decimals
    EXPECT_EQ(prompter.defaults.back(), "4.12");
}

TEST_F(GeneratorCommandsTest, pointPowersMustStayInOrderAndRecomputeMaxKW) {
    current(mill("Power"));
    EXPECT_FALSE(typed("2").editKW(2));
    EXPECT_EQ(prompter.lastMessage(), "You must enter a kW that is greater than the kW below it.");
    EXPECT_FALSE(typed("50").editKW(2));
    EXPECT_EQ(prompter.lastMessage(), "You must enter a kW that is less than the kW above it.");
    EXPECT_TRUE(typed("123.456").editKW(3));
    EXPECT_EQ(stored("Power").points[2].kw, 123);
    EXPECT_EQ(stored("Power").maxKW, 123);
    EXPECT_TRUE(typed("9.876").editKW(2));
    EXPECT_EQ(stored("Power").points[1].kw, 9.88);
    EXPECT_EQ(prompter.prompts.back(), "New KiloWatts?");
}

TEST_F(GeneratorCommandsTest, temperatureInFahrenheitIsStoredInTenthsOfCelsius) {
    auto g = mill("Temp");
    g.temperature = 0;
    current(g);
    commands.setUnits(sounding::Units(sounding::UnitMode::Knots));
    EXPECT_TRUE(typed("59").editTemperature());
    EXPECT_EQ(stored("Temp").temperature, 150);
    EXPECT_EQ(commands.shownTemperature(), 59);
    EXPECT_EQ(prompter.prompts.back(),
              "The Temperature at which the power curve was obtained (at the hub height).  This should not be changed "
              "once it is originally input. (degF)");
    EXPECT_TRUE(commands.resultsStale());
    commands.setUnits(sounding::Units(sounding::UnitMode::SI));
    EXPECT_EQ(commands.shownTemperature(), 15);
    EXPECT_TRUE(typed("-3.46").editTemperature());
    EXPECT_EQ(stored("Temp").temperature, -35);
}

TEST_F(GeneratorCommandsTest, pressureOffersStandardPressureWhenEmpty) {
    auto g = mill("Press");
    g.pressure = 0;
    current(g);
    EXPECT_TRUE(typed("1013.25").editPressure());
    EXPECT_EQ(prompter.defaults.back(), "1013.25");
    EXPECT_EQ(stored("Press").pressure, 1013.25);
    EXPECT_FALSE(typed("1013.25").editPressure());
}

TEST_F(GeneratorCommandsTest, negativeHubHeightCostAndGridLimitAreRefused) {
    current(mill("Fields"));
    EXPECT_FALSE(typed("-1").editHubHeight());
    EXPECT_FALSE(typed("-5").editCostPerYear());
    EXPECT_FALSE(typed("-0.5").editMaxToGrid());
    EXPECT_EQ(prompter.messages, std::vector<std::string>(3, "Must be greater than or equal to 0"));
    auto s = stored("Fields");
    EXPECT_EQ(s.height, 100);
    EXPECT_EQ(s.costPerYear, 900);
    EXPECT_EQ(s.maxToGrid, 50);
    EXPECT_FALSE(commands.resultsStale());
}

TEST_F(GeneratorCommandsTest, hubHeightInMetresIsStoredInFeetAndMaySetTheAnalysisHeight) {
    current(mill("Hub"));
    commands.setUnits(sounding::Units(sounding::UnitMode::SI));
    EXPECT_EQ(commands.shownHubHeight(), 30);   // 100 ft / 3.281
    prompter.answer("80").yes();
    EXPECT_TRUE(commands.editHubHeight());
    EXPECT_EQ(prompter.prompts.back(),
              "The Height at which you wish this wind generator analysed when it is first selected. (meters)");
    EXPECT_EQ(prompter.questions.back(), "Shall I set the current Analysis Height to 80 meters?");
    EXPECT_EQ(stored("Hub").height, 262);
    EXPECT_EQ(events.heights, std::vector<double>{262.5});
    prompter.answer("90").no();
    EXPECT_TRUE(commands.editHubHeight());
    EXPECT_EQ(events.heights.size(), 1u);
}

TEST_F(GeneratorCommandsTest, costRecomputesTheBalanceAndGridLimitRounds) {
    current(mill("Money"));
    EXPECT_TRUE(typed("1234.5").editCostPerYear());
    EXPECT_EQ(events.balance, 1);
    EXPECT_EQ(stored("Money").costPerYear, 1234.5);
    EXPECT_EQ(commands.shownCostPerYear(), "$1,235");
    EXPECT_TRUE(typed("12.6").editMaxToGrid());
    EXPECT_EQ(stored("Money").maxToGrid, 13);
    EXPECT_TRUE(typed("2.345").editMaxToGrid());
    EXPECT_EQ(stored("Money").maxToGrid, 2.35);
    EXPECT_EQ(events.all, 2);
    EXPECT_TRUE(commands.resultsStale());
}

TEST_F(GeneratorCommandsTest, cutOutBelowTopPowerSpeedIsAskedAgainAndStoredInKnots) {
    current(mill("Cut"));   // top power at 20 kn
    prompter.answer("19").answer("30.4");
    EXPECT_TRUE(commands.editCutOut());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Must be greater than speed at max power of 20"});
    EXPECT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0], "What is the wind speed that the mill shuts down due to too high winds");
    EXPECT_EQ(stored("Cut").cutOut, 30);

    commands.setUnits(sounding::Units(sounding::UnitMode::SI));
    // The figure the field and the curve's mark both show: 30 kn x 0.5144 = 15.43, one decimal.
    EXPECT_EQ(commands.shownCutOut(), 15.4);
    EXPECT_TRUE(typed("25").editCutOut());
    EXPECT_EQ(stored("Cut").cutOut, 48.6);   // 25 / 0.5144
    EXPECT_EQ(commands.shownCutOut(), 25);   // 48.6 kn x 0.5144 = 24.9998
    // Letters are no speed: nothing changes, and the user hears what the box takes.
    EXPECT_FALSE(typed("fast").editCutOut());
    EXPECT_EQ(prompter.lastMessage(), "Please enter a number from 0 to 103 m/sec.");
    EXPECT_EQ(stored("Cut").cutOut, 48.6);
    prompter.cancel();
    EXPECT_FALSE(commands.editCutOut());
}

TEST_F(GeneratorCommandsTest, newCurveStartsEmptyOrTakesTheCurveOfAnAnalysis) {
    add(mill("Existing"));
    prompter.answer("existing").answer("Blank");
    EXPECT_TRUE(commands.newCurve());
    EXPECT_EQ(prompter.prompts[0], "What name would you like to use for for this new Wind Generator?");
    EXPECT_EQ(prompter.messages.size(), 1u);
    auto blank = stored("Blank");
    EXPECT_EQ(blank.maxKW, 0);
    EXPECT_EQ(blank.points[0].speed, 0);
    EXPECT_EQ(commands.current()->name, "Blank");

    auto old = mill("Ghost");
    old.points[2].kw = 77;
    saveAnalysis(old);
    prompter.answer("Ghost").no().answer("ghost").yes();
    EXPECT_TRUE(commands.newCurve());
    EXPECT_EQ(prompter.questions[0],
              "At some point an analysis has been done with a generator by this name, shall I reload that curve?  If "
              "you say no, you must enter a different name.");
    EXPECT_EQ(stored("Ghost").points[2].kw, 77);
    prompter.cancel();
    EXPECT_FALSE(commands.newCurve());
}

TEST_F(GeneratorCommandsTest, exportAsksBeforeOverwritingAndCancelWritesNothing) {
    current(mill("Out"));
    const std::string path = folder.dir() + "Out.txt";
    auto written = commands.exportCurrent();
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, path);
    EXPECT_EQ(prompter.lastMessage(), "'Out' was exported to '" + path + "'");
    EXPECT_EQ(test::readFile(path), power::generatorFileText(stored("Out")));

    test::writeFile(path, "old");
    prompter.no().cancel();
    EXPECT_FALSE(commands.exportCurrent());
    EXPECT_EQ(test::readFile(path), "old");
    EXPECT_EQ(prompter.questions.back(), "The file '" + path + "' exists, do you want to overwrite it?");

    const std::string other = folder.dir() + "Other.txt";
    prompter.no().answer(other);
    EXPECT_EQ(commands.exportCurrent(), other);
    EXPECT_EQ(test::readFile(path), "old");
    prompter.yes();
    EXPECT_EQ(commands.exportCurrent(), path);
    EXPECT_NE(test::readFile(path), "old");
}

TEST_F(GeneratorCommandsTest, importUnderAnotherNameEqualsTheExportedGenerator) {
    auto original = mill("Round");
    original.orgData = -1;
    current(original);
    ASSERT_TRUE(commands.exportCurrent());
    prompter.answer("Round Trip");
    EXPECT_TRUE(commands.importFile(folder.dir() + "Round.txt"));
    EXPECT_EQ(prompter.prompts.back(),
              "A wind generator by the name of 'Round' already exists in then Skyloom database, enter a different "
              "name to use now or Cancel to exit?");
    auto copy = stored("Round Trip");
    EXPECT_EQ(copy.orgData, 0);
    EXPECT_EQ(commands.current()->name, "Round Trip");
    copy.id = stored("Round").id;
    copy.name = original.name;
    copy.orgData = original.orgData;
    EXPECT_EQ(copy, stored("Round"));
    EXPECT_EQ(events.all, 1);
}

TEST_F(GeneratorCommandsTest, cancelledOrRefusedImportsAddNothing) {
    current(mill("Here"));
    const auto count = [&] { return store.namesTallestFirst().size(); };
    ASSERT_TRUE(commands.exportCurrent());
    prompter.cancel();
    EXPECT_FALSE(commands.importFile(folder.dir() + "Here.txt"));
    prompter.noFile();
    EXPECT_FALSE(commands.importFile());

    std::string bad = power::generatorFileText(mill("Bad|Name"));
    test::writeFile(folder / "bad.txt", bad);
    EXPECT_FALSE(commands.importFile(folder.dir() + "bad.txt"));
    EXPECT_EQ(prompter.lastMessage(), "This is not a legal file name, please try again.");
    EXPECT_FALSE(commands.importFile(folder.dir() + "Here.txt", std::string("a*b")));
    EXPECT_FALSE(commands.importFile(folder.dir() + "Here.txt", std::string("two\nlines")));
    EXPECT_EQ(prompter.lastMessage(), "This is not a legal file name, please try again.");
    EXPECT_EQ(count(), 1u);
}

TEST_F(GeneratorCommandsTest, importRefusesWhatThePageWouldRefuseNamingTheLineAndTheRule) {
    const std::string good = power::generatorFileText(mill("Good"));
    auto withLine = [&good](int line, const std::string& text) {
        std::string file;
        int n = 0;
        for (std::size_t start = 0; start < good.size();) {
            const std::size_t end = good.find("\r\n", start);
            file += ++n == line ? text : good.substr(start, end - start);
            file += "\r\n";
            start = end + 2;
        }
        return file;
    };
    std::string utf16;
    for (char c : good) utf16 += std::string{c, '\0'};
    const std::string headerOnly = good.substr(0, good.find(std::string(power::kGeneratorFileMarker)));
    const std::string noTable = "Generator Name = Bare\r\nHub Height (feet agl) = 60\r\n";
    const std::string refused = "The generator in '" + folder.dir() + "g.txt' was not imported: ";
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {" \r\n\r\n", "the file is empty"},
        {std::string(64, '\0'), "it is not a plain text file (it holds NUL bytes, as UTF-16 text does; save it as "
                                "plain text)"},
        {utf16, "it is not a plain text file (it holds NUL bytes, as UTF-16 text does; save it as plain text)"},
        {withLine(2, "Hub Height (feet agl) = 1e999"),
         "line 2 (\"Hub Height (feet agl) = 1e999\"): not a number that can be stored"},
        {withLine(2, "Hub Height (feet agl) = -3"),
         "line 2 (\"Hub Height (feet agl) = -3\"): Must be greater than or equal to 0"},
        {withLine(7, "Max to Grid (kW) = -5"),
         "line 7 (\"Max to Grid (kW) = -5\"): Must be greater than or equal to 0"},
        {withLine(6, "Cost Per Year (Dollars) = -1"),
         "line 6 (\"Cost Per Year (Dollars) = -1\"): Must be greater than or equal to 0"},
        {withLine(4, "Temperature (degC) = -300"), "line 4 (\"Temperature (degC) = -300\"): Must be above -273 degC"},
        {withLine(8, "Cut-out Wind Speed (knots) = 15"),
         "line 8 (\"Cut-out Wind Speed (knots) = 15\"): Must be greater than speed at max power of 20"},
        {withLine(10, "5 2"),
         "line 10 (\"5 2\"): You must enter a speed that is greater than the speed below it."},
        {withLine(11, "12 1"), "line 11 (\"12 1\"): You must enter a kW that is greater than the kW below it."},
        {withLine(11, "0 0"), "line 12 (\"20 50\"): the points in use come first: this one follows a point not in use"},
        {headerOnly, "line 8: the file ends without a power curve table (lines of a speed in knots, a blank and the "
                     "kW, after the marker line)"},
        {noTable, "line 2: the file ends without a power curve table (lines of a speed in knots, a blank and the kW, "
                  "after the marker line)"},
    };
    for (const auto& [file, rule] : cases) {
        test::writeFile(folder / "g.txt", file);
        EXPECT_FALSE(commands.importFile(folder.dir() + "g.txt")) << rule;
        EXPECT_EQ(prompter.lastMessage(), refused + rule);
    }
    EXPECT_TRUE(store.empty());

    // A folder or a missing file is said to be one, not read.
    EXPECT_FALSE(commands.importFile(folder.dir()));
    EXPECT_EQ(prompter.lastMessage(), "'" + folder.dir() + "' is a folder, not a generator text file.");
    EXPECT_FALSE(commands.importFile(folder.dir() + "none.txt"));
    EXPECT_EQ(prompter.lastMessage(), "The file '" + folder.dir() + "none.txt' could not be read.");

    // The good file and a short one without the max-to-grid line are imported; the
    // short one passes its whole output to the grid (its size), not none of it.
    test::writeFile(folder / "g.txt", good);
    EXPECT_TRUE(commands.importFile(folder.dir() + "g.txt"));
    test::writeFile(folder / "short.txt", "Generator Name = Short\r\nHub Height (feet agl) = 60\r\n" +
                                               std::string(power::kGeneratorFileMarker) + "\r\n5 0.1\r\n10 20\r\n");
    EXPECT_TRUE(commands.importFile(folder.dir() + "short.txt"));
    EXPECT_EQ(stored("Short").maxToGrid, 20);
    EXPECT_EQ(stored("Short").cutOut, 0);

    // A published curve may fall after its top (storm control), but not rise again.
    std::string falls = withLine(13, "25 40");
    test::writeFile(folder / "falls.txt", falls);
    EXPECT_TRUE(commands.importFile(folder.dir() + "falls.txt", "Falls"));
    EXPECT_EQ(stored("Falls").maxKW, 50);
    test::writeFile(folder / "rises.txt", falls.replace(falls.find("25 40\r\n") + 7, 3, "30 45"));
    EXPECT_FALSE(commands.importFile(folder.dir() + "rises.txt", "Rises"));
    EXPECT_EQ(prompter.lastMessage(), "The generator in '" + folder.dir() +
                                          "rises.txt' was not imported: line 14 (\"30 45\"): past the curve's top "
                                          "the kW does not rise again");
}

TEST_F(GeneratorCommandsTest, importComparesWithAnalysesOfTheSameName) {
    auto used = mill("Used");
    saveAnalysis(used);
    test::TempFolder elsewhere;
    ASSERT_TRUE(power::writeGeneratorFile(elsewhere / "u.txt", used));
    EXPECT_TRUE(commands.importFile((elsewhere / "u.txt").string()));
    EXPECT_EQ(prompter.lastMessage(),
              "You are importing a curve that has previously been used in an analysis and the curve matches the curve "
              "in the analysis.");

    EXPECT_EQ(stored("Used").points[1].kw, 10);

    auto changed = used;
    changed.points[1].kw = 11;
    ASSERT_TRUE(power::writeGeneratorFile(elsewhere / "c.txt", changed));
    const std::string reloadQuestion =
        "At some point an analysis has been done with a generator by this name.  The curve you are importing does "
        "not match the curve used in the analysis, shall I reload the curve from the analysis?";
    store.remove(stored("Used").id);
    commands.refresh();
    prompter.no();
    EXPECT_TRUE(commands.importFile((elsewhere / "c.txt").string()));
    EXPECT_EQ(prompter.questions.back(), reloadQuestion);
    EXPECT_EQ(stored("Used").points[1].kw, 11);

    store.remove(stored("Used").id);
    commands.refresh();
    prompter.yes();
    EXPECT_TRUE(commands.importFile((elsewhere / "c.txt").string()));
    EXPECT_EQ(stored("Used").points[1].kw, 10);
    EXPECT_TRUE(prompter.prompts.empty());
}
