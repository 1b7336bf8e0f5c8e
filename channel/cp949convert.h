#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversion between CP949 and UTF-8, for the places where the service's text meets the
// screen, the terminal or the automation boundary.
namespace velkan::cp949 {

// A byte sequence that is not CP949 becomes '?'.
std::string ToUtf8(std::string_view cp949);

// A character that CP949 cannot hold (or malformed UTF-8) becomes '?'.
std::string FromUtf8(std::string_view utf8);

// As FromUtf8, but fails instead of substituting.
std::optional<std::string> FromUtf8Strict(std::string_view utf8);

// As ToUtf8, but fails instead of substituting.
std::optional<std::string> ToUtf8Strict(std::string_view cp949);

} // namespace velkan::cp949
