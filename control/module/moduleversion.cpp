// The module's version information, carried in its own section of the module file where
// velkan-regsvr --module-version reads it without loading the module. Linked into the module
// itself (not through a static library), so that the linker keeps it although nothing refers
// to it.

#include "velkanversion.h"
#include "control/versioninfo/versionrecord.h"

namespace {

using velkan::control::VersionRecordSource;
using velkan::control::VersionString;
using velkan::version::kModuleVersion;
using velkan::version::kModuleVersionText;

constexpr std::string_view kModuleName = "VelkanFileSearch ActiveX Control Module";

constexpr VersionString kStrings[] = {
    {"FileVersion", kModuleVersionText},
    {"ProductVersion", kModuleVersionText},
    {"FileDescription", kModuleName},
    {"ProductName", kModuleName},
    {"InternalName", "VelkanFileSearch"},
    {"OriginalFilename", "VelkanFileSearch.OCX"},
};

// English (0x0409), Unicode (0x04B0): the language block 040904b0.
constexpr VersionRecordSource kSource = {kModuleVersion, kModuleVersion, 0x0409, 0x04B0, kStrings};

[[gnu::used, gnu::section(".velkan.version")]] constexpr auto kRecord =
    velkan::control::EncodeVersionRecord<velkan::control::VersionRecordSize(kSource)>(kSource);

} // namespace
