#pragma once

// What each kind of automation argument becomes: the string automation makes of it, and what a
// string property or parameter of the control then holds.

#include "velkanfilesearch/velkancom.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace velkan::test {

struct ArgumentText {
    const char* what;
    com::Variant value;
    std::optional<com::Bstr> text; // nothing: DISP_E_TYPEMISMATCH
    std::string held;              // UTF-8 of what the control keeps
};

inline std::vector<ArgumentText> ArgumentTexts()
{
    using com::Bstr;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    return {
        {"empty", com::Variant(), Bstr(), ""},
        {"text", Bstr(u"노래 mp3"), Bstr(u"노래 mp3"), "노래 mp3"},
        {"text with a zero", Bstr(u"ab\0cd", 5), Bstr(u"ab\0cd", 5), "ab"},
        {"Korean text with a zero", Bstr(u"노\0래", 3), Bstr(u"노\0래", 3), "노"},
        {"text starting with a zero", Bstr(u"\0x", 2), Bstr(u"\0x", 2), ""},
        {"32-bit year", std::int32_t{2024}, Bstr(u"2024"), "2024"},
        {"32-bit negative", std::int32_t{-7}, Bstr(u"-7"), "-7"},
        {"32-bit lowest", std::numeric_limits<std::int32_t>::min(), Bstr(u"-2147483648"), "-2147483648"},
        {"64-bit highest", std::numeric_limits<std::int64_t>::max(), Bstr(u"9223372036854775807"), "9223372036854775807"},
        {"64-bit lowest", std::numeric_limits<std::int64_t>::min(), Bstr(u"-9223372036854775808"), "-9223372036854775808"},
        {"64-bit zero", std::int64_t{0}, Bstr(u"0"), "0"},
        {"double 1.5", 1.5, Bstr(u"1.5"), "1.5"},
        {"double 0.1", 0.1, Bstr(u"0.1"), "0.1"},
        {"double 0.1 + 0.2", 0.1 + 0.2, Bstr(u"0.3"), "0.3"},
        {"double one third", 1.0 / 3.0, Bstr(u"0.333333333333333"), "0.333333333333333"},
        {"double two thirds", 2.0 / 3.0, Bstr(u"0.666666666666667"), "0.666666666666667"},
        {"double -2.5", -2.5, Bstr(u"-2.5"), "-2.5"},
        {"whole double", 123456789.0, Bstr(u"123456789"), "123456789"},
        {"double 100000", 100000.0, Bstr(u"100000"), "100000"},
        {"double of 15 digits", 123456789012345.0, Bstr(u"123456789012345"), "123456789012345"},
        {"double of 16 digits", 1234567890123456.0, Bstr(u"1.23456789012346E+15"), "1.23456789012346E+15"},
        {"double 1e15", 1e15, Bstr(u"1E+15"), "1E+15"},
        {"double rounding up to 1e15", 999999999999999.9, Bstr(u"1E+15"), "1E+15"},
        {"double 1e21", 1e21, Bstr(u"1E+21"), "1E+21"},
        {"double -1e21", -1e21, Bstr(u"-1E+21"), "-1E+21"},
        {"double 0.0001", 0.0001, Bstr(u"0.0001"), "0.0001"},
        {"double 1e-5", 1e-5, Bstr(u"1E-05"), "1E-05"},
        {"double 1e-7", 1e-7, Bstr(u"1E-07"), "1E-07"},
        {"double 1.5e-7", 1.5e-7, Bstr(u"1.5E-07"), "1.5E-07"},
        {"largest double", std::numeric_limits<double>::max(), Bstr(u"1.79769313486232E+308"),
         "1.79769313486232E+308"},
        {"smallest double", std::numeric_limits<double>::denorm_min(), Bstr(u"4.94065645841247E-324"),
         "4.94065645841247E-324"},
        {"negative zero", -0.0, Bstr(u"0"), "0"},
        {"true", true, Bstr(u"-1"), "-1"},
        {"false", false, Bstr(u"0"), "0"},
        {"null", com::Null{}, std::nullopt, ""},
        {"not a number", std::nan(""), std::nullopt, ""},
        {"infinity", kInfinity, std::nullopt, ""},
        {"negative infinity", -kInfinity, std::nullopt, ""},
    };
}

} // namespace velkan::test
