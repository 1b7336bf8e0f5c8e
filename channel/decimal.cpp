#include "channel/decimal.h"

#include "channel/cp949.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace velkan::decimal {

namespace {

// clamped, when given, tells whether the value was beyond the type's range.
template <typename Integer> Integer ParseClamped(std::string_view text, bool* clamped = nullptr)
{
    text = cp949::TrimLeft(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Accumulate toward the sign so that the most negative value is reachable.
    constexpr Integer kMax = std::numeric_limits<Integer>::max();
    constexpr Integer kMin = std::numeric_limits<Integer>::min();
    Integer value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const Integer digit = c - '0';
        if (negative) {
            if (value < (kMin + digit) / 10) {
                if (clamped != nullptr) {
                    *clamped = true;
                }
                return kMin;
            }
            value = static_cast<Integer>(value * 10 - digit);
        } else {
            if (value > (kMax - digit) / 10) {
                if (clamped != nullptr) {
                    *clamped = true;
                }
                return kMax;
            }
            value = static_cast<Integer>(value * 10 + digit);
        }
    }
    return value;
}

std::size_t SkipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        ++at;
    }
    return at;
}

// The longest prefix that reads as a plain decimal floating-point number.
std::string_view DecimalPrefix(std::string_view text)
{
    std::size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        ++end;
    }
    const std::size_t integerStart = end;
    end = SkipDigits(text, end);
    bool hasDigits = end > integerStart;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = SkipDigits(text, end + 1);
        hasDigits = hasDigits || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!hasDigits) {
        return {};
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        const std::size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) {
            end = exponentEnd;
        }
    }
    return text.substr(0, end);
}

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

} // namespace

std::int32_t ParseInt32(std::string_view text)
{
    return ParseClamped<std::int32_t>(text);
}

std::int64_t ParseInt64(std::string_view text)
{
    return ParseClamped<std::int64_t>(text);
}

std::optional<std::int64_t> ParseInt64InRange(std::string_view text)
{
    bool clamped = false;
    const std::int64_t value = ParseClamped<std::int64_t>(text, &clamped);
    return clamped ? std::nullopt : std::optional(value);
}

double ParseDouble(std::string_view text)
{
    const std::string number(DecimalPrefix(cp949::TrimLeft(text)));
    if (number.empty()) {
        return 0.0;
    }
    // The host application may have set a locale whose decimal point is not '.'.
    return strtod_l(number.c_str(), nullptr, CLocale());
}

std::string GroupDigits(double value)
{
    char formatted[400];
    const int length = std::snprintf(formatted, sizeof formatted, "%.0f", value);
    const std::string_view text(formatted, length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::size_t digitsStart = !text.empty() && text[0] == '-' ? 1 : 0;
    std::string grouped(text.substr(0, digitsStart));
    for (std::size_t i = digitsStart; i < text.size(); ++i) {
        grouped.push_back(text[i]);
        const std::size_t remaining = text.size() - i;
        if (remaining != 1 && remaining % 3 == 1) {
            grouped.push_back(',');
        }
    }
    return grouped;
}

} // namespace velkan::decimal
