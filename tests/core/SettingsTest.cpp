#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/MainDatabase.h"
#include "core/Settings.h"

using namespace skyloom;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(tmp.dir() + "Skyloom.dat");
        ASSERT_TRUE(db.open(prompter));
    }
    int rows(const std::string& name) {
        SQLite::Statement q(db.db(), "SELECT count(*) FROM urls WHERE Name = ?");
        q.bind(1, name);
        q.executeStep();
        return q.getColumn(0).getInt();
    }
    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    core::MainDatabase db{tmp.dir()};
    core::Settings settings{db};
};

TEST_F(SettingsTest, missingKeyIsCreatedHoldingItsDefault) {
    EXPECT_EQ(settings.get("StateOfCharge", "75"), "75");
    EXPECT_EQ(rows("StateOfCharge"), 1);
    EXPECT_EQ(settings.get("StateOfCharge", "10"), "75");  // the stored value wins over a new default
    EXPECT_EQ(rows("StateOfCharge"), 1);
}

TEST_F(SettingsTest, nullLinkReadsAsEmptyAndNamesCompareWithoutCase) {
    db.db().exec("INSERT INTO urls (Name, Link) VALUES ('Email', NULL)");
    EXPECT_EQ(settings.get("email", "x"), "");
    settings.set("EMAIL", "a@b.c");
    EXPECT_EQ(settings.get("Email"), "a@b.c");
    EXPECT_EQ(rows("Email"), 1);
}

TEST_F(SettingsTest, setAddsOrEditsTheFirstRowOnly) {
    db.db().exec("INSERT INTO urls (Name, Link) VALUES ('Units', '1'), ('Units', '2')");
    settings.set("Units", "0");
    SQLite::Statement q(db.db(), "SELECT Link FROM urls WHERE Name = 'Units' ORDER BY rowid");
    q.executeStep();
    EXPECT_EQ(q.getColumn(0).getString(), "0");
    q.executeStep();
    EXPECT_EQ(q.getColumn(0).getString(), "2");
    settings.set("OnPage", "Order");
    EXPECT_EQ(settings.get("OnPage", "Wind"), "Order");
}

TEST_F(SettingsTest, writesWhileClosedAreDroppedAndNamesWithQuotesAreSafe) {
    settings.set("Name's \"odd\"", "ok");
    EXPECT_EQ(settings.get("Name's \"odd\""), "ok");
    db.close();
    settings.set("Units", "2");
    EXPECT_EQ(settings.get("Units", "0"), "0");
    ASSERT_TRUE(db.open(prompter));
    EXPECT_EQ(rows("Units"), 0);
}

TEST_F(SettingsTest, numbersAndFlagsRoundTripAsText) {
    settings.setNumber("BatCostPerkWhrPerYr", 0.1 + 0.2);
    EXPECT_EQ(settings.get("BatCostPerkWhrPerYr"), "0.3");
    settings.setFlag("PowerVisible", true);
    EXPECT_EQ(settings.get("PowerVisible"), "-1");
    EXPECT_TRUE(settings.getFlag("PowerVisible", false));
    EXPECT_EQ(settings.getInt("DotSize", 100), 100);
}
