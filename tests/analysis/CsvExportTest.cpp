#include "analysis/CsvExport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "analysis/AnalysisStore.h"
#include "analysis/StudyStore.h"
#include "core/MainDatabase.h"
#include "core/Text.h"
#include "ScriptedPrompter.h"
#include "SampleRecords.h"
#include "TempFolder.h"

// The expected files are tests/data/csv_*.csv. To renew them on purpose after a
// deliberate change of the export, run the tests once with SKYLOOM_RENEW_GOLDEN=1
// in the environment and review the difference line by line before committing.

using namespace skyloom;

namespace {

class CsvExportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(main.open(prompter));
        analyses = std::make_unique<analysis::AnalysisStore>(main.db());
        studies = std::make_unique<analysis::StudyStore>(main.db());
        studies->now = [] { return std::string("2026-03-05 10:00:00"); };

        auto a = test::sampleRecord(72493, 50);
        first = analyses->insert(a);
        analyses->setComment(first, "\"Windy\", but rough\r\nsee \"tower log\" ");
        auto b = test::sampleRecord(72494, 75, "Big Blade 2MW");
        b.siteName = "REDDING";
        b.result(analysis::Income) = -1520.5;
        b.result(analysis::NetEnergyCost) = 0.0123;
        second = analyses->insert(b);
        auto c = test::sampleRecord(72495, 10);
        c.siteName = "MEDFORD";
        c.fromDate = "2018-06-01";
        third = analyses->insert(c);
    }
    void expectGolden(const std::string& name, const std::string& text) {
        if (std::getenv("SKYLOOM_RENEW_GOLDEN")) test::writeFile(test::testData(name), text);
        EXPECT_EQ(text, test::readFile(test::testData(name)));
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    core::MainDatabase main{folder.dir()};
    std::unique_ptr<analysis::AnalysisStore> analyses;
    std::unique_ptr<analysis::StudyStore> studies;
    long long first = 0, second = 0, third = 0;
};

}  // namespace

TEST_F(CsvExportFixture, aStudyExportsItsMembersInTheOrderAdded) {
    const long long study = studies->create("Coast, north");
    studies->addMember(study, third);
    studies->addMember(study, 99);          // its analysis was deleted from the table
    studies->addMember(study, first);
    studies->addMember(study, second);
    analyses->markDeleted(second);          // marked rows still belong to the study's export
    const std::string text = analysis::studyCsvText(main.db(), study);
    expectGolden("csv_study.csv", text);

    const std::string message = analysis::exportStudyCsv(main.db(), study, " Coast north", folder.dir());
    EXPECT_EQ(message, "An Excel .csv file by the name of 'Analysis_Coast north.csv' in the directory " + folder.dir());
    EXPECT_EQ(test::readFile(folder / "Analysis_Coast north.csv"), text);
}

TEST_F(CsvExportFixture, studyZeroListsPresentAnalysesNewestFirstAndOverwrites) {
    analyses->markDeleted(second);
    test::writeFile(folder / "Analysis_List of all previous Analysis.csv", "old contents that must go\r\n");
    const std::string message = analysis::exportStudyCsv(main.db(), 0, analysis::kAllAnalysesLabel, folder.dir());
    EXPECT_EQ(message, "An Excel .csv file by the name of 'Analysis_List of all previous Analysis.csv' in the directory " +
                           folder.dir());
    const std::string text = test::readFile(folder / "Analysis_List of all previous Analysis.csv");
    expectGolden("csv_all.csv", text);
    analysis::exportStudyCsv(main.db(), 0, analysis::kAllAnalysesLabel, folder.dir());
    EXPECT_EQ(test::readFile(folder / "Analysis_List of all previous Analysis.csv"), text);
}

TEST_F(CsvExportFixture, anEmptyStudyGivesAnEmptyFile) {
    const long long study = studies->create("Nothing yet");
    EXPECT_EQ(analysis::studyCsvText(main.db(), study), "");
    analysis::exportStudyCsv(main.db(), study, " Nothing yet", folder.dir());
    EXPECT_EQ(test::readFile(folder / "Analysis_Nothing yet.csv"), "");
}

TEST_F(CsvExportFixture, aSpreadsheetReaderSeesOneRowPerAnalysis) {
    if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
    analysis::exportStudyCsv(main.db(), 0, analysis::kAllAnalysesLabel, folder.dir());
    const auto script = folder / "read.py";
    std::string captions;
    for (const auto& c : analysis::kGridColumns) captions += "\"" + core::trim(c.caption) + "\",";
    test::writeFile(script,
                    "import csv, sys\n"
                    "with open(sys.argv[1], newline='') as f:\n"
                    "    rows = list(csv.DictReader(f))\n"
                    "expected = [" + captions + "'']\n"
                    "with open(sys.argv[1], newline='') as f:\n"
                    "    head = next(csv.reader(f))\n"
                    "assert head == expected, head\n"
                    "assert len(rows) == 3, len(rows)\n"
                    "assert [r['ID'] for r in rows] == ['3', '2', '1'], [r['ID'] for r in rows]\n"
                    "comment = rows[2]['Analysis Comment']\n"
                    "assert comment == \"'Windy'  but rough  see 'tower log'\", comment\n"
                    "assert rows[1]['Wind Generator'] == 'Big Blade 2MW'\n"
                    "assert rows[0]['From Date'] == '2018-06-01'\n");
    const std::string cmd = "python3 '" + script.string() + "' '" +
                            (folder / "Analysis_List of all previous Analysis.csv").string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}
