#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "session/SettingsFields.h"

using namespace skyloom::session;
using skyloom::test::ScriptedPrompter;

TEST(SettingsFields, lettersAreNeverStoredAsZeroAndRangesKeepTheirMessages) {
    ScriptedPrompter p;
    // Storage cost: letters, a number no double holds, one past sense, then a good one.
    p.answer("abc").answer("1e400").answer("1E+30").answer("-2").answer("12.5");
    EXPECT_EQ(askValueField(p, storageCostRule(), "50"), 12.5);
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Please enter a number from 0 to 1,000,000 dollars per kWhr per year.",
                                                    "Please enter a number from 0 to 1,000,000 dollars per kWhr per year.",
                                                    "Please enter a number from 0 to 1,000,000 dollars per kWhr per year.",
                                                    "Must be greater than or equal to 0"}));
    // The same value does nothing; an empty answer cancels.
    p.answer("50.0");
    EXPECT_FALSE(askValueField(p, storageCostRule(), "50"));
    p.answer("");
    EXPECT_FALSE(askValueField(p, stateOfChargeRule(), "75"));
    p.answer("101").answer("x").answer("80");
    EXPECT_EQ(askValueField(p, stateOfChargeRule(), "75"), 80);
    EXPECT_EQ(p.messages[4], "Must be in the range of 0 to 100");
    EXPECT_EQ(p.messages[5], "Please enter a number from 0 to 100 %.");
    p.answer("99").answer("1000");
    EXPECT_EQ(askValueField(p, dotSizeRule(), "100"), 1000);
    EXPECT_EQ(p.lastMessage(), "Must be in the range of 100 to 1000");
    EXPECT_TRUE(p.allAnswersUsed());
}
