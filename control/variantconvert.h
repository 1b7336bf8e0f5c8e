#pragma once

// An automation value as text, the way automation turns any argument into a string before a
// string property or parameter sees it.

#include "velkancom.h"

namespace velkan::com {

// Empty gives "", an integer its decimal text, a double its shortest text that reads back as
// the same double (exponent written "E+21", negative zero "0"), a boolean "-1" or "0".
// DISP_E_TYPEMISMATCH for null and for a double that is not finite; text is then untouched.
HRESULT VariantToBstr(const Variant& value, Bstr* text);

} // namespace velkan::com
