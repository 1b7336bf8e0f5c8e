#include "velkanfilesearch/comhost.h"

#include "velkanfilesearch/bstrconvert.h"
#include "control/registry/registrychain.h"
#include "control/registry/registryfile.h"
#include "control/registry/textlines.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace velkan::comhost {

namespace {

using EntryPoint = HRESULT (*)();
using RegistrationErrorFunction = std::size_t (*)(char*, std::size_t);
using GetClassObjectFunction = HRESULT (*)(const Guid&, const Guid&, void**);

void SetError(std::string* error, std::string text)
{
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string Escape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

std::filesystem::path RegistryPath()
{
    return registry::DefaultRegistryPath();
}

std::shared_ptr<Module> Module::Load(const std::filesystem::path& path, std::string* error)
{
    // A bare file name means the file here, not a search of the library path.
    const std::filesystem::path target = path.has_parent_path() ? path : std::filesystem::path(".") / path;
    // RTLD_NODELETE: see the class comment.
    void* handle = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        SetError(error, why != nullptr ? why : "cannot load " + path.string());
        return nullptr;
    }
    return std::shared_ptr<Module>(new Module(handle, target));
}

Module::~Module()
{
    ::dlclose(m_handle);
}

void* Module::Symbol(const char* name) const
{
    return ::dlsym(m_handle, name);
}

std::optional<std::string> RegistrationFailureReason(HRESULT result)
{
    if (result != com::SELFREG_E_TYPELIB && result != com::SELFREG_E_CLASS) {
        return std::nullopt;
    }
    const std::filesystem::path path = RegistryPath();
    return registry::RegistryFile::FindProblem(path).value_or(
        "cannot tell why: " + path.string() + " loads, and a trial write beside it succeeds now");
}

EntryPointCall CallEntryPoint(const std::filesystem::path& module, const char* name)
{
    EntryPointCall call;
    const std::shared_ptr<Module> loaded = Module::Load(module, &call.error);
    if (!loaded) {
        call.outcome = EntryPointCall::Outcome::NotLoadable;
        return call;
    }
    const auto entry = reinterpret_cast<EntryPoint>(loaded->Symbol(name));
    if (entry == nullptr) {
        call.outcome = EntryPointCall::Outcome::NoEntryPoint;
        call.error = module.string() + " has no entry point " + name;
        return call;
    }
    call.outcome = EntryPointCall::Outcome::Called;
    call.result = entry();
    const auto why = reinterpret_cast<RegistrationErrorFunction>(loaded->Symbol("VelkanRegistrationError"));
    if (com::Failed(call.result) && why != nullptr) {
        call.reason.resize(why(nullptr, 0));
        // The text and its terminating zero, written over the string's own.
        why(call.reason.data(), call.reason.size() + 1);
    }
    return call;
}

HRESULT RegisterModule(const std::filesystem::path& module)
{
    const EntryPointCall call = CallEntryPoint(module, "DllRegisterServer");
    return call.outcome == EntryPointCall::Outcome::Called ? call.result : com::E_FAIL;
}

HRESULT UnregisterModule(const std::filesystem::path& module)
{
    const EntryPointCall call = CallEntryPoint(module, "DllUnregisterServer");
    return call.outcome == EntryPointCall::Outcome::Called ? call.result : com::E_FAIL;
}

namespace {

// The package's registry file, from the folder of this library.
constexpr std::string_view kInstalledRegistry = "velkanfilesearch/registry.reg";

struct ServerLocation {
    std::filesystem::path modulePath;
    std::filesystem::path registryFile; // the file that named the module
};

// The module registered for the class. A relative module path is taken from the folder of the
// registry file that holds it, which is how an installed package names its module wherever the
// package was unpacked.
std::optional<ServerLocation> FindServer(const registry::RegistryChain& chain, const Guid& clsid, std::string* error)
{
    const std::string key = registry::ClassesRootKey("CLSID\\" + clsid.ToString() + "\\InprocServer32");
    const std::optional<registry::RegistryChain::Found> found = chain.GetString(key);
    if (!found || found->value.empty()) {
        SetError(error, "the class " + clsid.ToString() + " has no module in the registry (read: " +
                            chain.Describe() + ")");
        return std::nullopt;
    }
    std::filesystem::path path = found->value;
    if (path.is_relative()) {
        path = found->file.parent_path() / path;
    }
    return ServerLocation{std::move(path), found->file};
}

std::optional<Guid> FindClass(const registry::RegistryChain& chain, const std::string& progId, std::string* error)
{
    const std::optional<registry::RegistryChain::Found> found =
        progId.empty() ? std::nullopt : chain.GetString(registry::ClassesRootKey(progId + "\\CLSID"));
    const std::optional<Guid> clsid = found ? Guid::Parse(found->value) : std::nullopt;
    if (!clsid) {
        SetError(error, (found ? "the registry's class identifier of " + progId + " is not one: \"" + found->value +
                                     "\" in " + found->file.string()
                               : "\"" + progId + "\" is not registered (read: " + chain.Describe() + ")"));
    }
    return clsid;
}

HRESULT CreateFromServer(const ServerLocation& server, const Guid& clsid, const Guid& iid, CreatedObject* out,
                         std::string* error)
{
    const std::string named = server.modulePath.string() + " (named by " + server.registryFile.string() + ")";
    std::string why;
    std::shared_ptr<Module> module = Module::Load(server.modulePath, &why);
    if (!module) {
        SetError(error, "cannot load the module " + named + ": " + why);
        return com::E_FAIL;
    }
    const auto getClassObject = reinterpret_cast<GetClassObjectFunction>(module->Symbol("DllGetClassObject"));
    if (getClassObject == nullptr) {
        SetError(error, "the module " + named + " has no entry point DllGetClassObject");
        return com::E_FAIL;
    }
    com::ComPtr<com::IClassFactory> factory;
    HRESULT result = getClassObject(clsid, com::IID_IClassFactory, factory.PutVoid());
    if (com::Succeeded(result)) {
        com::ComPtr<com::IUnknown> object;
        result = factory->CreateInstance(nullptr, iid, object.PutVoid());
        factory.Reset();
        if (com::Succeeded(result)) {
            out->module = std::move(module);
            out->object = std::move(object);
            return com::S_OK;
        }
    }
    SetError(error, "the module " + named + " did not make the class " + clsid.ToString() + ": " +
                        ResultText(result));
    return result;
}

} // namespace

std::vector<std::filesystem::path> RegistryPaths()
{
    std::vector<std::filesystem::path> paths = {RegistryPath()};
    if (std::optional<std::filesystem::path> installed = registry::RegistryChain::BesideThisLibrary(kInstalledRegistry)) {
        paths.push_back(std::move(*installed));
    }
    return paths;
}

std::string ResultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

bool IsRegistered(const std::string& progId)
{
    const registry::RegistryChain chain = registry::RegistryChain::Load(RegistryPaths());
    const std::optional<Guid> clsid = FindClass(chain, progId, nullptr);
    return clsid && FindServer(chain, *clsid, nullptr).has_value();
}

HRESULT CreateByClsid(const Guid& clsid, const Guid& iid, CreatedObject* out, std::string* error)
{
    if (out == nullptr) {
        return com::E_POINTER;
    }
    *out = {};
    const registry::RegistryChain chain = registry::RegistryChain::Load(RegistryPaths());
    const std::optional<ServerLocation> server = FindServer(chain, clsid, error);
    return server ? CreateFromServer(*server, clsid, iid, out, error) : com::REGDB_E_CLASSNOTREG;
}

HRESULT CreateByProgId(const std::string& progId, const Guid& iid, CreatedObject* out, std::string* error)
{
    if (out == nullptr) {
        return com::E_POINTER;
    }
    *out = {};
    const registry::RegistryChain chain = registry::RegistryChain::Load(RegistryPaths());
    const std::optional<Guid> clsid = FindClass(chain, progId, error);
    if (!clsid) {
        return com::REGDB_E_CLASSNOTREG;
    }
    const std::optional<ServerLocation> server = FindServer(chain, *clsid, error);
    return server ? CreateFromServer(*server, *clsid, iid, out, error) : com::REGDB_E_CLASSNOTREG;
}

HRESULT MemoryPropertyBag::Read(const std::u16string& name, com::Bstr* value)
{
    if (value == nullptr) {
        return com::E_POINTER;
    }
    const auto found = values.find(name);
    if (found == values.end()) {
        return com::E_INVALIDARG;
    }
    *value = found->second;
    return com::S_OK;
}

HRESULT MemoryPropertyBag::Write(const std::u16string& name, const com::Bstr& value)
{
    values[name] = value;
    return com::S_OK;
}

bool LoadPropertySet(const std::filesystem::path& path, MemoryPropertyBag& bag, std::string* error)
{
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    const auto cannotRead = [&] {
        SetError(error, "cannot read " + path.string() + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()));
        return false;
    };
    if (!in) {
        return cannotRead();
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return cannotRead();
    }
    std::string lineError;
    if (!ParsePropertySet(text.str(), bag, &lineError)) {
        SetError(error, path.string() + ":" + lineError);
        return false;
    }
    return true;
}

bool SavePropertySet(const std::filesystem::path& path, const MemoryPropertyBag& bag, std::string* error)
{
    const std::optional<std::string> text = PropertySetText(bag, error);
    if (!text) {
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << *text;
    out.close();
    if (!out) {
        SetError(error, "cannot write " + path.string());
        return false;
    }
    return true;
}

bool ParsePropertySet(std::string_view text, MemoryPropertyBag& bag, std::string* error)
{
    MemoryPropertyBag loaded;
    // Escaped carriage returns never reach the end of a line, so one there is a CRLF file's.
    registry::TextLines lines(text);
    while (const std::optional<std::string_view> line = lines.Next()) {
        if (line->empty()) {
            continue;
        }
        const std::size_t equals = line->find('=');
        const std::optional<std::string> name =
            equals == std::string_view::npos ? std::nullopt : Unescape(line->substr(0, equals));
        const std::optional<std::string> value =
            equals == std::string_view::npos ? std::nullopt : Unescape(line->substr(equals + 1));
        if (!name || !value || name->empty()) {
            SetError(error, std::to_string(lines.Number()) + ": not a name=value line");
            return false;
        }
        loaded.values[com::FromUtf8(*name)] = com::FromUtf8(*value);
    }
    for (auto& [name, value] : loaded.values) {
        bag.values[name] = std::move(value);
    }
    return true;
}

std::optional<std::string> PropertySetText(const MemoryPropertyBag& bag, std::string* error)
{
    std::string text;
    for (const auto& [name, value] : bag.values) {
        const std::string utf8Name = com::ToUtf8(name);
        if (utf8Name.empty() || utf8Name.find('=') != std::string::npos) {
            SetError(error, "a property name cannot be empty or hold '=': " + utf8Name);
            return std::nullopt;
        }
        text += Escape(utf8Name) + '=' + Escape(com::ToUtf8(value)) + '\n';
    }
    return text;
}

} // namespace velkan::comhost
