// The shared module's entry points, the only symbols it exports: the rest of it (the control,
// the layers under it) stays hidden so that a host linking the same layers keeps its own.
// Besides the four a component server has, one says why a registration failed, which a code
// alone cannot.

#include "control/module/classfactory.h"
#include "control/module/registration.h"
#include "control/registry/registryfile.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

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

// Why the process's last registration call failed; empty after one that succeeded. Not kept per
// thread: thread-local storage in a loaded module trips the leak checker's scan of it.
std::mutex registrationErrorLock;
std::string lastRegistrationError;

HRESULT Answer(HRESULT result, std::string reason)
{
    const std::lock_guard<std::mutex> hold(registrationErrorLock);
    lastRegistrationError = velkan::com::Failed(result) ? std::move(reason) : std::string();
    return result;
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
        return Answer(velkan::com::SELFREG_E_TYPELIB, "cannot tell which file this module was loaded from");
    }
    std::string reason;
    const HRESULT result =
        velkan::control::RegisterServerInFile(*path, velkan::registry::DefaultRegistryPath(), &reason);
    return Answer(result, std::move(reason));
}

VELKAN_EXPORT HRESULT DllUnregisterServer()
{
    std::string reason;
    const HRESULT result = velkan::control::UnregisterServerInFile(velkan::registry::DefaultRegistryPath(), &reason);
    return Answer(result, std::move(reason));
}

// Why the last DllRegisterServer or DllUnregisterServer call in the process failed: the text
// is copied into buffer, cut to size - 1 bytes and ended with a zero byte, and its whole length
// is the answer; 0 when that call succeeded or there was none.
VELKAN_EXPORT std::size_t VelkanRegistrationError(char* buffer, std::size_t size)
{
    const std::lock_guard<std::mutex> hold(registrationErrorLock);
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min(size - 1, lastRegistrationError.size());
        std::memcpy(buffer, lastRegistrationError.data(), copied);
        buffer[copied] = 0;
    }
    return lastRegistrationError.size();
}

} // extern "C"
