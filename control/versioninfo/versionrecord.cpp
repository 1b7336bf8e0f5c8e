#include "control/versioninfo/versionrecord.h"

#include "control/versioninfo/elfsection.h"

#include <algorithm>
#include <cstdio>

namespace velkan::control {

namespace {

// A record of a few strings is a few hundred bytes; nothing larger is read.
constexpr std::size_t kMaxRecordSize = 64 * 1024;

void SetError(std::string* error, std::string text)
{
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::uint16_t Number16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

FourPartVersion Version(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return {Number16(bytes, at), Number16(bytes, at + 2), Number16(bytes, at + 4), Number16(bytes, at + 6)};
}

// True when text holds a C0 control, DEL, or the UTF-8 form of a C1 control (U+0080 to U+009F),
// which some terminals obey as well.
bool HoldsControl(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            return true;
        }
    }
    return false;
}

// The text from at up to its zero byte, moving at past the zero; nothing when the zero is
// missing or a control character comes first (a line per name and value must stay one line).
std::optional<std::string> Text(std::span<const std::uint8_t> bytes, std::size_t& at)
{
    const auto end = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), 0);
    if (end == bytes.end()) {
        return std::nullopt;
    }
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(at), end);
    if (HoldsControl(text)) {
        return std::nullopt;
    }
    at = static_cast<std::size_t>(end - bytes.begin()) + 1;
    return text;
}

std::string Dotted(const FourPartVersion& version)
{
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) + "." +
           std::to_string(version[3]);
}

} // namespace

std::optional<ModuleVersion> DecodeVersionRecord(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (bytes.size() < kVersionHeaderSize || !std::equal(kVersionMagic.begin(), kVersionMagic.end(), bytes.begin())) {
        SetError(error, "malformed: no version record in the section");
        return std::nullopt;
    }
    const std::uint16_t format = Number16(bytes, 8);
    if (format != kVersionRecordFormat) {
        SetError(error, "version record of format " + std::to_string(format) + ", which this reader does not know");
        return std::nullopt;
    }
    ModuleVersion version;
    version.fileVersion = Version(bytes, 12);
    version.productVersion = Version(bytes, 20);
    version.language = Number16(bytes, 28);
    version.codePage = Number16(bytes, 30);
    const std::uint16_t count = Number16(bytes, 10);
    std::size_t at = kVersionHeaderSize;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::optional<std::string> name = Text(bytes, at);
        std::optional<std::string> value = name ? Text(bytes, at) : std::nullopt;
        if (!name || name->empty() || !value) {
            SetError(error, "malformed: version string " + std::to_string(i + 1) + " of " + std::to_string(count) +
                                " is cut short or holds a control character");
            return std::nullopt;
        }
        version.strings.emplace_back(std::move(*name), std::move(*value));
    }
    return version;
}

std::optional<ModuleVersion> ReadModuleVersion(const std::filesystem::path& module, std::string* error)
{
    const std::optional<std::vector<std::uint8_t>> section = ReadElfSection(module, kVersionSection, kMaxRecordSize, error);
    if (!section) {
        return std::nullopt;
    }
    return DecodeVersionRecord(*section, error);
}

std::vector<std::string> VersionLines(const ModuleVersion& version)
{
    char language[16];
    std::snprintf(language, sizeof language, "%04x%04x", version.language, version.codePage);
    std::vector<std::string> lines = {"FixedFileVersion: " + Dotted(version.fileVersion),
                                      "FixedProductVersion: " + Dotted(version.productVersion),
                                      std::string("Language: ") + language};
    for (const auto& [name, value] : version.strings) {
        lines.push_back(name + ": " + value);
    }
    return lines;
}

} // namespace velkan::control
