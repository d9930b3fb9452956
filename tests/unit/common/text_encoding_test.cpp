#include "common/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace r4860 {
namespace {

TEST(TextEncoding, EveryWindows1250ByteSurvivesTheTripThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(one);
        ASSERT_TRUE(IsValidUtf8(utf8)) << b;
        ASSERT_EQ(Utf8Length(utf8), 1u) << b;
        ASSERT_EQ(Utf8ToCp1250(utf8), one) << b;
    }
}

TEST(TextEncoding, MapsTheCentralEuropeanLettersToTheirCodePoints) {
    struct Case {
        const char* why;
        unsigned char byte;
        const char* utf8;
    };
    const Case cases[] = {
        {"l with stroke", 0xB3, "\xC5\x82"},      {"a with ogonek", 0xB9, "\xC4\x85"},
        {"s with acute", 0x9C, "\xC5\x9B"},       {"z with dot", 0xBF, "\xC5\xBC"},
        {"z with acute", 0x9F, "\xC5\xBA"},       {"e with ogonek", 0xEA, "\xC4\x99"},
        {"o with acute", 0xF3, "\xC3\xB3"},       {"n with acute", 0xF1, "\xC5\x84"},
        {"capital L with stroke", 0xA3, "\xC5\x81"}, {"euro sign", 0x80, "\xE2\x82\xAC"},
        {"degree sign", 0xB0, "\xC2\xB0"},        {"dot above, the ID tag filler", 0xFF, "\xCB\x99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1250ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8) << c.why;
        EXPECT_EQ(Utf8ToCp1250(c.utf8), std::string(1, static_cast<char>(c.byte))) << c.why;
    }
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
    EXPECT_EQ(DecodeFileText("plain"), "plain");
}

TEST(TextEncoding, CutsAndCountsByCharacterNotByByte) {
    const std::string text = "\xC5\x82\xC3\xB3" "dz";  // four characters, six bytes
    EXPECT_EQ(Utf8Length(text), 4u);
    EXPECT_EQ(Utf8Mid(text, 1, 2), "\xC3\xB3" "d");
    EXPECT_EQ(Utf8Left(text, 1), "\xC5\x82");
    EXPECT_EQ(Utf8Mid(text, 3, 10), "z") << "a count past the end stops at the end";
    EXPECT_EQ(Utf8Mid(text, 9, 1), "") << "a start past the end gives nothing";
}

TEST(TextEncoding, StripControlsKeepsPrintableTextOnly) {
    EXPECT_EQ(StripControls("a\r\nb\tc\x7F" "d\xC5\x82"), "abcd\xC5\x82");
    EXPECT_EQ(StripControls(std::string("x\0y", 3)), "xy") << "a NUL is a control too";
}

}  // namespace
}  // namespace r4860
