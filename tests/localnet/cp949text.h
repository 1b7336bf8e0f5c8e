#pragma once

#include "channel/cp949convert.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace velkan::localnet::test {

// Test texts are written in UTF-8; the servers hold CP949.
inline std::string Cp949(std::string_view utf8)
{
    std::optional<std::string> text = cp949::FromUtf8Strict(utf8);
    if (!text) {
        throw std::invalid_argument("not CP949: " + std::string(utf8));
    }
    return *text;
}

} // namespace velkan::localnet::test
