#pragma once

#include "ui/resultcolours.h"

#include <QTableView>

#include <vector>

namespace velkan::search {
class ResultModel;
}

namespace velkan::ui {

class ImageList;
class ResultCellDelegate;
class SortHeader;

// The results list: one fixed-height row per result, full-row single selection that stays
// visible, cells painted by ResultCellDelegate, and sorting by column clicks (a new column
// starts ascending, the same column again reverses).
class ResultListCtrl : public QTableView {
    Q_OBJECT

public:
    // The size at which the cells' texts are drawn, whatever the list's font: the columns are
    // a fixed number of pixels wide, and at this size a size such as "9,999,999KB" and a date
    // fit their 80-pixel columns with a Korean UI font.
    static constexpr int kCellPixelSize = 12;

    explicit ResultListCtrl(QWidget* parent = nullptr);

    void SetResultModel(search::ResultModel* model);
    void SetSmallImages(const ImageList* images);
    // Loads the six gauge pictures from a strip of 33 x 12 pictures, and their twice-size forms
    // from the strip's "@2x" file when there is one; false leaves the speed column blank.
    bool LoadSpeedImages(const QString& path);

    void SortByColumn(int column, bool ascending);
    [[nodiscard]] int SortColumn() const { return m_sortColumn; }
    [[nodiscard]] bool SortAscending() const { return m_ascending; }
    [[nodiscard]] SortHeader* Header() const { return m_header; }
    [[nodiscard]] ResultCellDelegate* CellDelegate() const { return m_delegate; }

    // The first selected row, or -1.
    [[nodiscard]] int SelectedRow() const;
    // Selects one row, as a click would, without reporting a click.
    void SelectRow(int row);

signals:
    // A mouse click (not a keyboard move) anywhere in the list.
    void resultClicked();
    // A double click anywhere in the list, on a row or not.
    void resultDoubleClicked();
    // Enter while the list has the focus, with or without a row selected.
    void enterPressed();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnColumnClicked(int column);
    void ApplyFont();

    search::ResultModel* m_model = nullptr;
    SortHeader* m_header;
    ResultCellDelegate* m_delegate;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

} // namespace velkan::ui
