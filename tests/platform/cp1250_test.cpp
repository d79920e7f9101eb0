#include "platform/cp1250.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1250, PolishLettersBothWays)
{
    const std::string utf8 = "zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ";
    const std::string cp = Cp1250::FromUtf8(utf8);
    EXPECT_EQ(cp.size(), 35u);
    EXPECT_EQ(cp.substr(0, 7), "za\xBF\xF3\xB3\xE6 ");
    EXPECT_EQ(Cp1250::ToUtf8(cp), utf8);
}

TEST(Cp1250, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Cp1250::FromUtf8(Cp1250::ToUtf8(all)), all);
}

TEST(Cp1250, UnrepresentableAndMalformedBecomeQuestionMarks)
{
    EXPECT_EQ(Cp1250::FromUtf8("√x"), "?x");           // not in the code page
    EXPECT_EQ(Cp1250::FromUtf8("a\xFF" "b"), "a?b");    // invalid lead byte
    EXPECT_EQ(Cp1250::FromUtf8("a\xC5"), "a?");         // cut short at the end
    EXPECT_EQ(Cp1250::FromUtf8("\xC0\xAF"), "??");      // overlong '/'
    EXPECT_EQ(Cp1250::FromUtf8("\xED\xA0\x80"), "???"); // surrogate
    EXPECT_EQ(Cp1250::FromUtf8("😀"), "?");
}

TEST(Cp1250, CompileTimeLiteral)
{
    constexpr auto text = Cp1250::Text(u8"Błąd dziedziny");
    EXPECT_STREQ(text.c_str(), "B\xB3\xB9" "d dziedziny");
}

} // namespace
