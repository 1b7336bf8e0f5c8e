#pragma once

// Text at the automation boundary: automation strings are UTF-16, the control keeps CP949 bytes.

#include "velkanfilesearch/velkancom.h"

#include <string>
#include <string_view>

namespace velkan::control {

// Characters CP949 lacks become '?'. A narrow text ends at its first zero, so what follows
// a zero character is dropped.
std::string ToCp949(const com::Bstr& text);
com::Bstr FromCp949(std::string_view text);

} // namespace velkan::control
