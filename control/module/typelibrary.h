#pragma once

// The control's type library, compiled in: what automation clients learn of the control's
// dispatch interface, its events and its class once the library is registered.

#include "velkanfilesearch/velkanfilesearch.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velkan::registry {
class RegistryFile;
}

namespace velkan::control {

// The platform's identifier of ITypeInfo, the only interface a type information object answers
// besides IUnknown.
extern const Guid IID_ITypeInfo;

struct ImplementedInterface {
    Guid iid;
    bool isDefault = false;
    bool isSource = false;
};

struct TypeDescription {
    enum class Kind { DispatchInterface, Class };
    Guid guid;
    std::u16string name;
    std::u16string helpString;
    Kind kind = Kind::DispatchInterface;
    bool hidden = false;
    bool creatable = false;
    bool control = false;
    std::vector<com::MemberDescription> members;      // dispatch interfaces
    std::vector<ImplementedInterface> interfaces;     // classes
};

struct TypeLibraryDescription {
    Guid libid;
    std::u16string name;
    std::uint16_t majorVersion = 1;
    std::uint16_t minorVersion = 0;
    std::uint32_t locale = 0;
    std::u16string helpString;
    std::vector<TypeDescription> types;
};

const TypeLibraryDescription& VelkanTypeLibrary();
// The library's description of one of its types, or null.
const TypeDescription* FindType(const Guid& guid);
// The "major.minor" the registry files the library under.
std::string TypeLibraryVersionKey();

// True when the registry lists the library at its version.
bool IsTypeLibraryRegistered(const registry::RegistryFile& registry);

// A new type information object (one reference) describing type.
com::ITypeInfo* CreateTypeInfo(const TypeDescription& type);

// Automation compares names without regard to (ASCII) case.
bool SameAutomationName(std::u16string_view a, std::u16string_view b);

// The member of _DVelkanFileSearch with that name, compared without regard to case; null for
// none.
const com::MemberDescription* FindDispatchMember(std::u16string_view name);
const com::MemberDescription* FindDispatchMember(com::DISPID dispid);

} // namespace velkan::control
