#pragma once

#include <QColor>
#include <QPalette>

namespace velkan::ui {

// The colours the results list paints with, taken once when the list is made.
struct ResultColours {
    QColor windowText;
    QColor window;
    QColor highlight;
    QColor highlightText;
    QColor buttonFace;

    static ResultColours FromPalette(const QPalette& palette)
    {
        return {palette.color(QPalette::Active, QPalette::WindowText),
                palette.color(QPalette::Active, QPalette::Base),
                palette.color(QPalette::Active, QPalette::Highlight),
                palette.color(QPalette::Active, QPalette::HighlightedText),
                palette.color(QPalette::Active, QPalette::Button)};
    }
};

// The band behind every odd row.
inline const QColor kOddRowColour(244, 240, 240);

} // namespace velkan::ui
