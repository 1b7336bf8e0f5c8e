#include "control/com/variantconvert.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velkan::com {

namespace {

// Enough for any 64-bit integer and for a double at 15 significant digits with its exponent.
constexpr std::size_t kTextCapacity = 32;

template <class Integer> Bstr DecimalText(Integer value)
{
    char buffer[kTextCapacity];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? Bstr(buffer, end) : Bstr();
}

// What C's %.15G writes in the "C" locale: hosts expect the digits automation gives, which
// drop the noise of the last binary digits (0.1 + 0.2 is "0.3") and keep whole numbers below
// 1E+15 out of the exponent form. to_chars never reads the process locale, so a host running
// with a decimal comma still gets a point.
Bstr AutomationDoubleText(double value)
{
    constexpr int kSignificantDigits = 15;
    char buffer[kTextCapacity];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kSignificantDigits);
    if (error != std::errc()) {
        return Bstr();
    }
    // Automation writes the exponent with a capital letter.
    std::replace(buffer, end, 'e', 'E');
    return Bstr(buffer, end);
}

struct TextOf {
    HRESULT operator()(std::monostate) const { return Text(Bstr()); }
    HRESULT operator()(Null) const { return DISP_E_TYPEMISMATCH; }
    HRESULT operator()(const Bstr& value) const { return Text(value); }
    HRESULT operator()(std::int32_t value) const { return Text(DecimalText(value)); }
    HRESULT operator()(std::int64_t value) const { return Text(DecimalText(value)); }
    HRESULT operator()(double value) const
    {
        if (!std::isfinite(value)) {
            return DISP_E_TYPEMISMATCH;
        }
        // Zero has one text: a host that computed -0.0 means zero.
        return Text(value == 0.0 ? Bstr(u"0") : AutomationDoubleText(value));
    }
    // Automation's true is all bits set.
    HRESULT operator()(bool value) const { return Text(value ? u"-1" : u"0"); }

    HRESULT Text(Bstr value) const
    {
        *out = std::move(value);
        return S_OK;
    }

    Bstr* out;
};

} // namespace

HRESULT VariantToBstr(const Variant& value, Bstr* text)
{
    if (text == nullptr) {
        return E_POINTER;
    }
    return std::visit(TextOf{text}, value);
}

} // namespace velkan::com
