#include "tools/velkan-regsvr/versioncommand.h"

#include "velkanversion.h"
#include "control/versioninfo/versionrecord.h"

#include <string>

namespace velkan::regsvr {

int PrintToolVersion(std::FILE* out)
{
    std::fprintf(out, "velkan-regsvr %.*s\n", static_cast<int>(version::kProjectVersion.size()),
                 version::kProjectVersion.data());
    return 0;
}

int PrintModuleVersion(const std::filesystem::path& module, std::FILE* out, std::FILE* err)
{
    std::string error;
    const std::optional<control::ModuleVersion> found = control::ReadModuleVersion(module, &error);
    if (!found) {
        std::fprintf(err, "velkan-regsvr: cannot read the version information of %s: %s\n", module.c_str(),
                     error.c_str());
        return 1;
    }
    for (const std::string& line : control::VersionLines(*found)) {
        std::fprintf(out, "%s\n", line.c_str());
    }
    return 0;
}

} // namespace velkan::regsvr
