#pragma once

// One named section of an ELF file, read from the file as bytes: nothing is loaded or run.
// Every offset and size the file gives is checked against the file before it is used, so a
// truncated, foreign or hostile file gives an error, never a read past its end.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::control {

// Both ELF classes and byte orders. Nothing when the file cannot be read, is no ELF file, is
// cut short, has no section of that name, or the section is larger than maxSize; error then
// says why.
std::optional<std::vector<std::uint8_t>> ReadElfSection(const std::filesystem::path& file, std::string_view name,
                                                        std::size_t maxSize, std::string* error = nullptr);

} // namespace velkan::control
