// The control's automation: type information, names, Invoke, the five properties and the three
// methods.

#include "control/module/velkanfilesearchctrl.h"

#include "control/module/aboutdialog.h"
#include "control/module/automationtext.h"
#include "control/registry/registrychain.h"
#include "ui/searchpanel.h"
#include "control/module/typelibrary.h"
#include "control/com/variantconvert.h"

#include <QApplication>

#include <algorithm>

namespace velkan::control {

using com::Bstr;
using com::DISPID;
using com::S_OK;
using com::Variant;

namespace {

// An installed package's registry file, beside the module in its private folder.
constexpr std::string_view kInstalledRegistry = "registry.reg";

} // namespace

HRESULT CVelkanFileSearchCtrl::GetTypeInfoCount(std::uint32_t* count)
{
    if (count == nullptr) {
        return com::E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::GetTypeInfo(std::uint32_t index, std::uint32_t, com::ITypeInfo** info)
{
    if (info == nullptr) {
        return com::E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return com::DISP_E_BADINDEX;
    }
    // Automation finds type information through the registered library, so without it there
    // is none, though every member still works.
    const registry::RegistryChain registries = registry::RegistryChain::LoadDefault(kInstalledRegistry);
    if (std::ranges::none_of(registries.Files(), IsTypeLibraryRegistered)) {
        return com::TYPE_E_LIBNOTREGISTERED;
    }
    *info = CreateTypeInfo(*FindType(DIID__DVelkanFileSearch));
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::GetIDsOfNames(const std::u16string* names, std::uint32_t count, std::uint32_t,
                                             DISPID* ids)
{
    if (names == nullptr || ids == nullptr) {
        return com::E_POINTER;
    }
    if (count == 0) {
        return com::E_INVALIDARG;
    }
    // The first name is the member's, the others its parameters'.
    const com::MemberDescription* member = FindDispatchMember(names[0]);
    HRESULT result = S_OK;
    ids[0] = member != nullptr ? member->dispid : -1;
    if (member == nullptr) {
        result = com::DISP_E_UNKNOWNNAME;
    }
    for (std::uint32_t i = 1; i < count; ++i) {
        ids[i] = -1;
        if (member != nullptr) {
            for (std::size_t p = 0; p < member->parameters.size(); ++p) {
                if (SameAutomationName(member->parameters[p], names[i])) {
                    ids[i] = static_cast<DISPID>(p);
                }
            }
        }
        if (ids[i] < 0) {
            result = com::DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

HRESULT CVelkanFileSearchCtrl::Invoke(DISPID member, std::uint32_t, std::uint16_t flags,
                                      const std::vector<Variant>& arguments, Variant* result)
{
    const com::MemberDescription* description = FindDispatchMember(member);
    if (description == nullptr) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (description->kind == com::MemberDescription::Kind::Property) {
        if ((flags & com::DISPATCH_PROPERTYPUT) != 0) {
            if (arguments.size() != 1) {
                return com::DISP_E_BADPARAMCOUNT;
            }
            Bstr value;
            if (com::Failed(com::VariantToBstr(arguments[0], &value))) {
                return com::DISP_E_TYPEMISMATCH;
            }
            SetProperty(member, ToCp949(value));
            return S_OK;
        }
        // Script engines read a property with the method flag set as well.
        if ((flags & (com::DISPATCH_PROPERTYGET | com::DISPATCH_METHOD)) != 0) {
            if (!arguments.empty()) {
                return com::DISP_E_BADPARAMCOUNT;
            }
            if (result != nullptr) {
                *result = FromCp949(GetProperty(member));
            }
            return S_OK;
        }
        return com::DISP_E_MEMBERNOTFOUND;
    }

    if ((flags & com::DISPATCH_METHOD) == 0) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (arguments.size() != description->parameters.size()) {
        return com::DISP_E_BADPARAMCOUNT;
    }
    // Every parameter is a string: each argument becomes one before any member runs.
    std::vector<Bstr> texts(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (com::Failed(com::VariantToBstr(arguments[i], &texts[i]))) {
            return com::DISP_E_TYPEMISMATCH;
        }
    }
    switch (member) {
    case DISPID_VELKANSEARCH:
        VelkanSearch(ToCp949(texts[0]));
        break;
    case DISPID_STOPSEARCH:
        StopSearch();
        break;
    case com::DISPID_ABOUTBOX:
        AboutBox();
        break;
    default:
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (result != nullptr) {
        *result = std::monostate{};
    }
    return S_OK;
}

template <class Control> auto* CVelkanFileSearchCtrl::PropertySlot(Control& control, DISPID dispid)
{
    using Slot = decltype(&control.m_param);
    switch (dispid) {
    case DISPID_PARAM:
        return &control.m_param;
    case DISPID_SEARCH:
        return &control.m_search;
    case DISPID_BANWORD:
        return &control.m_banWord;
    case DISPID_SEARCHBANWORD:
        return &control.m_searchBanWord;
    case DISPID_REPLACEPARAM:
        return &control.m_replaceParam;
    default:
        return static_cast<Slot>(nullptr);
    }
}

std::string CVelkanFileSearchCtrl::GetProperty(DISPID dispid) const
{
    const std::string* slot = PropertySlot(*this, dispid);
    return slot != nullptr ? *slot : std::string();
}

void CVelkanFileSearchCtrl::SetProperty(DISPID dispid, std::string value)
{
    if (std::string* slot = PropertySlot(*this, dispid)) {
        // The panel read the properties once, when its window was made; it is not told.
        *slot = std::move(value);
        SetModifiedFlag(true);
    }
}

void CVelkanFileSearchCtrl::VelkanSearch(const std::string& text)
{
    if (m_panel && !m_designMode) {
        m_panel->Engine().StartSearch(text);
    }
}

void CVelkanFileSearchCtrl::StopSearch()
{
    if (m_panel) {
        m_panel->Engine().OnCancel();
    }
}

void CVelkanFileSearchCtrl::AboutBox()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    AboutDialog dialog;
    dialog.exec();
}

} // namespace velkan::control
