#pragma once

#include <QAccessibleWidget>

namespace velkan::ui {

class SearchPanel;

// The panel as a screen reader meets it: every child widget but the identity label. That label
// carries the user's protected ID for the page's scripts and is drawn almost white on white;
// read aloud it would only be noise.
class SearchPanelAccessible : public QAccessibleWidget {
public:
    explicit SearchPanelAccessible(SearchPanel* panel);

    // Has Qt build this interface for every panel; later calls do nothing.
    static void Install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    // The label's place among the widget's own children, or -1.
    [[nodiscard]] int LabelIndex() const;

    SearchPanel* m_panel;
};

} // namespace velkan::ui
