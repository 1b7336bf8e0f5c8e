#pragma once

#include <QHeaderView>

#include <set>

namespace velkan::ui {

// The results list's column header. A column that has once been the sort column is drawn by
// this class from then on: a flat button-face cell, its title, and for the sort column a small
// triangle, pointing up for ascending order and down for descending.
class SortHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit SortHeader(QWidget* parent = nullptr);

    void SetSortIndicator(int column, bool ascending);
    [[nodiscard]] int SortColumn() const { return m_sortColumn; }
    [[nodiscard]] bool SortAscending() const { return m_ascending; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void DrawItem(QPainter& painter, const QRect& rect, int column, bool pressed) const;

    int m_sortColumn = -1;
    bool m_ascending = true;
    std::set<int> m_ownerDrawn;
};

} // namespace velkan::ui
