#include "variantconvert.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velkan::com {

namespace {

template <class Number> Bstr DecimalText(Number value)
{
    // Enough for any 64-bit integer and for the longest shortest form of a double.
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? Bstr(buffer, end) : Bstr();
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
        Bstr decimal = value == 0.0 ? Bstr(u"0") : DecimalText(value);
        // Automation writes the exponent with a capital letter.
        std::replace(decimal.begin(), decimal.end(), u'e', u'E');
        return Text(std::move(decimal));
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
