#pragma once

// The registries a lookup reads, in order: the per-user file first, then the one an installed
// package ships beside its libraries, so that a user's own registration overrides the
// package's, as the user's classes override the machine's. A file that is missing is passed
// over; one that cannot be read is passed over too, and its reason kept for the error text of a
// lookup that then finds nothing.

#include "control/registry/registryfile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::registry {

class RegistryChain {
public:
    // A string value and the file that held it.
    struct Found {
        std::string value;
        std::filesystem::path file;
    };

    static RegistryChain Load(const std::vector<std::filesystem::path>& paths);

    // The per-user file (DefaultRegistryPath), then the file at installedRelative from the folder
    // of the shared library holding this code, when it can be told.
    static RegistryChain LoadDefault(std::string_view installedRelative);

    // The file at relative from the folder of the shared object (library, module or program)
    // that holds this code, as it was loaded; nothing when that cannot be told.
    static std::optional<std::filesystem::path> BesideThisLibrary(std::string_view relative);

    // The first file's value; name empty for the default value.
    [[nodiscard]] std::optional<Found> GetString(std::string_view key, std::string_view name = {}) const;

    [[nodiscard]] const std::vector<RegistryFile>& Files() const { return m_files; }
    // What was read, file by file separated by commas: "PATH" for a file read, "PATH (REASON)"
    // for one passed over, so an error can say where a lookup looked.
    [[nodiscard]] std::string Describe() const;

private:
    std::vector<RegistryFile> m_files;
    std::vector<std::filesystem::path> m_paths; // of m_files, in order
    std::vector<std::string> m_looked;          // Describe's lines
};

} // namespace velkan::registry
