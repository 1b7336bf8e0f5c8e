#pragma once

// An automation value as text, the way automation turns any argument into a string before a
// string property or parameter sees it.

#include "velkanfilesearch/velkancom.h"

namespace velkan::com {

// Empty gives "", an integer its decimal text, a boolean "-1" or "0". A double gives at most 15
// significant digits without trailing zeros, always with a point whatever the process locale;
// the exponent form ("1E+15", "1.5E-07") only below 1E-04 or from 1E+15 up; negative zero "0".
// DISP_E_TYPEMISMATCH for null and for a double that is not finite; text is then untouched.
HRESULT VariantToBstr(const Variant& value, Bstr* text);

} // namespace velkan::com
