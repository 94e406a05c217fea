// The DXF reader's number scanner gives exactly what std::from_chars gives.
#include "geometry/DxfNumber.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

using namespace pos::dxf;

namespace {

double FromChars(const std::string &text)
{
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

TEST(DxfNumber, SameBitsAsFromChars)
{
    // clang-format off
    std::vector<std::string> texts = {
        "0", "-0", "1", "12.5", "-0.000001", "100", "007", "3.", ".4", "1e3", "1.0E0", "2.5e-3",
        "123456789012345678", "9007199254740992", "9007199254740993", "0.1", "0.3", "1e22", "1e-22",
        "1e23", "4.9e-324", "1e308", "0.000000000000000000000001", "12345678", "123456789",
        "1234567812345678", "1234567.8901234", "-2147483648.6", "2147483647.5", "17976931348623157e292"};
    // clang-format on
    // Numbers of every length that a drawing holds, around the eight-digit steps.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t digits = random() % 20 + 1;
        std::string text = random() % 2 ? "-" : "";
        for (std::size_t d = 0; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        if (random() % 2)
            text.insert(text.size() - random() % (digits + 1), ".");
        texts.push_back(text);
    }
    for (const std::string &text : texts) {
        double value = -1.0;
        ASSERT_EQ(ParseReal(text, value), RealStatus::Ok) << text;
        const double expected = FromChars(text);
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
            << text << ": " << value << " against " << expected;
    }
}

TEST(DxfNumber, WhatIsNotANumberOrOutOfRange)
{
    double value = 0.0;
    for (const char *text : {"", "-", "+", ".", "1,5", "nan", "inf", "-inf", "0x10", "12mm", "1e",
                             "1e+", " 1", "1 ", "--1", "+-1", "e5"})
        EXPECT_EQ(ParseReal(text, value), RealStatus::NotNumber) << '"' << text << '"';
    for (const char *text : {"1e400", "-1e309", "1000e306"})
        EXPECT_EQ(ParseReal(text, value), RealStatus::OutOfRange) << text;
    for (const char *text : {"1e-400", "-2.5e-330", "0.0000001e-320"}) {
        EXPECT_EQ(ParseReal(text, value), RealStatus::Ok) << text;
        EXPECT_EQ(value, 0.0) << text;
    }
    EXPECT_EQ(ParseReal("+2.5", value), RealStatus::Ok);
    EXPECT_EQ(value, 2.5);
}
