#pragma once

// Automation strings (UTF-16) to and from UTF-8, for hosts and for the control's own edges.

#include "velkancom.h"

#include <string>
#include <string_view>

namespace velkan::com {

// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Malformed UTF-8 becomes U+FFFD, one per bad sequence.
Bstr FromUtf8(std::string_view text);

} // namespace velkan::com
