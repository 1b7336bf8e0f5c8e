// The control's persistence: the property exchange with a host's property bag and the
// modified flag.

#include "control/module/velkanfilesearchctrl.h"

#include "control/module/controlextent.h"

namespace velkan::control {

using com::S_OK;

namespace {

// Version 1.0 as persistence records it: major in the high word.
constexpr int kPersistedVersion = (1 << 16) | 0;

} // namespace

void CVelkanFileSearchCtrl::DoPropExchange(PropertyExchange& exchange)
{
    exchange.SaveOnly(u"_Version", std::to_string(kPersistedVersion));
    ExchangeExtent(exchange);
    exchange.SaveOnly(u"_StockProps", "0");
    exchange.Text(u"param", m_param);
    exchange.Text(u"search", m_search);
    exchange.Text(u"banWord", m_banWord);
    // Pages have always named the SearchBanWord property "bansearch".
    exchange.Text(u"bansearch", m_searchBanWord);
    exchange.Text(u"replaceParam", m_replaceParam);
}

void CVelkanFileSearchCtrl::OnResetState()
{
    // Nothing of the control's own state has a default to go back to: the five properties
    // keep their values.
}

HRESULT CVelkanFileSearchCtrl::InitNew()
{
    OnResetState();
    SetModifiedFlag(false);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Load(com::IPropertyBag* bag)
{
    if (bag == nullptr) {
        return com::E_POINTER;
    }
    PropertyExchange exchange(*bag, true);
    DoPropExchange(exchange);
    SetModifiedFlag(false);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Save(com::IPropertyBag* bag, bool clearDirty, bool)
{
    if (bag == nullptr) {
        return com::E_POINTER;
    }
    PropertyExchange exchange(*bag, false);
    DoPropExchange(exchange);
    if (com::Failed(exchange.Result())) {
        return exchange.Result();
    }
    if (clearDirty) {
        SetModifiedFlag(false);
    }
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::IsDirty()
{
    return m_modified ? S_OK : com::S_FALSE;
}

void CVelkanFileSearchCtrl::ExchangeExtent(PropertyExchange& exchange)
{
    if (exchange.IsLoading()) {
        // A stored size that is not a valid one leaves the extent as it was.
        const std::optional<std::string> x = exchange.LoadOnly(u"_ExtentX");
        const std::optional<std::string> y = exchange.LoadOnly(u"_ExtentY");
        if (const std::optional<QSize> loaded = ParseExtent(x, y)) {
            m_extent = *loaded;
        }
        return;
    }
    if (const std::optional<QSize> extent = ExtentHimetric()) {
        exchange.SaveOnly(u"_ExtentX", std::to_string(extent->width()));
        exchange.SaveOnly(u"_ExtentY", std::to_string(extent->height()));
    }
}

std::optional<QSize> CVelkanFileSearchCtrl::ExtentHimetric() const
{
    return m_extent ? m_extent : TemplateExtent();
}

} // namespace velkan::control
