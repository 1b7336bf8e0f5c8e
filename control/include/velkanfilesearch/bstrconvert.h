#pragma once

// Automation strings (UTF-16) to and from UTF-8, for hosts and for the control's own edges.

#include "velkancom.h"
#include "velkanexport.h"

#include <string>
#include <string_view>

namespace velkan::com {

/// An unpaired surrogate becomes U+FFFD.
VELKAN_HOST_API std::string ToUtf8(std::u16string_view text);

/// Malformed UTF-8 becomes U+FFFD, one per bad sequence.
VELKAN_HOST_API Bstr FromUtf8(std::string_view text);

} // namespace velkan::com
