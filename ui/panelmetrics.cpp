#include "ui/panelmetrics.h"

#include "ui/dialogunits.h"

#include <QFontMetrics>

#include <algorithm>

namespace velkan::ui {

namespace {

UnitBase BaseOf(const QFont& font)
{
    const DialogUnits units(font);
    return {units.X(4), units.Y(8)};
}

} // namespace

int ListRowHeight(const QFont& font)
{
    // A row never lower than 17 pixels; below the font's height plus its margins no text fits.
    return std::max(17, QFontMetrics(font).height() + 4);
}

int ListHeaderHeight(const QFont& font)
{
    return QFontMetrics(font).height() + 4;
}

int PercentLabelWidth(const QFont& font)
{
    const DialogUnits units(font);
    return std::max(units.X(16), QFontMetrics(font).horizontalAdvance(QStringLiteral("100%")) + 2);
}

PanelMetrics PanelMetrics::Measure()
{
    const QFont panel = TemplateFont(10);
    return {
        .panel = BaseOf(panel),
        .serverInfo = BaseOf(TemplateFont(9)),
        .about = BaseOf(ControlDialogFont()),
        .rowHeight = ListRowHeight(panel),
        .headerHeight = ListHeaderHeight(panel),
        .percentWidth = PercentLabelWidth(panel),
    };
}

} // namespace velkan::ui
