#pragma once

// What the module writes into the registry when it registers itself, and takes out again.
// Two steps, each loading, editing and (only when something changed) saving the registry:
// the type library first, then the classes.

#include "control/registry/registryfile.h"
#include "control/registry/registrylock.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace velkan::control {

// Where the steps read and write the registry. A failed load or save says why in error.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    [[nodiscard]] virtual std::optional<registry::RegistryFile> Load(std::string* error) = 0;
    virtual bool Save(const registry::RegistryFile& registry, std::string* error) = 0;
};

// The registry file at a path, its lock taken at the first load (waiting at most wait) and held
// until the store is gone, so that no other writer comes between the steps' reads and writes.
class FileRegistryStore final : public RegistryStore {
public:
    explicit FileRegistryStore(std::filesystem::path path,
                               std::chrono::milliseconds wait = registry::RegistryLock::kWait)
        : m_path(std::move(path)), m_wait(wait)
    {
    }
    std::optional<registry::RegistryFile> Load(std::string* error) override;
    bool Save(const registry::RegistryFile& registry, std::string* error) override;

private:
    bool Lock(std::string* error);

    std::filesystem::path m_path;
    std::chrono::milliseconds m_wait;
    std::optional<registry::RegistryLock> m_lock;
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
// step did; reason then says why, in the words of the step that failed.
HRESULT RegisterServer(const std::string& modulePath, RegistryStore& store, std::string* reason = nullptr);
HRESULT UnregisterServer(RegistryStore& store, std::string* reason = nullptr);

// The same in the registry file at registryPath (FileRegistryStore). A file that is not there
// holds nothing to take out: unregistering then succeeds without locking or creating anything.
HRESULT RegisterServerInFile(const std::string& modulePath, const std::filesystem::path& registryPath,
                             std::string* reason = nullptr);
HRESULT UnregisterServerInFile(const std::filesystem::path& registryPath, std::string* reason = nullptr);

} // namespace velkan::control
