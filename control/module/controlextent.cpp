#include "control/module/controlextent.h"

#include "ui/dialogunits.h"

#include <QGuiApplication>

#include <charconv>
#include <cmath>
#include <limits>

namespace velkan::control {

namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kPixelsPerInch = 96.0;

// The panel's template is 364 x 267 units of its 10-point font.
constexpr int kTemplateWidthUnits = 364;
constexpr int kTemplateHeightUnits = 267;

std::optional<int> HimetricFromPixels(int pixels)
{
    const double himetric = std::round(pixels * kHimetricPerInch / kPixelsPerInch);
    if (pixels < 1 || himetric > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(himetric);
}

std::optional<int> ParseAxis(std::optional<std::string_view> text)
{
    // from_chars alone would take a leading '-' and stop quietly at trailing garbage.
    if (!text || text->empty() || text->find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < 1) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<QSize> HimetricExtent(QSize pixels)
{
    const std::optional<int> width = HimetricFromPixels(pixels.width());
    const std::optional<int> height = HimetricFromPixels(pixels.height());
    if (!width || !height) {
        return std::nullopt;
    }
    return QSize(*width, *height);
}

std::optional<QSize> ParseExtent(std::optional<std::string_view> x, std::optional<std::string_view> y)
{
    const std::optional<int> width = ParseAxis(x);
    const std::optional<int> height = ParseAxis(y);
    if (!width || !height) {
        return std::nullopt;
    }
    return QSize(*width, *height);
}

std::optional<QSize> TemplateExtent()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return std::nullopt;
    }
    const ui::DialogUnits units(ui::TemplateFont(10));
    return HimetricExtent({units.X(kTemplateWidthUnits), units.Y(kTemplateHeightUnits)});
}

} // namespace velkan::control
