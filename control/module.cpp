// The shared module's entry points, the only symbols it exports: the rest of it (the control,
// the layers under it) stays hidden so that a host linking the same layers keeps its own.

#include "classfactory.h"
#include "registration.h"
#include "registryfile.h"
#include "velkanfilesearch.h"

#include <dlfcn.h>

#include <filesystem>
#include <optional>

#define VELKAN_EXPORT __attribute__((visibility("default")))

using velkan::com::Guid;
using velkan::com::HRESULT;

namespace {

// Where this module was loaded from, found through one of its own functions.
std::optional<std::string> ModulePath()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr) {
        return std::nullopt;
    }
    std::error_code code;
    const std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, code);
    return code ? std::string(info.dli_fname) : path.string();
}

} // namespace

extern "C" {

VELKAN_EXPORT HRESULT DllGetClassObject(const Guid& clsid, const Guid& iid, void** object)
{
    return velkan::control::GetClassObject(clsid, iid, object);
}

VELKAN_EXPORT HRESULT DllCanUnloadNow()
{
    return velkan::control::CanUnloadNow();
}

VELKAN_EXPORT HRESULT DllRegisterServer()
{
    const std::optional<std::string> path = ModulePath();
    if (!path) {
        // The type library is filed under the module's path first.
        return velkan::com::SELFREG_E_TYPELIB;
    }
    velkan::control::FileRegistryStore store(velkan::registry::DefaultRegistryPath());
    return velkan::control::RegisterServer(*path, store);
}

VELKAN_EXPORT HRESULT DllUnregisterServer()
{
    velkan::control::FileRegistryStore store(velkan::registry::DefaultRegistryPath());
    return velkan::control::UnregisterServer(store);
}

} // extern "C"
