#pragma once

// The control's size as persistence records it: "_ExtentX" and "_ExtentY", in HIMETRIC
// (hundredths of a millimetre), converted from pixels at 96 per inch. A recorded extent is
// always positive on both axes and fits a 32-bit integer: containers size the control from it,
// and a zero, negative or overflowing size would make it vanish or misbehave there.

#include <QSize>

#include <optional>
#include <string_view>

namespace velkan::control {

// Nothing for a size with an axis below 1 pixel or too large to record.
std::optional<QSize> HimetricExtent(QSize pixels);

// A stored extent: both texts plain decimal digits (no sign, no spaces) naming 1 to
// 2147483647; nothing for anything else, either text missing included.
std::optional<QSize> ParseExtent(std::optional<std::string_view> x, std::optional<std::string_view> y);

// The panel template's size as its font measures it; nothing without a GUI application, which
// the measure needs.
std::optional<QSize> TemplateExtent();

} // namespace velkan::control
