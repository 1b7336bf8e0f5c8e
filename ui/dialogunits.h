#pragma once

#include <QFont>
#include <QRect>

namespace velkan::ui {

// Converts a dialog template's units to pixels the way the template's font measures them:
// x units are quarters of the font's average character width, y units eighths of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    [[nodiscard]] int X(int units) const { return units * m_baseX / 4; }
    [[nodiscard]] int Y(int units) const { return units * m_baseY / 8; }
    [[nodiscard]] QRect Rect(int x, int y, int width, int height) const
    {
        return {X(x), Y(y), X(width), Y(height)};
    }

private:
    int m_baseX;
    int m_baseY;
};

// The Korean font that stands in for the templates' fonts, at the given point size.
QFont TemplateFont(int pointSize);

// The font the control's own dialogs are laid out in: the system's sans serif at 8 points.
QFont ControlDialogFont();

} // namespace velkan::ui
