#pragma once

// The small component-object layer the control is built on: identifiers, result codes,
// reference-counted interfaces, automation dispatch, event connection points, property bags
// and class factories. Hosts see the control only through these interfaces.

#include "velkanexport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velkan::com {

/// A 128-bit identifier, written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct VELKAN_HOST_API Guid {
    std::uint32_t data1 = 0;              ///< the first group of 8 hexadecimal digits
    std::uint16_t data2 = 0;              ///< the second group of 4
    std::uint16_t data3 = 0;              ///< the third group of 4
    std::array<std::uint8_t, 8> data4{}; ///< the last 2 and 12 digits, a byte each pair

    /// Equal when all 128 bits are.
    bool operator==(const Guid&) const = default;
    /// An order for maps and sets, field by field.
    auto operator<=>(const Guid&) const = default;

    /// Upper-case hexadecimal in braces.
    [[nodiscard]] std::string ToString() const;
    /// Accepts the braced form, either case; nothing for anything else.
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

/// Automation strings are UTF-16, as BSTRs are.
using Bstr = std::u16string;

/// The automation null: a value that says "no data", unlike empty, which says "not given".
struct Null {
    /// Every null equals every other.
    bool operator==(const Null&) const = default;
};

/// An automation argument or result: what hosts and script engines pass. Empty, null, a
/// string, a 32- or 64-bit integer, a double or a boolean; nothing else is ever needed here.
using Variant = std::variant<std::monostate, Null, Bstr, std::int32_t, std::int64_t, double, bool>;

constexpr std::uint16_t DISPATCH_METHOD = 0x1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 0x2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 0x4;

constexpr DISPID DISPID_ABOUTBOX = -552;

constexpr std::uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
constexpr std::uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

/// Every interface counts its references; the object goes when the count reaches zero.
class IUnknown {
public:
    /// The object's interface iid in *object, with a reference the caller releases;
    /// E_NOINTERFACE and null when the object has none.
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    /// Takes a reference; returns the count (for diagnostics only).
    virtual std::uint32_t AddRef() = 0;
    /// Gives a reference back; the object goes with the last. Returns the count left.
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

/// One member of an automation interface as its type information describes it.
struct MemberDescription {
    /// What the member is.
    enum class Kind {
        Property, ///< read and written by name
        Method,   ///< called with arguments
    };
    std::u16string name; ///< the member's name
    DISPID dispid = 0;   ///< its dispatch identifier
    Kind kind = Kind::Method; ///< property or method
    std::vector<std::u16string> parameters; ///< all BSTR
};

/// The description of one interface or class of the type library.
class ITypeInfo : public IUnknown {
public:
    /// The identifier of the interface or class described.
    [[nodiscard]] virtual const Guid& TypeGuid() const = 0;
    /// Its name, as the type library gives it.
    [[nodiscard]] virtual std::u16string Name() const = 0;
    /// Its one-line description.
    [[nodiscard]] virtual std::u16string HelpString() const = 0;
    /// Its properties and methods, in declaration order.
    [[nodiscard]] virtual const std::vector<MemberDescription>& Members() const = 0;

protected:
    ~ITypeInfo() = default;
};

/// Automation: properties and methods reached by dispatch identifier, as script engines and
/// containers call them.
class IDispatch : public IUnknown {
public:
    /// 1 when the object offers type information, else 0.
    virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
    /// Fails with TYPE_E_LIBNOTREGISTERED while the type library is not registered.
    virtual HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, ITypeInfo** info) = 0;
    /// Names compare without regard to case; an unknown name gives DISP_E_UNKNOWNNAME and -1.
    virtual HRESULT GetIDsOfNames(const std::u16string* names, std::uint32_t count,
                                  std::uint32_t locale, DISPID* ids) = 0;
    /// Arguments in declaration order (not reversed); result may be null.
    virtual HRESULT Invoke(DISPID member, std::uint32_t locale, std::uint16_t flags,
                           const std::vector<Variant>& arguments, Variant* result) = 0;

protected:
    ~IDispatch() = default;
};

/// One outgoing interface of an object: sinks (IDispatch) are advised and unadvised by cookie.
class IConnectionPoint : public IUnknown {
public:
    /// The identifier of the outgoing interface this point raises.
    virtual HRESULT GetConnectionInterface(Guid* iid) = 0;
    /// Connects sink, which must offer the outgoing interface; cookie names the connection.
    virtual HRESULT Advise(IUnknown* sink, std::uint32_t* cookie) = 0;
    /// Disconnects the sink Advise gave cookie for.
    virtual HRESULT Unadvise(std::uint32_t cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

/// An object that raises events: its connection points by outgoing interface.
class IConnectionPointContainer : public IUnknown {
public:
    /// The point for outgoing interface iid, with a reference; CONNECT_E_NOCONNECTION for none.
    virtual HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

/// Whether an interface is safe for untrusted callers and data (INTERFACESAFE_FOR_...).
class IObjectSafety : public IUnknown {
public:
    /// The options interface iid supports and those enabled now.
    virtual HRESULT GetInterfaceSafetyOptions(const Guid& iid, std::uint32_t* supported,
                                              std::uint32_t* enabled) = 0;
    /// Enables (or disables) the options in mask; fails for an option not supported.
    virtual HRESULT SetInterfaceSafetyOptions(const Guid& iid, std::uint32_t mask,
                                              std::uint32_t enabled) = 0;

protected:
    ~IObjectSafety() = default;
};

/// A set of named string values the host keeps for the object (a web page's parameters, a
/// saved file). Read answers E_INVALIDARG for a name the bag does not hold.
class IPropertyBag {
public:
    /// The value kept under name.
    virtual HRESULT Read(const std::u16string& name, Bstr* value) = 0;
    /// Keeps value under name, replacing what was there.
    virtual HRESULT Write(const std::u16string& name, const Bstr& value) = 0;

protected:
    ~IPropertyBag() = default;
};

/// An object that keeps its properties in a host's property bag.
class IPersistPropertyBag : public IUnknown {
public:
    /// Starts the object with its defaults, as a container does for one with no stored set.
    virtual HRESULT InitNew() = 0;
    /// Takes the values the bag holds; names it lacks keep their values.
    virtual HRESULT Load(IPropertyBag* bag) = 0;
    /// Writes every property into the bag; clearDirty makes IsDirty answer S_FALSE afterwards.
    virtual HRESULT Save(IPropertyBag* bag, bool clearDirty, bool saveAllProperties) = 0;
    /// S_OK when modified since the last save or load, S_FALSE otherwise.
    virtual HRESULT IsDirty() = 0;

protected:
    ~IPersistPropertyBag() = default;
};

/// An object with property pages: the class identifiers a property sheet creates them from.
class ISpecifyPropertyPages : public IUnknown {
public:
    /// The pages' class identifiers, one tab each.
    virtual HRESULT GetPages(std::vector<Guid>* pages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

/// Makes the objects of one class, as a module's DllGetClassObject hands it out.
class IClassFactory : public IUnknown {
public:
    /// Aggregation is not supported: outer must be null.
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    /// Keeps the module loaded (lock) or lets it go again.
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

/// Well-known interface identifiers (the platform's own values).
extern VELKAN_HOST_API const Guid IID_IUnknown;
extern VELKAN_HOST_API const Guid IID_IDispatch;
extern VELKAN_HOST_API const Guid IID_IClassFactory;
extern VELKAN_HOST_API const Guid IID_IConnectionPoint;
extern VELKAN_HOST_API const Guid IID_IConnectionPointContainer;
extern VELKAN_HOST_API const Guid IID_IObjectSafety;
extern VELKAN_HOST_API const Guid IID_IPersistPropertyBag;
extern VELKAN_HOST_API const Guid IID_ISpecifyPropertyPages;

} // namespace velkan::com
