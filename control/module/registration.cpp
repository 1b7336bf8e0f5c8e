#include "control/module/registration.h"

#include "velkanfilesearch/bstrconvert.h"
#include "control/module/typelibrary.h"

#include <functional>

namespace velkan::control {

using registry::ClassesRootKey;
using registry::RegistryFile;

namespace {

constexpr const char* kControlName = "VelkanFileSearch Control";
constexpr const char* kPropPageName = "VelkanFileSearch Property Page";
// OLEMISC_ACTIVATEWHENVISIBLE | SETCLIENTSITEFIRST | INSIDEOUT | CANTLINKINSIDE |
// RECOMPOSEONRESIZE, as containers read it.
constexpr const char* kMiscStatusContent = "131473";

std::string TypeLibraryKey()
{
    return ClassesRootKey("TypeLib\\" + LIBID_VELKANFILESEARCHLib.ToString() + "\\" + TypeLibraryVersionKey());
}

std::string ClassKey(const Guid& clsid)
{
    return ClassesRootKey("CLSID\\" + clsid.ToString());
}

// Loads, edits, and saves when the edit changed anything.
bool RunStep(RegistryStore& store, const std::function<void(RegistryFile&)>& edit, std::string* reason)
{
    std::optional<RegistryFile> registry = store.Load(reason);
    if (!registry) {
        return false;
    }
    const RegistryFile before = *registry;
    edit(*registry);
    return *registry == before || store.Save(*registry, reason);
}

} // namespace

bool FileRegistryStore::Lock(std::string* error)
{
    if (!m_lock) {
        m_lock = registry::RegistryLock::Take(m_path, m_wait, error);
    }
    return m_lock.has_value();
}

std::optional<RegistryFile> FileRegistryStore::Load(std::string* error)
{
    if (!Lock(error)) {
        return std::nullopt;
    }
    return RegistryFile::Load(m_lock->File(), error);
}

bool FileRegistryStore::Save(const RegistryFile& registry, std::string* error)
{
    return Lock(error) && registry.Save(*m_lock, error);
}

std::string TypeLibraryPlatformKey()
{
    return sizeof(void*) == 8 ? "linux64" : "linux32";
}

void AddTypeLibraryEntries(RegistryFile& registry, const std::string& modulePath)
{
    const std::string key = TypeLibraryKey();
    registry.SetString(key, {}, com::ToUtf8(VelkanTypeLibrary().helpString));
    registry.SetString(key + "\\0\\" + TypeLibraryPlatformKey(), {}, modulePath);
    registry.SetString(key + "\\FLAGS", {}, "0");
    registry.SetString(key + "\\HELPDIR", {}, "");
}

void RemoveTypeLibraryEntries(RegistryFile& registry)
{
    registry.RemoveKey(TypeLibraryKey());
}

void AddClassEntries(RegistryFile& registry, const std::string& modulePath)
{
    const std::string controlProgId = ClassesRootKey(kControlProgId);
    const std::string control = ClassKey(CLSID_VelkanFileSearch);
    registry.SetString(controlProgId, {}, kControlName);
    registry.SetString(controlProgId + "\\CLSID", {}, CLSID_VelkanFileSearch.ToString());
    registry.SetString(control, {}, kControlName);
    registry.SetString(control + "\\ProgID", {}, kControlProgId);
    registry.SetString(control + "\\InprocServer32", {}, modulePath);
    registry.SetString(control + "\\InprocServer32", "ThreadingModel", "Apartment");
    registry.SetString(control + "\\ToolboxBitmap32", {}, modulePath + ", 1");
    registry.SetString(control + "\\MiscStatus", {}, "0");
    registry.SetString(control + "\\MiscStatus\\1", {}, kMiscStatusContent);
    registry.SetString(control + "\\Control", {}, "");
    registry.SetString(control + "\\TypeLib", {}, LIBID_VELKANFILESEARCHLib.ToString());
    registry.SetString(control + "\\Version", {}, TypeLibraryVersionKey());

    // The page: its class key and its server, no ProgID.
    const std::string page = ClassKey(CLSID_VelkanFileSearchPropPage);
    registry.SetString(page, {}, kPropPageName);
    registry.SetString(page + "\\InprocServer32", {}, modulePath);
}

void RemoveClassEntries(RegistryFile& registry)
{
    registry.RemoveKey(ClassesRootKey(kControlProgId));
    registry.RemoveKey(ClassKey(CLSID_VelkanFileSearch));
    registry.RemoveKey(ClassKey(CLSID_VelkanFileSearchPropPage));
    registry.RemoveKey(ClassesRootKey(kPropPageProgId)); // left by older builds
}

HRESULT RegisterServer(const std::string& modulePath, RegistryStore& store, std::string* reason)
{
    // The registry file holds one value a line: a path with a line break in it would write
    // entries that name another module, or no module at all. The type library step, first,
    // refuses it before anything is written.
    if (modulePath.find_first_of("\r\n") != std::string::npos) {
        if (reason != nullptr) {
            *reason = "the module's path holds a line break, which the registry file cannot record";
        }
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, [&](RegistryFile& registry) { AddTypeLibraryEntries(registry, modulePath); }, reason)) {
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, [&](RegistryFile& registry) { AddClassEntries(registry, modulePath); }, reason)) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

HRESULT UnregisterServer(RegistryStore& store, std::string* reason)
{
    if (!RunStep(store, RemoveTypeLibraryEntries, reason)) {
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, RemoveClassEntries, reason)) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

HRESULT RegisterServerInFile(const std::string& modulePath, const std::filesystem::path& registryPath,
                             std::string* reason)
{
    FileRegistryStore store(registryPath);
    return RegisterServer(modulePath, store, reason);
}

HRESULT UnregisterServerInFile(const std::filesystem::path& registryPath, std::string* reason)
{
    std::error_code code;
    if (!std::filesystem::exists(registryPath, code) && !code) {
        return com::S_OK;
    }
    FileRegistryStore store(registryPath);
    return UnregisterServer(store, reason);
}

} // namespace velkan::control
