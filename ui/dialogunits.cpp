#include "ui/dialogunits.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace velkan::ui {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as dialog base units are measured.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QFont TemplateFont(int pointSize)
{
    QFont font(QStringLiteral("NanumGothic"), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont ControlDialogFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

} // namespace velkan::ui
