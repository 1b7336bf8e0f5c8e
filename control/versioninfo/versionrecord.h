#pragma once

// The module's version information, kept in a section of its own (".velkan.version") of the
// ELF file so that a tool reads it from the file without loading the module, as a version
// resource is read on Windows.
//
// The section holds one record; every number is little-endian:
//
//   offset  size  field
//        0     8  magic: "VLKNVER" and a zero byte
//        8     2  record format, 1 (a reader refuses any other)
//       10     2  number of strings, n
//       12     8  file version: four 16-bit numbers, most significant first (1, 8, 1, 0)
//       20     8  product version, likewise
//       28     2  language of the strings (0x0409, English)
//       30     2  code page of the strings (0x04B0, Unicode)
//       32     -  n strings, each a name and a value, both UTF-8 followed by a zero byte; a
//                 name is never empty and neither holds control characters
//
// Bytes after the n-th string are padding and carry nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkan::control {

inline constexpr std::string_view kVersionSection = ".velkan.version";
inline constexpr std::string_view kVersionMagic{"VLKNVER\0", 8};
inline constexpr std::uint16_t kVersionRecordFormat = 1;
inline constexpr std::size_t kVersionHeaderSize = 32;

using FourPartVersion = std::array<std::uint16_t, 4>;

struct VersionString {
    std::string_view name;
    std::string_view value;
};

// What the module writes, fixed when it is built.
struct VersionRecordSource {
    FourPartVersion fileVersion;
    FourPartVersion productVersion;
    std::uint16_t language;
    std::uint16_t codePage;
    std::span<const VersionString> strings;
};

// What a reader finds.
struct ModuleVersion {
    FourPartVersion fileVersion{};
    FourPartVersion productVersion{};
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    std::vector<std::pair<std::string, std::string>> strings;
    bool operator==(const ModuleVersion&) const = default;
};

constexpr std::size_t VersionRecordSize(const VersionRecordSource& source)
{
    std::size_t size = kVersionHeaderSize;
    for (const VersionString& entry : source.strings) {
        size += entry.name.size() + 1 + entry.value.size() + 1;
    }
    return size;
}

// The record's bytes; Size must be VersionRecordSize(source). Usable at compile time, so
// that the module carries the record as plain initialised data.
template <std::size_t Size> constexpr std::array<std::uint8_t, Size> EncodeVersionRecord(const VersionRecordSource& source)
{
    std::array<std::uint8_t, Size> record{};
    std::size_t at = 0;
    const auto put16 = [&](std::uint16_t value) {
        record[at++] = static_cast<std::uint8_t>(value & 0xFF);
        record[at++] = static_cast<std::uint8_t>(value >> 8);
    };
    const auto putText = [&](std::string_view text) {
        for (const char c : text) {
            record[at++] = static_cast<std::uint8_t>(c);
        }
        record[at++] = 0;
    };
    for (const char c : kVersionMagic) {
        record[at++] = static_cast<std::uint8_t>(c);
    }
    put16(kVersionRecordFormat);
    put16(static_cast<std::uint16_t>(source.strings.size()));
    for (const std::uint16_t part : source.fileVersion) {
        put16(part);
    }
    for (const std::uint16_t part : source.productVersion) {
        put16(part);
    }
    put16(source.language);
    put16(source.codePage);
    for (const VersionString& entry : source.strings) {
        putText(entry.name);
        putText(entry.value);
    }
    return record;
}

// Reads a record; nothing for bytes that are not one, error then saying why.
std::optional<ModuleVersion> DecodeVersionRecord(std::span<const std::uint8_t> bytes, std::string* error = nullptr);

// Reads the record of a module file without loading it; nothing when the file is not an ELF
// file, is cut short, or carries no valid record, error then saying why.
std::optional<ModuleVersion> ReadModuleVersion(const std::filesystem::path& module, std::string* error = nullptr);

// "Name: value" lines: the two numeric versions ("1.8.1.0"), the language block ("040904b0"),
// then each string in the record's order.
std::vector<std::string> VersionLines(const ModuleVersion& version);

} // namespace velkan::control
