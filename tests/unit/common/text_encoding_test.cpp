#include "common/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace r4860 {
namespace {

TEST(TextEncoding, EveryWindows1250ByteSurvivesTheTripThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(one);
        ASSERT_TRUE(IsValidUtf8(utf8) && Utf8Length(utf8) == 1) << b;
        ASSERT_EQ(Utf8ToCp1250(utf8), one) << b;
    }
    // The trip alone would pass with any permutation: pin the letters down.
    const std::pair<unsigned char, const char*> letters[] = {
        {0xB3, "\xC5\x82"}, {0xB9, "\xC4\x85"}, {0x9C, "\xC5\x9B"}, {0xBF, "\xC5\xBC"}, {0x9F, "\xC5\xBA"},
        {0xEA, "\xC4\x99"}, {0xF3, "\xC3\xB3"}, {0xA3, "\xC5\x81"}, {0x80, "\xE2\x82\xAC" /* euro */},
        {0xB0, "\xC2\xB0" /* degree */}, {0xFF, "\xCB\x99" /* dot above, the ID tag filler */}};
    for (const auto& [byte, utf8] : letters) EXPECT_EQ(Cp1250ToUtf8(std::string(1, static_cast<char>(byte))), utf8) << +byte;
}

TEST(TextEncoding, WhatWindows1250CannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(Utf8ToCp1250("a\xE4\xB8\xAD" "b"), "a?b") << "a CJK character";
    EXPECT_EQ(Utf8ToCp1250("\xF0\x9F\x98\x80"), "?") << "a character outside the BMP";
    EXPECT_EQ(Utf8ToCp1250("x\xC3"), "x?") << "a truncated sequence";
    EXPECT_EQ(Utf8ToCp1250("\xC0\xAF"), "??") << "an overlong slash";
    EXPECT_EQ(Utf8ToCp1250("\xED\xA0\x80"), "???") << "an encoded surrogate";
}

TEST(TextEncoding, FileTextIsUtf8WhenValidElseWindows1250) {
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFkey=\xC5\x82"), "key=\xC5\x82") << "the byte-order mark goes";
    EXPECT_EQ(DecodeFileText("key=\xB3"), "key=\xC5\x82") << "an old file's l with stroke";
}

TEST(TextEncoding, CutsCountsAndStripsByCharacterNotByByte) {
    const std::string text = "\xC5\x82\xC3\xB3" "dz";  // four characters, six bytes
    EXPECT_EQ(Utf8Length(text), 4u);
    EXPECT_EQ(Utf8Mid(text, 1, 2), "\xC3\xB3" "d");
    EXPECT_EQ(Utf8Left(text, 1), "\xC5\x82");
    EXPECT_EQ(Utf8Mid(text, 3, 10), "z") << "a count past the end stops at the end";
    EXPECT_EQ(Utf8Mid(text, 9, 1), "") << "a start past the end gives nothing";
    EXPECT_EQ(StripControls(std::string("a\r\nb\tc\x7F" "d\xC5\x82\0y", 12)), "abcd\xC5\x82y") << "NUL and DEL too";
}

}  // namespace
}  // namespace r4860
