#include "util/Profile.h"
#include "util/text/Numbers.h"

#include <gtest/gtest.h>

TEST(MemoryProfile, TextWhereANumberBelongsGivesTheDefault) {
    util::MemoryProfile p;
    p.WriteText("CTunelinkDlg", "iVolume", "loud");
    EXPECT_EQ(p.GetInt("CTunelinkDlg", "iVolume", 50), 50);
    p.WriteInt("CTunelinkDlg", "iVolume", 80);
    EXPECT_EQ(p.GetInt("CTunelinkDlg", "iVolume", 50), 80);
    EXPECT_EQ(p.GetText("CTunelinkDlg", "missing", "d"), "d");
}

TEST(ParseInt, AcceptsOnlyWholeNumbersInRange) {
    EXPECT_EQ(util::ParseInt(" -12 "), -12);
    EXPECT_EQ(util::ParseInt("+7"), 7);
    EXPECT_FALSE(util::ParseInt("7x"));
    EXPECT_FALSE(util::ParseInt("1.5"));
    EXPECT_FALSE(util::ParseInt(""));
    EXPECT_FALSE(util::ParseInt("99999999999"));
}
