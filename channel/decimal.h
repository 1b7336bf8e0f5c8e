#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Decimal numbers as peers write them, read the way the C library's atoi family reads them:
// leading white space, an optional sign, then digits up to the first other character. No
// digits reads as 0. Values beyond the type's range are clamped to it.
namespace velkan::decimal {

std::int32_t ParseInt32(std::string_view text);
std::int64_t ParseInt64(std::string_view text);
// As ParseInt64, but nothing for a value beyond the type's range instead of clamping it.
std::optional<std::int64_t> ParseInt64InRange(std::string_view text);
// Digits with an optional fraction and exponent; never hexadecimal, "inf" or "nan".
double ParseDouble(std::string_view text);

// The value rounded to a whole number, with a "," before every group of three digits:
// 1234567 gives "1,234,567", -1234 gives "-1,234".
std::string GroupDigits(double value);

} // namespace velkan::decimal
