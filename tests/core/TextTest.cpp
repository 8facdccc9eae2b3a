#include "core/Text.h"

#include <gtest/gtest.h>

using namespace skyloom;
using Lines = std::vector<std::string>;

TEST(SplitLines, endsOfLineOfEitherKindAndBlankLinesInside) {
    EXPECT_EQ(core::splitLines(""), Lines{});
    EXPECT_EQ(core::splitLines("a"), Lines{"a"});
    // A final line feed ends the last line; it does not start an empty one.
    EXPECT_EQ(core::splitLines("a\r\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(core::splitLines("a\n\n\r\nb"), (Lines{"a", "", "", "b"}));
    // Only a carriage return just before a line feed goes; one inside a line stays.
    EXPECT_EQ(core::splitLines("a\rb\r\n\n"), (Lines{"a\rb", ""}));
}
