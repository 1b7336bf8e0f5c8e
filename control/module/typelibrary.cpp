#include "control/module/typelibrary.h"

#include "control/module/moduleobjects.h"
#include "velkanfilesearch/singleinterfaceobject.h"
#include "control/registry/registryfile.h"

#include <algorithm>

namespace velkan::control {

using com::MemberDescription;

const Guid IID_ITypeInfo = {0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

MemberDescription Property(std::u16string name, com::DISPID dispid)
{
    return {std::move(name), dispid, MemberDescription::Kind::Property, {}};
}

MemberDescription Method(std::u16string name, com::DISPID dispid, std::vector<std::u16string> parameters = {})
{
    return {std::move(name), dispid, MemberDescription::Kind::Method, std::move(parameters)};
}

TypeLibraryDescription MakeLibrary()
{
    TypeLibraryDescription library;
    library.libid = LIBID_VELKANFILESEARCHLib;
    library.name = u"VELKANFILESEARCHLib";
    library.majorVersion = 1;
    library.minorVersion = 0;
    library.locale = 0x409;
    library.helpString = u"VelkanFileSearch ActiveX Control module";

    TypeDescription dispatch;
    dispatch.guid = DIID__DVelkanFileSearch;
    dispatch.name = u"_DVelkanFileSearch";
    dispatch.helpString = u"Dispatch interface for VelkanFileSearch Control";
    dispatch.hidden = true;
    dispatch.members = {
        Property(u"param", DISPID_PARAM),
        Property(u"search", DISPID_SEARCH),
        Property(u"banWord", DISPID_BANWORD),
        Property(u"SearchBanWord", DISPID_SEARCHBANWORD),
        Property(u"replaceParam", DISPID_REPLACEPARAM),
        Method(u"VelkanSearch", DISPID_VELKANSEARCH, {u"text"}),
        Method(u"StopSearch", DISPID_STOPSEARCH),
        Method(u"AboutBox", com::DISPID_ABOUTBOX),
    };

    TypeDescription events;
    events.guid = DIID__DVelkanFileSearchEvents;
    events.name = u"_DVelkanFileSearchEvents";
    events.helpString = u"Event interface for VelkanFileSearch Control";
    events.members = {
        Method(u"Connect", DISPID_EVENT_CONNECT, {u"nick", u"folder"}),
        Method(u"Login", DISPID_EVENT_LOGIN),
        Method(u"ChkAdult", DISPID_EVENT_CHKADULT),
    };

    TypeDescription coclass;
    coclass.guid = CLSID_VelkanFileSearch;
    coclass.name = u"VelkanFileSearch";
    coclass.helpString = u"VelkanFileSearch Control";
    coclass.kind = TypeDescription::Kind::Class;
    coclass.creatable = true;
    coclass.control = true;
    coclass.interfaces = {
        {DIID__DVelkanFileSearch, true, false},
        {DIID__DVelkanFileSearchEvents, true, true},
    };

    library.types = {std::move(dispatch), std::move(events), std::move(coclass)};
    return library;
}

char16_t Lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

class TypeInfo final : public com::SingleInterfaceObject<com::ITypeInfo>, private ModuleObject {
public:
    explicit TypeInfo(const TypeDescription& type) : m_type(type) {}


    const Guid& TypeGuid() const override { return m_type.guid; }
    std::u16string Name() const override { return m_type.name; }
    std::u16string HelpString() const override { return m_type.helpString; }
    const std::vector<MemberDescription>& Members() const override { return m_type.members; }

private:
    ~TypeInfo() override = default;
    bool Answers(const Guid& iid) const override { return iid == IID_ITypeInfo; }

    const TypeDescription& m_type;
};

} // namespace

bool SameAutomationName(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

const TypeLibraryDescription& VelkanTypeLibrary()
{
    static const TypeLibraryDescription library = MakeLibrary();
    return library;
}

const TypeDescription* FindType(const Guid& guid)
{
    const auto& types = VelkanTypeLibrary().types;
    const auto found = std::find_if(types.begin(), types.end(), [&](const TypeDescription& type) { return type.guid == guid; });
    return found != types.end() ? &*found : nullptr;
}

std::string TypeLibraryVersionKey()
{
    const TypeLibraryDescription& library = VelkanTypeLibrary();
    return std::to_string(library.majorVersion) + "." + std::to_string(library.minorVersion);
}

bool IsTypeLibraryRegistered(const registry::RegistryFile& registry)
{
    return registry.KeyExists(registry::ClassesRootKey("TypeLib\\" + VelkanTypeLibrary().libid.ToString() +
                                                       "\\" + TypeLibraryVersionKey()));
}

com::ITypeInfo* CreateTypeInfo(const TypeDescription& type)
{
    return new TypeInfo(type);
}

const MemberDescription* FindDispatchMember(std::u16string_view name)
{
    const auto& members = FindType(DIID__DVelkanFileSearch)->members;
    const auto found = std::find_if(members.begin(), members.end(),
                                    [&](const MemberDescription& member) { return SameAutomationName(member.name, name); });
    return found != members.end() ? &*found : nullptr;
}

const MemberDescription* FindDispatchMember(com::DISPID dispid)
{
    const auto& members = FindType(DIID__DVelkanFileSearch)->members;
    const auto found = std::find_if(members.begin(), members.end(),
                                    [&](const MemberDescription& member) { return member.dispid == dispid; });
    return found != members.end() ? &*found : nullptr;
}

} // namespace velkan::control
