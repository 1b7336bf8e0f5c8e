#include "registration.h"

#include "bstrconvert.h"
#include "typelibrary.h"

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
bool RunStep(RegistryStore& store, const std::function<void(RegistryFile&)>& edit)
{
    std::optional<RegistryFile> registry = store.Load();
    if (!registry) {
        return false;
    }
    const RegistryFile before = *registry;
    edit(*registry);
    return *registry == before || store.Save(*registry);
}

} // namespace

std::optional<RegistryFile> FileRegistryStore::Load()
{
    return RegistryFile::Load(m_path);
}

bool FileRegistryStore::Save(const RegistryFile& registry)
{
    return registry.Save(m_path);
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

HRESULT RegisterServer(const std::string& modulePath, RegistryStore& store)
{
    // The registry file holds one value a line: a path with a line break in it would write
    // entries that name another module, or no module at all. The type library step, first,
    // refuses it before anything is written.
    if (modulePath.find_first_of("\r\n") != std::string::npos) {
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, [&](RegistryFile& registry) { AddTypeLibraryEntries(registry, modulePath); })) {
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, [&](RegistryFile& registry) { AddClassEntries(registry, modulePath); })) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

HRESULT UnregisterServer(RegistryStore& store)
{
    if (!RunStep(store, RemoveTypeLibraryEntries)) {
        return com::SELFREG_E_TYPELIB;
    }
    if (!RunStep(store, RemoveClassEntries)) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

} // namespace velkan::control
