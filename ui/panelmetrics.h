#pragma once

#include <QFont>

namespace velkan::ui {

// A dialog template's base units in pixels: the font's average character width and its height.
struct UnitBase {
    int x = 0;
    int y = 0;
};

// The sizes the panel and its dialogs are laid out from, measured on their fonts. The native
// panel lays itself out from them, and the web bridge sends them to a page so that the page's
// panel stands exactly where the native one does.
struct PanelMetrics {
    UnitBase panel;      // the search panel's template
    UnitBase serverInfo; // the server-information window's template
    UnitBase about;      // the about box
    int rowHeight = 0;    // a row of the results list
    int headerHeight = 0; // the results list's column headings
    int percentWidth = 0; // the progress text, wide enough for "100%"

    [[nodiscard]] static PanelMetrics Measure();
};

// Each of them on its own, from the font the widget is drawn in.
int ListRowHeight(const QFont& font);
int ListHeaderHeight(const QFont& font);
int PercentLabelWidth(const QFont& font);

} // namespace velkan::ui
