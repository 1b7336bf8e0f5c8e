#pragma once

// What the module writes into the registry when it registers itself, and takes out again.
// Two steps, each loading, editing and (only when something changed) saving the registry:
// the type library first, then the classes.

#include "registryfile.h"
#include "velkanfilesearch.h"

#include <filesystem>
#include <optional>
#include <string>

namespace velkan::control {

// Where the steps read and write the registry.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    [[nodiscard]] virtual std::optional<registry::RegistryFile> Load() = 0;
    virtual bool Save(const registry::RegistryFile& registry) = 0;
};

// The registry file at a path.
class FileRegistryStore final : public RegistryStore {
public:
    explicit FileRegistryStore(std::filesystem::path path) : m_path(std::move(path)) {}
    std::optional<registry::RegistryFile> Load() override;
    bool Save(const registry::RegistryFile& registry) override;

private:
    std::filesystem::path m_path;
};

// The property page's ProgID. It is never registered: a container reaches the page by the class
// identifier GetPages gives. Builds before this one wrote a key for it, which is ours to remove.
inline constexpr const char* kPropPageProgId = "VELKANFILESEARCH.VelkanFileSearchPropPage.1";

// The platform key under a type library's locale key that names the module holding it.
std::string TypeLibraryPlatformKey();

void AddTypeLibraryEntries(registry::RegistryFile& registry, const std::string& modulePath);
void RemoveTypeLibraryEntries(registry::RegistryFile& registry);
void AddClassEntries(registry::RegistryFile& registry, const std::string& modulePath);
void RemoveClassEntries(registry::RegistryFile& registry);

// S_OK, SELFREG_E_TYPELIB when the type library step failed, SELFREG_E_CLASS when the class
// step did.
HRESULT RegisterServer(const std::string& modulePath, RegistryStore& store);
HRESULT UnregisterServer(RegistryStore& store);

} // namespace velkan::control
