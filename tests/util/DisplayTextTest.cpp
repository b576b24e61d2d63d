#include "util/text/DisplayText.h"
#include "util/text/Utf8.h"

#include <gtest/gtest.h>

#include <string>

using util::CharCount;
using util::DisplayLine;

TEST(DisplayLine, LineBreaksBecomeSpacesAndOtherControlsGo) {
    EXPECT_EQ(DisplayLine("Artist\r\nSong\tLive"), "Artist  Song Live");
    EXPECT_EQ(DisplayLine(std::string("a\0b", 3) + "\x1b[2J\x07\x7f" + "c"), "ab[2Jc");
    // C1 controls: NEL is a line break, the others are dropped. The line and paragraph
    // separators break lines too.
    EXPECT_EQ(DisplayLine("x\xC2\x85y\xC2\x9Bz"), "x yz");
    EXPECT_EQ(DisplayLine("x\xE2\x80\xA8y\xE2\x80\xA9z"), "x y z");
    EXPECT_EQ(DisplayLine("Caf\xC3\xA9 \xE2\x99\xAB"), "Caf\xC3\xA9 \xE2\x99\xAB");
    EXPECT_EQ(DisplayLine(""), "");
}

TEST(DisplayLine, BidiOverridesAndIsolatesAreRemovedMarksStay) {
    // U+202A-U+202E and U+2066-U+2069, each in front of "x".
    std::string formatting;
    for (const char* c :
         {"\xE2\x80\xAA", "\xE2\x80\xAB", "\xE2\x80\xAC", "\xE2\x80\xAD", "\xE2\x80\xAE",
          "\xE2\x81\xA6", "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"})
        formatting += std::string(c) + "x";
    EXPECT_EQ(DisplayLine(formatting), "xxxxxxxxx");
    // "song" + RLO + "3pm.exe" would show reversed over the rest of the window title.
    EXPECT_EQ(DisplayLine("song\xE2\x80\xAE"
                          "3pm.exe"),
              "song3pm.exe");
    const std::string marks =
        "a\xE2\x80\x8E"
        "b\xE2\x80\x8F"
        "c\xD8\x9C"
        "d";
    EXPECT_EQ(DisplayLine(marks), marks);
}

TEST(DisplayLine, LongTextsAreCutOnACharacterWithAnEllipsis) {
    const std::string fits(256, 'x');
    EXPECT_EQ(DisplayLine(fits), fits);
    const std::string cut = DisplayLine(std::string(100 * 1024, 'y'));
    EXPECT_EQ(CharCount(cut), 256u);
    EXPECT_EQ(cut, std::string(255, 'y') + "\xE2\x80\xA6");

    std::string umlauts;
    for (int i = 0; i < 300; ++i) umlauts += "\xC3\xBC";
    const std::string cutUmlauts = DisplayLine(umlauts, 10);
    EXPECT_TRUE(util::IsValidUtf8(cutUmlauts));
    EXPECT_EQ(CharCount(cutUmlauts), 10u);
    EXPECT_EQ(cutUmlauts.substr(0, 18), umlauts.substr(0, 18));

    // Dropped characters do not count; what is left over decides.
    EXPECT_EQ(DisplayLine(std::string(1000, '\x01') + "abc", 3), "abc");
    EXPECT_EQ(DisplayLine("abcd", 0), "");
}

TEST(DisplayLine, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DisplayLine("a\xFF"
                          "b\xC3"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(DisplayLine("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}
