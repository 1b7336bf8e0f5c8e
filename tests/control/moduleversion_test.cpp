#include "velkanfilesearch/comhost.h"
#include "tests/control/testsupport.h"
#include "control/versioninfo/versionrecord.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fstream>

using namespace velkan;
using control::ModuleVersion;

namespace {

const std::filesystem::path kModulePath = VELKAN_MODULE_PATH;

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(in.good()) << path;
    return bytes;
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good());
}

// The module's version information: file and product version, language block and strings.
ModuleVersion ExpectedModuleVersion()
{
    ModuleVersion version;
    version.fileVersion = {1, 8, 1, 0};
    version.productVersion = {1, 8, 1, 0};
    version.language = 0x0409;
    version.codePage = 0x04B0;
    version.strings = {
        {"FileVersion", "1, 8, 1, 0"},
        {"ProductVersion", "1, 8, 1, 0"},
        {"FileDescription", "VelkanFileSearch ActiveX Control Module"},
        {"ProductName", "VelkanFileSearch ActiveX Control Module"},
        {"InternalName", "VelkanFileSearch"},
        {"OriginalFilename", "VelkanFileSearch.OCX"},
    };
    return version;
}

// A small record of our own for the reader's tests.
constexpr control::VersionString kSampleStrings[] = {{"FileVersion", "2, 0"}, {"InternalName", "Sample"}};
constexpr control::VersionRecordSource kSample = {{2, 0, 0, 7}, {2, 0, 1, 0}, 0x0412, 0x03B5, kSampleStrings};

Bytes SampleRecord()
{
    const auto record = control::EncodeVersionRecord<control::VersionRecordSize(kSample)>(kSample);
    return Bytes(record.begin(), record.end());
}

ModuleVersion SampleVersion()
{
    return {{2, 0, 0, 7}, {2, 0, 1, 0}, 0x0412, 0x03B5, {{"FileVersion", "2, 0"}, {"InternalName", "Sample"}}};
}

// ---- the ELF images the reader is tried on ----

struct ElfSection {
    std::string name;
    std::uint32_t type = 1; // SHT_PROGBITS
    Bytes content;
};

// An ELF file of either class and byte order: the header, the sections' bytes, their names,
// then the section headers (first the null one, last the name table). Fields can be spoiled.
struct ElfImage {
    bool is64 = true;
    bool bigEndian = false;
    std::vector<ElfSection> sections;
    std::optional<std::uint16_t> entrySize;       // e_shentsize instead of the right one
    std::optional<std::uint16_t> nameTableIndex;  // e_shstrndx instead of the right one
    bool extendedNumbering = false;               // count and name-table index in header 0
    std::optional<std::uint64_t> lastOffset;      // sh_offset of the last section given
    std::optional<std::uint64_t> lastSize;        // sh_size of the last section given

    [[nodiscard]] Bytes Build() const
    {
        Bytes out;
        const auto put = [&](std::uint64_t value, std::size_t width) {
            for (std::size_t i = 0; i < width; ++i) {
                const std::size_t shift = 8 * (bigEndian ? width - 1 - i : i);
                out.push_back(static_cast<std::uint8_t>(value >> shift));
            }
        };
        const std::size_t word = is64 ? 8 : 4;
        const std::size_t headerSize = is64 ? 64 : 52;
        const std::size_t rightEntrySize = is64 ? 64 : 40;

        // Contents after the header, then the names.
        Bytes body;
        std::vector<std::uint64_t> offsets;
        std::string names(1, '\0');
        std::vector<std::uint32_t> nameOffsets;
        for (const ElfSection& section : sections) {
            offsets.push_back(headerSize + body.size());
            body.insert(body.end(), section.content.begin(), section.content.end());
            nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
            names += section.name + '\0';
        }
        const std::uint32_t namesName = static_cast<std::uint32_t>(names.size());
        names += std::string(".shstrtab") + '\0';
        const std::uint64_t namesOffset = headerSize + body.size();
        const std::uint64_t tableOffset = namesOffset + names.size();
        const std::uint64_t count = sections.size() + 2;

        out = {0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(is64 ? 2 : 1), static_cast<std::uint8_t>(bigEndian ? 2 : 1), 1};
        out.resize(16, 0);
        put(3, 2);  // ET_DYN
        put(62, 2); // EM_X86_64
        put(1, 4);  // EV_CURRENT
        put(0, word); // entry
        put(0, word); // program headers
        put(tableOffset, word);
        put(0, 4); // flags
        put(headerSize, 2);
        put(0, 2); // program header size
        put(0, 2); // program header count
        put(entrySize.value_or(static_cast<std::uint16_t>(rightEntrySize)), 2);
        put(extendedNumbering ? 0 : count, 2);
        put(extendedNumbering ? 0xFFFF : nameTableIndex.value_or(static_cast<std::uint16_t>(count - 1)), 2);
        out.insert(out.end(), body.begin(), body.end());
        out.insert(out.end(), names.begin(), names.end());

        const auto header = [&](std::uint32_t name, std::uint32_t type, std::uint64_t offset, std::uint64_t size,
                                std::uint32_t link) {
            const std::size_t start = out.size();
            put(name, 4);
            put(type, 4);
            put(0, word); // flags
            put(0, word); // address
            put(offset, word);
            put(size, word);
            put(link, 4);
            put(0, 4); // info
            put(1, word); // alignment
            put(0, word); // entry size
            out.resize(start + rightEntrySize, 0);
        };
        header(0, 0, 0, extendedNumbering ? count : 0, extendedNumbering ? static_cast<std::uint32_t>(count - 1) : 0);
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const bool last = i + 1 == sections.size();
            header(nameOffsets[i], sections[i].type, last && lastOffset ? *lastOffset : offsets[i],
                   last && lastSize ? *lastSize : sections[i].content.size(), 0);
        }
        header(namesName, 3, namesOffset, names.size(), 0); // SHT_STRTAB
        return out;
    }
};

ElfImage WithRecord(Bytes record)
{
    ElfImage image;
    image.sections = {{".text", 1, Bytes(16, 0x90)}, {".velkan.version", 1, std::move(record)}};
    return image;
}

class ModuleVersionTest : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path path = m_directory.Directory() / name;
        WriteBytes(path, bytes);
        return path;
    }

    test::ScopedRegistry m_directory; // a fresh directory of our own
};

TEST_F(ModuleVersionTest, BuiltModuleCarriesItsVersionInformation)
{
    std::string error;
    const std::optional<ModuleVersion> version = control::ReadModuleVersion(kModulePath, &error);
    ASSERT_TRUE(version) << error;
    EXPECT_EQ(*version, ExpectedModuleVersion());

    // Packagers strip modules; the record is part of the loaded image and stays.
    const std::filesystem::path stripped = m_directory.Directory() / "stripped.so";
    ASSERT_EQ(QProcess::execute(QStringLiteral("strip"), {QStringLiteral("-o"), QString::fromStdString(stripped.string()),
                                                          QString::fromStdString(kModulePath.string())}),
              0);
    const std::optional<ModuleVersion> fromStripped = control::ReadModuleVersion(stripped, &error);
    ASSERT_TRUE(fromStripped) << error;
    EXPECT_EQ(*fromStripped, ExpectedModuleVersion());

    // A module this machine could not load still tells its version: nothing is loaded.
    Bytes foreign = ReadBytes(kModulePath);
    ASSERT_GT(foreign.size(), 20U);
    foreign[18] = 183; // EM_AARCH64
    foreign[19] = 0;
    const std::filesystem::path other = Write("other-machine.so", foreign);
    EXPECT_EQ(::dlopen(other.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr);
    const std::optional<ModuleVersion> fromForeign = control::ReadModuleVersion(other, &error);
    ASSERT_TRUE(fromForeign) << error;
    EXPECT_EQ(*fromForeign, ExpectedModuleVersion());
}

TEST_F(ModuleVersionTest, EveryClassAndByteOrderReads)
{
    for (const bool is64 : {false, true}) {
        for (const bool bigEndian : {false, true}) {
            for (const bool extended : {false, true}) {
                SCOPED_TRACE(std::string(is64 ? "64" : "32") + (bigEndian ? " big" : " little") +
                             (extended ? " extended" : ""));
                ElfImage image = WithRecord(SampleRecord());
                image.is64 = is64;
                image.bigEndian = bigEndian;
                image.extendedNumbering = extended;
                std::string error;
                const std::optional<ModuleVersion> version = control::ReadModuleVersion(Write("image", image.Build()), &error);
                ASSERT_TRUE(version) << error;
                EXPECT_EQ(*version, SampleVersion());
            }
        }
    }
}

TEST_F(ModuleVersionTest, FilesThatAreNotModulesWithARecordGiveAReason)
{
    const Bytes module = ReadBytes(kModulePath);
    const auto spoiled = [](auto change) {
        ElfImage image = WithRecord(SampleRecord());
        change(image);
        return image.Build();
    };
    Bytes unknownClass = spoiled([](ElfImage&) {});
    unknownClass[4] = 3;
    struct Case {
        const char* what;
        std::optional<Bytes> bytes; // nothing: no file at all
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"missing file", std::nullopt, "cannot be read"},
        {"empty file", Bytes(), "not an ELF file"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, "not an ELF file"},
        {"magic only", Bytes{0x7F, 'E', 'L', 'F'}, "not an ELF file"},
        {"unknown class", unknownClass, "unknown class or byte order"},
        {"module cut inside its header", Bytes(module.begin(), module.begin() + 40), "ELF header is cut short"},
        {"module without its last byte", Bytes(module.begin(), module.end() - 1), "section headers lie past the end"},
        {"section headers too small", spoiled([](ElfImage& i) { i.entrySize = 16; }), "section headers too small"},
        {"name table index out of range", spoiled([](ElfImage& i) { i.nameTableIndex = 200; }), "no section name table"},
        {"no such section", spoiled([](ElfImage& i) { i.sections.pop_back(); }), "no section .velkan.version"},
        {"section past the end", spoiled([](ElfImage& i) { i.lastOffset = 1U << 30; }), "lies past the end"},
        {"offset wrapping around with its size", spoiled([](ElfImage& i) { i.lastOffset = ~std::uint64_t{0} - 8; }),
         "lies past the end"},
        {"section too large to be a record", spoiled([](ElfImage& i) { i.lastSize = 1U << 20; }), "too large"},
        {"section with no bytes", spoiled([](ElfImage& i) { i.sections.back().type = 8; }), "holds no bytes"},
        {"section of something else", spoiled([](ElfImage& i) { i.sections.back().content = Bytes(64, 'x'); }),
         "no version record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path path =
            c.bytes ? Write("case", *c.bytes) : m_directory.Directory() / "missing.so";
        std::string error;
        EXPECT_FALSE(control::ReadModuleVersion(path, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(control::ReadModuleVersion(m_directory.Directory(), &error));
    EXPECT_EQ(error, "is a directory");

    // A library without the section: the one Qt's core lives in.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&qVersion), &info), 0);
    EXPECT_FALSE(control::ReadModuleVersion(info.dli_fname, &error));
    EXPECT_EQ(error, "no section .velkan.version");
}

TEST(VersionRecordTest, MalformedRecordsAreRefusedAndPaddingIgnored)
{
    const Bytes record = SampleRecord();
    const auto changed = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        Bytes out = record;
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        return out;
    };
    // Offsets in the sample: "FileVersion" at 32, its value "2, 0" at 44, "Sample" at 62.
    ASSERT_EQ(std::string(record.begin() + 44, record.begin() + 48), "2, 0");
    ASSERT_EQ(std::string(record.begin() + 62, record.begin() + 68), "Sample");
    struct Case {
        const char* what;
        Bytes bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"shorter than its header", Bytes(record.begin(), record.begin() + 31), "no version record"},
        {"wrong magic", changed(0, {'X'}), "no version record"},
        {"later format", changed(8, {2}), "format 2"},
        {"last value without its zero", Bytes(record.begin(), record.end() - 1), "string 2 of 2 is cut short"},
        {"more strings counted than held", changed(10, {3}), "string 3 of 3"},
        {"empty name", changed(32, {0}), "string 1 of 2"},
        {"line feed in a value", changed(45, {'\n'}), "control character"},
        {"escape in a value", changed(62, {0x1B}), "control character"},
        {"C1 control in a value", changed(62, {0xC2, 0x9B}), "control character"},
        {"delete in a name", changed(33, {0x7F}), "control character"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(control::DecodeVersionRecord(c.bytes, &error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }

    Bytes padded = record;
    padded.resize(record.size() + 31, 0);
    EXPECT_EQ(control::DecodeVersionRecord(padded), SampleVersion());
    // Korean and other non-control UTF-8 is kept as it is.
    const Bytes korean = changed(62, {0xEA, 0xB2, 0x80, 'l', 'e', 0});
    const std::optional<ModuleVersion> decoded = control::DecodeVersionRecord(Bytes(korean.begin(), korean.end() - 1));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->strings[1].second, "\xEA\xB2\x80le");
}

} // namespace
