#include "control/versioninfo/elfsection.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace velkan::control {

namespace {

constexpr std::uint8_t kClass32 = 1;
constexpr std::uint8_t kClass64 = 2;
constexpr std::uint8_t kLittleEndian = 1;
constexpr std::uint8_t kBigEndian = 2;
constexpr std::uint32_t kSectionNoBits = 8;   // SHT_NOBITS: occupies no bytes of the file
constexpr std::uint16_t kExtendedIndex = 0xFFFF; // SHN_XINDEX
// The section tables a module has are a few kilobytes; this bounds what a hostile file can
// make a reader allocate.
constexpr std::uint64_t kMaxTableBytes = 16U << 20;

void SetError(std::string* error, std::string text)
{
    if (error != nullptr) {
        *error = std::move(text);
    }
}

// Where the fields of the file header and of a section header lie, for one ELF class.
struct Layout {
    std::size_t headerSize;
    std::size_t sectionOffsetAt;   // e_shoff
    std::size_t sectionEntrySizeAt; // e_shentsize
    std::size_t sectionCountAt;    // e_shnum
    std::size_t nameTableIndexAt;  // e_shstrndx
    std::size_t minEntrySize;
    std::size_t wordSize;          // of sh_offset and sh_size
    std::size_t typeAt;            // sh_type
    std::size_t offsetAt;          // sh_offset
    std::size_t sizeAt;            // sh_size
    std::size_t linkAt;            // sh_link
};

constexpr Layout kLayout32 = {52, 0x20, 0x2E, 0x30, 0x32, 40, 4, 4, 16, 20, 24};
constexpr Layout kLayout64 = {64, 0x28, 0x3A, 0x3C, 0x3E, 64, 8, 4, 24, 32, 40};

// Reads the file's bytes at an offset, refusing any range that does not lie wholly in it.
class FileBytes {
public:
    explicit FileBytes(const std::filesystem::path& path) : m_in(path, std::ios::binary)
    {
        if (m_in) {
            m_in.seekg(0, std::ios::end);
            const std::streamoff end = m_in.tellg();
            m_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }
    [[nodiscard]] bool IsOpen() const { return m_in.is_open() && !m_in.fail(); }
    [[nodiscard]] bool Contains(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= m_size && size <= m_size - offset;
    }
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::uint64_t size)
    {
        if (!Contains(offset, size)) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        m_in.clear();
        m_in.seekg(static_cast<std::streamoff>(offset));
        m_in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (m_in.gcount() != static_cast<std::streamsize>(bytes.size())) {
            return std::nullopt;
        }
        return bytes;
    }

private:
    std::ifstream m_in;
    std::uint64_t m_size = 0;
};

// An unsigned number of width bytes at offset in bytes, which the caller has checked holds it.
std::uint64_t Number(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t width, bool bigEndian)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const std::uint8_t byte = bytes[offset + (bigEndian ? i : width - 1 - i)];
        value = (value << 8) | byte;
    }
    return value;
}

struct Section {
    std::uint32_t nameOffset = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

} // namespace

std::optional<std::vector<std::uint8_t>> ReadElfSection(const std::filesystem::path& file, std::string_view name,
                                                        std::size_t maxSize, std::string* error)
{
    std::error_code code;
    if (std::filesystem::is_directory(file, code)) {
        SetError(error, "is a directory");
        return std::nullopt;
    }
    FileBytes bytes(file);
    if (!bytes.IsOpen()) {
        SetError(error, "cannot be read");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> ident = bytes.Read(0, 16);
    constexpr std::array<std::uint8_t, 4> kMagic = {0x7F, 'E', 'L', 'F'};
    if (!ident || !std::equal(kMagic.begin(), kMagic.end(), ident->begin())) {
        SetError(error, "not an ELF file");
        return std::nullopt;
    }
    const std::uint8_t elfClass = (*ident)[4];
    const std::uint8_t byteOrder = (*ident)[5];
    if ((elfClass != kClass32 && elfClass != kClass64) || (byteOrder != kLittleEndian && byteOrder != kBigEndian)) {
        SetError(error, "an ELF file of an unknown class or byte order");
        return std::nullopt;
    }
    const Layout& layout = elfClass == kClass64 ? kLayout64 : kLayout32;
    const bool big = byteOrder == kBigEndian;
    const std::optional<std::vector<std::uint8_t>> header = bytes.Read(0, layout.headerSize);
    if (!header) {
        SetError(error, "truncated: the ELF header is cut short");
        return std::nullopt;
    }
    const std::uint64_t tableOffset = Number(*header, layout.sectionOffsetAt, layout.wordSize, big);
    const std::uint64_t entrySize = Number(*header, layout.sectionEntrySizeAt, 2, big);
    std::uint64_t count = Number(*header, layout.sectionCountAt, 2, big);
    std::uint64_t nameTable = Number(*header, layout.nameTableIndexAt, 2, big);
    if (tableOffset == 0) {
        SetError(error, "the ELF file has no section headers");
        return std::nullopt;
    }
    if (entrySize < layout.minEntrySize) {
        SetError(error, "malformed: section headers too small");
        return std::nullopt;
    }

    const auto readSection = [&](const std::vector<std::uint8_t>& table, std::uint64_t index) {
        const std::size_t at = static_cast<std::size_t>(index * entrySize);
        return Section{static_cast<std::uint32_t>(Number(table, at, 4, big)),
                       static_cast<std::uint32_t>(Number(table, at + layout.typeAt, 4, big)),
                       Number(table, at + layout.offsetAt, layout.wordSize, big),
                       Number(table, at + layout.sizeAt, layout.wordSize, big),
                       static_cast<std::uint32_t>(Number(table, at + layout.linkAt, 4, big))};
    };
    // Many sections move the count and the name table's index into the first section header.
    if (count == 0 || nameTable == kExtendedIndex) {
        const std::optional<std::vector<std::uint8_t>> first = bytes.Read(tableOffset, entrySize);
        if (!first) {
            SetError(error, "truncated: the section headers lie past the end of the file");
            return std::nullopt;
        }
        const Section zero = readSection(*first, 0);
        count = count == 0 ? zero.size : count;
        nameTable = nameTable == kExtendedIndex ? zero.link : nameTable;
    }
    if (count > kMaxTableBytes / entrySize) {
        SetError(error, "malformed: too many sections");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> table = bytes.Read(tableOffset, count * entrySize);
    if (!table) {
        SetError(error, "truncated: the section headers lie past the end of the file");
        return std::nullopt;
    }
    if (nameTable >= count) {
        SetError(error, "malformed: no section name table");
        return std::nullopt;
    }
    const Section names = readSection(*table, nameTable);
    if (names.size > kMaxTableBytes || names.type == kSectionNoBits) {
        SetError(error, "malformed: no usable section name table");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> nameBytes = bytes.Read(names.offset, names.size);
    if (!nameBytes) {
        SetError(error, "truncated: the section names lie past the end of the file");
        return std::nullopt;
    }

    for (std::uint64_t index = 0; index < count; ++index) {
        const Section section = readSection(*table, index);
        // A name runs to its zero byte, which must lie inside the table.
        if (section.nameOffset >= nameBytes->size() || name.size() >= nameBytes->size() - section.nameOffset) {
            continue;
        }
        const auto first = nameBytes->begin() + section.nameOffset;
        if (!std::equal(name.begin(), name.end(), first) || first[static_cast<std::ptrdiff_t>(name.size())] != 0) {
            continue;
        }
        if (section.type == kSectionNoBits) {
            SetError(error, "malformed: section " + std::string(name) + " holds no bytes in the file");
            return std::nullopt;
        }
        if (section.size > maxSize) {
            SetError(error, "malformed: section " + std::string(name) + " is too large");
            return std::nullopt;
        }
        std::optional<std::vector<std::uint8_t>> content = bytes.Read(section.offset, section.size);
        if (!content) {
            SetError(error, "truncated: section " + std::string(name) + " lies past the end of the file");
        }
        return content;
    }
    SetError(error, "no section " + std::string(name));
    return std::nullopt;
}

} // namespace velkan::control
