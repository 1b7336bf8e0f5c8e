#pragma once

// What a host needs to use the control through the registry, as an automation container
// would: register and unregister a module, create an object by ProgID, and keep its
// properties in a property bag or a property set file. No widgets here.

#include "comptr.h"
#include "velkancom.h"
#include "velkanexport.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::comhost {

using com::Guid;
using com::HRESULT;

/// The per-user registry file, which registration writes: $VELKAN_REGISTRY, else
/// $XDG_DATA_HOME/velkan/registry.reg (XDG_DATA_HOME defaulting to ~/.local/share).
VELKAN_HOST_API std::filesystem::path RegistryPath();

/// The registry files a lookup reads, in order: the per-user file, then the one an installed
/// package ships in the folder velkanfilesearch/ beside this library. The first file that holds
/// an entry wins, so a user's own registration overrides the package's. A module path that is
/// relative in a file is taken from that file's folder.
VELKAN_HOST_API std::vector<std::filesystem::path> RegistryPaths();

/// "0x80004005": a result code as the tools print it.
VELKAN_HOST_API std::string ResultText(HRESULT result);

/// A loaded module; it stays mapped for the whole process even after the last Module goes,
/// since Qt keeps pointers into a module that ever made widgets (types, resources).
class VELKAN_HOST_API Module {
public:
    /// Nothing when the module cannot be loaded; error then says why.
    static std::shared_ptr<Module> Load(const std::filesystem::path& path, std::string* error = nullptr);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    /// The exported symbol, or null.
    [[nodiscard]] void* Symbol(const char* name) const;
    /// The path it was loaded from.
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

private:
    Module(void* handle, std::filesystem::path path) : m_handle(handle), m_path(std::move(path)) {}

    void* m_handle;
    std::filesystem::path m_path;
};

/// The outcome of calling one of a module's registration entry points.
struct EntryPointCall {
    /// How far the call got.
    enum class Outcome {
        Called,       ///< the entry point ran; result is its answer
        NotLoadable,  ///< the module could not be loaded
        NoEntryPoint, ///< the module has no such entry point
    };
    Outcome outcome = Outcome::NotLoadable; ///< how far the call got
    HRESULT result = com::E_FAIL; ///< the entry point's answer when called
    std::string error;            ///< why it was not called
    /// Why it failed when it was called, in the module's own words (its VelkanRegistrationError);
    /// empty when the module does not say.
    std::string reason;
};

/// Why a registration entry point failed with result, as the registry file shows it now: for
/// SELFREG_E_TYPELIB and SELFREG_E_CLASS, what keeps the file from being read or written
/// (RegistryFile::FindProblem), else that it loads and takes a trial write; nothing for other
/// codes. For a module that does not say why itself (EntryPointCall::reason), a tool reads the
/// file again to guess.
VELKAN_HOST_API std::optional<std::string> RegistrationFailureReason(HRESULT result);

/// Loads module and calls name ("DllRegisterServer" or "DllUnregisterServer").
VELKAN_HOST_API EntryPointCall CallEntryPoint(const std::filesystem::path& module, const char* name);

/// The module's DllRegisterServer or DllUnregisterServer; E_FAIL when it cannot be called.
VELKAN_HOST_API HRESULT RegisterModule(const std::filesystem::path& module);
VELKAN_HOST_API HRESULT UnregisterModule(const std::filesystem::path& module);

/// True when the ProgID leads to a class with an in-process server path.
VELKAN_HOST_API bool IsRegistered(const std::string& progId);

/// An object made by a module, with the module that made it.
struct CreatedObject {
    std::shared_ptr<Module> module; ///< declared first so that it is released last
    com::ComPtr<com::IUnknown> object; ///< the interface asked for

    /// The interface asked for, as its type.
    template <class T> [[nodiscard]] T* As() const { return static_cast<T*>(object.Get()); }
};

/// ProgID -> CLSID -> InprocServer32 -> load -> DllGetClassObject -> CreateInstance, reading
/// the files of RegistryPaths. REGDB_E_CLASSNOTREG when the registry does not lead to a module,
/// E_FAIL when the module cannot be loaded or has no DllGetClassObject, else what the factory
/// answers. On failure error (when given) says why in a sentence naming the registry files read,
/// the module's path and the loader's reason.
VELKAN_HOST_API HRESULT CreateByProgId(const std::string& progId, const Guid& iid, CreatedObject* out,
                                       std::string* error = nullptr);
/// The same from the class identifier on, as a container creates a class it was handed (a
/// property page that GetPages names).
VELKAN_HOST_API HRESULT CreateByClsid(const Guid& clsid, const Guid& iid, CreatedObject* out,
                                      std::string* error = nullptr);

/// A property bag in memory: what a page's parameters or a saved file hold.
class VELKAN_HOST_API MemoryPropertyBag final : public com::IPropertyBag {
public:
    /// The value under name; E_INVALIDARG when the bag holds none.
    HRESULT Read(const std::u16string& name, com::Bstr* value) override;
    /// Keeps value under name.
    HRESULT Write(const std::u16string& name, const com::Bstr& value) override;

    std::map<std::u16string, com::Bstr> values; ///< the values by name
};

/// A property set file: UTF-8 text, one "name=value" a line, with backslash, line feed and
/// carriage return written \\, \n and \r. Loading adds to what the bag holds.
VELKAN_HOST_API bool LoadPropertySet(const std::filesystem::path& path, MemoryPropertyBag& bag, std::string* error = nullptr);
VELKAN_HOST_API bool SavePropertySet(const std::filesystem::path& path, const MemoryPropertyBag& bag, std::string* error = nullptr);

/// The text of a property set file, added to the bag only when every line is good; error then
/// says "LINE: not a name=value line".
VELKAN_HOST_API bool ParsePropertySet(std::string_view text, MemoryPropertyBag& bag, std::string* error = nullptr);
/// The text SavePropertySet writes; nothing when a name cannot be written.
VELKAN_HOST_API std::optional<std::string> PropertySetText(const MemoryPropertyBag& bag, std::string* error = nullptr);

} // namespace velkan::comhost
