#pragma once

// The small component-object layer the control is built on: identifiers, result codes,
// reference-counted interfaces, automation dispatch, event connection points, property bags
// and class factories. Hosts see the control only through these interfaces.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velkan::com {

// A 128-bit identifier, written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    bool operator==(const Guid&) const = default;
    auto operator<=>(const Guid&) const = default;

    // Upper-case hexadecimal in braces.
    [[nodiscard]] std::string ToString() const;
    // Accepts the braced form, either case; nothing for anything else.
    static std::optional<Guid> Parse(std::string_view text);
};

using HRESULT = std::int32_t;
using DISPID = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = static_cast<HRESULT>(0x8002801D);
constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202);
constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);

constexpr bool Succeeded(HRESULT result) { return result >= 0; }
constexpr bool Failed(HRESULT result) { return result < 0; }

// Automation strings are UTF-16, as BSTRs are.
using Bstr = std::u16string;

// The automation null: a value that says "no data", unlike empty, which says "not given".
struct Null {
    bool operator==(const Null&) const = default;
};

// An automation argument or result: what hosts and script engines pass. Empty, null, a
// string, a 32- or 64-bit integer, a double or a boolean; nothing else is ever needed here.
using Variant = std::variant<std::monostate, Null, Bstr, std::int32_t, std::int64_t, double, bool>;

constexpr std::uint16_t DISPATCH_METHOD = 0x1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 0x2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 0x4;

constexpr DISPID DISPID_ABOUTBOX = -552;

constexpr std::uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
constexpr std::uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

// Every interface counts its references; the object goes when the count reaches zero.
class IUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// One member of an automation interface as its type information describes it.
struct MemberDescription {
    enum class Kind { Property, Method };
    std::u16string name;
    DISPID dispid = 0;
    Kind kind = Kind::Method;
    std::vector<std::u16string> parameters; // all BSTR
};

// The description of one interface or class of the type library.
class ITypeInfo : public IUnknown {
public:
    [[nodiscard]] virtual const Guid& TypeGuid() const = 0;
    [[nodiscard]] virtual std::u16string Name() const = 0;
    [[nodiscard]] virtual std::u16string HelpString() const = 0;
    [[nodiscard]] virtual const std::vector<MemberDescription>& Members() const = 0;

protected:
    ~ITypeInfo() = default;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
    // Fails with TYPE_E_LIBNOTREGISTERED while the type library is not registered.
    virtual HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, ITypeInfo** info) = 0;
    // Names compare without regard to case; an unknown name gives DISP_E_UNKNOWNNAME and -1.
    virtual HRESULT GetIDsOfNames(const std::u16string* names, std::uint32_t count,
                                  std::uint32_t locale, DISPID* ids) = 0;
    // Arguments in declaration order (not reversed); result may be null.
    virtual HRESULT Invoke(DISPID member, std::uint32_t locale, std::uint16_t flags,
                           const std::vector<Variant>& arguments, Variant* result) = 0;

protected:
    ~IDispatch() = default;
};

// One outgoing interface of an object: sinks (IDispatch) are advised and unadvised by cookie.
class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(Guid* iid) = 0;
    virtual HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) = 0;
    virtual HRESULT Unadvise(std::uint32_t cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
public:
    virtual HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

class IObjectSafety : public IUnknown {
public:
    virtual HRESULT GetInterfaceSafetyOptions(const Guid& iid, std::uint32_t* supported,
                                              std::uint32_t* enabled) = 0;
    virtual HRESULT SetInterfaceSafetyOptions(const Guid& iid, std::uint32_t mask,
                                              std::uint32_t enabled) = 0;

protected:
    ~IObjectSafety() = default;
};

// A set of named string values the host keeps for the object (a web page's parameters, a
// saved file). Read answers E_INVALIDARG for a name the bag does not hold.
class IPropertyBag {
public:
    virtual HRESULT Read(const std::u16string& name, Bstr* value) = 0;
    virtual HRESULT Write(const std::u16string& name, const Bstr& value) = 0;

protected:
    ~IPropertyBag() = default;
};

class IPersistPropertyBag : public IUnknown {
public:
    virtual HRESULT InitNew() = 0;
    virtual HRESULT Load(IPropertyBag* bag) = 0;
    virtual HRESULT Save(IPropertyBag* bag, bool clearDirty, bool saveAllProperties) = 0;
    // S_OK when modified since the last save or load, S_FALSE otherwise.
    virtual HRESULT IsDirty() = 0;

protected:
    ~IPersistPropertyBag() = default;
};

class ISpecifyPropertyPages : public IUnknown {
public:
    virtual HRESULT GetPages(std::vector<Guid>* pages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

class IClassFactory : public IUnknown {
public:
    // Aggregation is not supported: outer must be null.
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Well-known interface identifiers (the platform's own values).
extern const Guid IID_IUnknown;
extern const Guid IID_IDispatch;
extern const Guid IID_IClassFactory;
extern const Guid IID_IConnectionPoint;
extern const Guid IID_IConnectionPointContainer;
extern const Guid IID_IObjectSafety;
extern const Guid IID_IPersistPropertyBag;
extern const Guid IID_ISpecifyPropertyPages;

} // namespace velkan::com
