#pragma once

// What a host needs to use the control through the registry, as an automation container
// would: register and unregister a module, create an object by ProgID or class identifier, and keep its
// properties in a property bag or a property set file. No widgets here.

#include "comptr.h"
#include "velkancom.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkan::comhost {

using com::Guid;
using com::HRESULT;

// The registry file hosts and modules share: $VELKAN_REGISTRY, else
// $XDG_DATA_HOME/velkan/registry.reg (XDG_DATA_HOME defaulting to ~/.local/share).
std::filesystem::path RegistryPath();

// A loaded module; it stays mapped for the whole process even after the last Module goes,
// since Qt keeps pointers into a module that ever made widgets (types, resources).
class Module {
public:
    // Nothing when the module cannot be loaded; error then says why.
    static std::shared_ptr<Module> Load(const std::filesystem::path& path, std::string* error = nullptr);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // The exported symbol, or null.
    [[nodiscard]] void* Symbol(const char* name) const;
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

private:
    Module(void* handle, std::filesystem::path path) : m_handle(handle), m_path(std::move(path)) {}

    void* m_handle;
    std::filesystem::path m_path;
};

// The outcome of calling one of a module's registration entry points.
struct EntryPointCall {
    enum class Outcome { Called, NotLoadable, NoEntryPoint };
    Outcome outcome = Outcome::NotLoadable;
    HRESULT result = com::E_FAIL; // the entry point's answer when called
    std::string error;            // why it was not called
};

// Why a registration entry point failed with result, as the registry file shows it now: for
// SELFREG_E_TYPELIB and SELFREG_E_CLASS, what keeps the file from being read or written
// (RegistryFile::FindProblem), else that it loads and takes a trial write; nothing for other
// codes. The entry points answer only a code, so a tool reads the file again to say why.
std::optional<std::string> RegistrationFailureReason(HRESULT result);

// Loads module and calls name ("DllRegisterServer" or "DllUnregisterServer").
EntryPointCall CallEntryPoint(const std::filesystem::path& module, const char* name);

// The module's DllRegisterServer or DllUnregisterServer; E_FAIL when it cannot be called.
HRESULT RegisterModule(const std::filesystem::path& module);
HRESULT UnregisterModule(const std::filesystem::path& module);

// True when the ProgID leads to a class with an in-process server path.
bool IsRegistered(const std::string& progId);

// An object made by a module, with the module that made it.
struct CreatedObject {
    std::shared_ptr<Module> module; // declared first so that it is released last
    com::ComPtr<com::IUnknown> object; // the interface asked for

    // The interface asked for, as its type.
    template <class T> [[nodiscard]] T* As() const { return static_cast<T*>(object.Get()); }
};

// CLSID -> InprocServer32 -> load -> DllGetClassObject -> CreateInstance: how a container
// makes the property pages an object names. REGDB_E_CLASSNOTREG when the registry does not
// lead to a module, E_FAIL when the module cannot be loaded or has no DllGetClassObject, else
// what the factory answers.
HRESULT CreateByClsid(const Guid& clsid, const Guid& iid, CreatedObject* out);

// ProgID -> CLSID, then as CreateByClsid; REGDB_E_CLASSNOTREG as well for a ProgID the
// registry does not know.
HRESULT CreateByProgId(const std::string& progId, const Guid& iid, CreatedObject* out);

// A property bag in memory: what a page's parameters or a saved file hold.
class MemoryPropertyBag final : public com::IPropertyBag {
public:
    HRESULT Read(const std::u16string& name, com::Bstr* value) override;
    HRESULT Write(const std::u16string& name, const com::Bstr& value) override;

    std::map<std::u16string, com::Bstr> values;
};

// A property set file: UTF-8 text, one "name=value" a line, with backslash, line feed and
// carriage return written \\, \n and \r. Loading adds to what the bag holds.
bool LoadPropertySet(const std::filesystem::path& path, MemoryPropertyBag& bag, std::string* error = nullptr);
bool SavePropertySet(const std::filesystem::path& path, const MemoryPropertyBag& bag, std::string* error = nullptr);

// The text of a property set file, added to the bag only when every line is good; error then
// says "LINE: not a name=value line".
bool ParsePropertySet(std::string_view text, MemoryPropertyBag& bag, std::string* error = nullptr);
// The text SavePropertySet writes; nothing when a name cannot be written.
std::optional<std::string> PropertySetText(const MemoryPropertyBag& bag, std::string* error = nullptr);

} // namespace velkan::comhost
