#include <gtest/gtest.h>

#include "ScriptedPrompter.h"

using skyloom::test::ScriptedPrompter;

TEST(ScriptedPrompter, emptyAnswerCancelsAndEverythingIsRecorded) {
    ScriptedPrompter p;
    p.answer("").answer("12").yes();
    EXPECT_FALSE(p.input("Height?", "5").has_value());
    EXPECT_EQ(p.input("Height?", "5").value(), "12");
    EXPECT_TRUE(p.ask("Sure?"));
    p.message("Done");
    EXPECT_EQ(p.shown.size(), 4u);
    EXPECT_EQ(p.lastMessage(), "Done");
    EXPECT_TRUE(p.allAnswersUsed());
}
