#include "channel/decimal.h"

#include <gtest/gtest.h>

#include <limits>

namespace decimal = velkan::decimal;

namespace {

TEST(Decimal, ReadsIntegersLikeTheCLibrary)
{
    const std::pair<const char*, std::int64_t> cases[] = {
        {"42", 42},   {"  \t-17xyz", -17}, {"+8", 8},  {"", 0},   {"abc", 0}, {"- 5", 0},
        {"12 34", 12}, {"007", 7},          {"-", 0}, {"1.9", 1},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(decimal::ParseInt32(text), value) << text;
        EXPECT_EQ(decimal::ParseInt64(text), value) << text;
    }
}

TEST(Decimal, ClampsOutOfRangeValues)
{
    EXPECT_EQ(decimal::ParseInt32("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(decimal::ParseInt32("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(decimal::ParseInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(decimal::ParseInt32("-99999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(decimal::ParseInt64("5368709120"), 5368709120LL);
    EXPECT_EQ(decimal::ParseInt64("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(decimal::ParseInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
}

// The range's own ends are values; one digit past them is none.
TEST(Decimal, InRangeReadingRefusesWhatWouldBeClamped)
{
    EXPECT_EQ(decimal::ParseInt64InRange("9223372036854775807x"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(decimal::ParseInt64InRange(" -9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(decimal::ParseInt64InRange("abc"), 0);
    EXPECT_FALSE(decimal::ParseInt64InRange("9223372036854775808"));
    EXPECT_FALSE(decimal::ParseInt64InRange("-9223372036854775809"));
    EXPECT_FALSE(decimal::ParseInt64InRange(std::string(5000, '9')));
}

TEST(Decimal, ReadsPlainDecimalFractionsOnly)
{
    const std::pair<const char*, double> cases[] = {
        {"1234567", 1234567.0}, {" 2.5", 2.5}, {"-.5x", -0.5}, {"1e3", 1000.0}, {"1e", 1.0},
        {"0x10", 0.0},          {"inf", 0.0},  {"nan", 0.0},   {".", 0.0},      {"", 0.0},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(decimal::ParseDouble(text), value) << text;
    }
}

TEST(Decimal, GroupsDigitsInThrees)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"},          {123, "123"},          {1234, "1,234"},     {1234567, "1,234,567"},
        {123456, "123,456"}, {-123, "-123"},      {-1234, "-1,234"},   {-123456, "-123,456"},
        {1023, "1,023"},   {5242880, "5,242,880"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(decimal::GroupDigits(value), text) << value;
    }
}

} // namespace
