// The control's persistence: the property exchange with a host's property bag and the
// modified flag.

#include "velkanfilesearchctrl.h"

#include "dialogunits.h"

#include <QGuiApplication>

#include <cmath>

namespace velkan::control {

using com::S_OK;

namespace {

// Version 1.0 as persistence records it: major in the high word.
constexpr int kPersistedVersion = (1 << 16) | 0;

// The panel's template is 364 x 267 units of its 10-point font.
constexpr int kTemplateWidthUnits = 364;
constexpr int kTemplateHeightUnits = 267;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kPixelsPerInch = 96.0;

} // namespace

void CVelkanFileSearchCtrl::DoPropExchange(PropertyExchange& exchange)
{
    if (!exchange.IsLoading()) {
        const QSize extent = ExtentHimetric();
        exchange.SaveOnly(u"_Version", std::to_string(kPersistedVersion));
        exchange.SaveOnly(u"_ExtentX", std::to_string(extent.width()));
        exchange.SaveOnly(u"_ExtentY", std::to_string(extent.height()));
        exchange.SaveOnly(u"_StockProps", "0");
    }
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

QSize CVelkanFileSearchCtrl::ExtentHimetric() const
{
    QSize pixels;
    if (m_size) {
        pixels = *m_size;
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const ui::DialogUnits units(ui::TemplateFont(10));
        pixels = {units.X(kTemplateWidthUnits), units.Y(kTemplateHeightUnits)};
    }
    const auto himetric = [](int value) {
        return static_cast<int>(std::lround(value * kHimetricPerInch / kPixelsPerInch));
    };
    return {himetric(pixels.width()), himetric(pixels.height())};
}

} // namespace velkan::control
