#include "ui/imagelist.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "ui/sortheader.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace velkan;
using search::ResultRow;
using ui::ResultListCtrl;

namespace {

// Six gauge pictures, each one flat colour so a pixel tells which was drawn.
QColor GaugeColour(int level)
{
    return QColor::fromHsv(level * 50, 255, 200);
}

class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage strip(198, 12, QImage::Format_RGB32);
        for (int level = 0; level < 6; ++level) {
            for (int x = 0; x < 33; ++x) {
                for (int y = 0; y < 12; ++y) {
                    strip.setPixelColor(level * 33 + x, y, GaugeColour(level));
                }
            }
        }
        ASSERT_TRUE(m_dir.isValid());
        m_stripPath = m_dir.filePath(QStringLiteral("gauges.bmp"));
        ASSERT_TRUE(strip.save(m_stripPath));

        QPixmap icon(16, 16);
        icon.fill(Qt::blue);
        m_images.Add(icon);

        m_list.SetResultModel(&m_model);
        m_list.SetSmallImages(&m_images);
        ASSERT_TRUE(m_list.LoadSpeedImages(m_stripPath));
        m_list.resize(600, 300);
        for (int column = 0; column < 5; ++column) {
            m_list.setColumnWidth(column, 100);
        }
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }

    void AddRows(const std::vector<std::pair<std::int64_t, int>>& sizesAndSpeeds)
    {
        std::vector<ResultRow> rows;
        for (const auto& [size, speed] : sizesAndSpeeds) {
            const std::string name = "C:\\d\\f" + std::to_string(size) + ".txt";
            rows.push_back({m_model.AddRecord({.nick = "nick", .path = name, .size = size, .speed = speed}),
                            0, ResultRow::Kind::File});
        }
        m_model.AppendRows(rows);
    }

    QRgb PixelAt(int row, int column, int dx)
    {
        const QRect cell = m_list.visualRect(m_model.index(row, column));
        const QImage shot = m_list.viewport()->grab().toImage();
        return shot.pixel(cell.left() + dx, cell.center().y());
    }

    QTemporaryDir m_dir;
    QString m_stripPath;
    search::ResultModel m_model;
    ui::ImageList m_images;
    ResultListCtrl m_list;
};

TEST_F(ResultListTest, RowBandsSelectionAndGauges)
{
    AddRows({{10, 0}, {20, 42}, {30, 150}, {40, 202}});
    const QColor window = m_list.palette().color(QPalette::Active, QPalette::Base);
    const QColor highlight = m_list.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(PixelAt(0, 0, 1), window.rgb());
    EXPECT_EQ(PixelAt(1, 0, 1), qRgb(244, 240, 240));
    EXPECT_EQ(PixelAt(3, 3, 1), qRgb(244, 240, 240));

    // Speed levels 1, 2, 3 and 5 for 0, 42, 150 and 202, two pixels in from the cell's edge.
    EXPECT_EQ(PixelAt(0, 4, 2), GaugeColour(1).rgb());
    EXPECT_EQ(PixelAt(1, 4, 2), GaugeColour(2).rgb());
    EXPECT_EQ(PixelAt(2, 4, 2), GaugeColour(3).rgb());
    EXPECT_EQ(PixelAt(3, 4, 2), GaugeColour(5).rgb());
    EXPECT_EQ(PixelAt(0, 4, 1), window.rgb()); // the two pixels before the gauge are the row's

    // The file picture sits two pixels in; the text starts after it.
    EXPECT_EQ(PixelAt(0, 1, 1), window.rgb());
    EXPECT_EQ(PixelAt(0, 1, 2), qRgb(0, 0, 255));
    EXPECT_EQ(PixelAt(0, 1, 17), qRgb(0, 0, 255));
    EXPECT_EQ(PixelAt(0, 1, 18), window.rgb());

    m_list.SelectRow(1);
    m_list.clearFocus();
    EXPECT_EQ(PixelAt(1, 0, 1), highlight.rgb()); // shown selected with or without the focus
    EXPECT_EQ(PixelAt(1, 4, 1), highlight.rgb());
    EXPECT_EQ(PixelAt(1, 4, 2), GaugeColour(2).rgb());
}

TEST_F(ResultListTest, ColumnClicksSortAscendingFirstThenReverse)
{
    AddRows({{30, 0}, {10, 0}, {20, 0}});
    const auto sizes = [&] {
        std::vector<std::int64_t> result;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            result.push_back(m_model.Row(row).record->size);
        }
        return result;
    };
    QHeaderView* header = m_list.horizontalHeader();
    const auto clickColumn = [&](int column) {
        const int x = header->sectionViewportPosition(column) + 10;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    clickColumn(2);
    EXPECT_EQ(sizes(), (std::vector<std::int64_t>{10, 20, 30}));
    clickColumn(2);
    EXPECT_EQ(sizes(), (std::vector<std::int64_t>{30, 20, 10}));
    EXPECT_FALSE(m_list.SortAscending());
    clickColumn(1);
    EXPECT_EQ(m_list.SortColumn(), 1);
    EXPECT_TRUE(m_list.SortAscending());

    // Rows that arrive after a sort go to the end.
    AddRows({{5, 0}});
    EXPECT_EQ(sizes().back(), 5);
}

TEST_F(ResultListTest, AColumnClickKeepsTheSelectedRowInViewAndTheFocusOnTheList)
{
    std::vector<std::pair<std::int64_t, int>> many;
    for (int i = 0; i < 5000; ++i) {
        many.emplace_back(i, 0);
    }
    AddRows(many);
    m_list.scrollToBottom();
    m_list.SelectRow(4990);
    m_list.setFocus();
    ASSERT_TRUE(m_list.hasFocus());
    QHeaderView* header = m_list.horizontalHeader();
    const QPoint sizeSection(header->sectionViewportPosition(2) + 10, header->height() / 2);
    // Ascending leaves the row near the end; descending takes it to the top, where the list follows.
    for (const int expectedRow : {4990, 9}) {
        SCOPED_TRACE(expectedRow);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeSection);
        ASSERT_EQ(m_list.SelectedRow(), expectedRow);
        EXPECT_EQ(m_model.Row(expectedRow).record->size, 4990);
        EXPECT_TRUE(m_list.viewport()->rect().contains(m_list.visualRect(m_model.index(expectedRow, 0))));
        EXPECT_TRUE(m_list.hasFocus());
    }
}

TEST_F(ResultListTest, ClearingWhileRowsAreShownAndSelected)
{
    std::vector<std::pair<std::int64_t, int>> many;
    for (int i = 0; i < 5000; ++i) {
        many.emplace_back(i, i % 300);
    }
    AddRows(many);
    m_list.scrollToBottom();
    m_list.SelectRow(4990);
    const QColor window = m_list.palette().color(QPalette::Active, QPalette::Base);
    const QColor highlight = m_list.palette().color(QPalette::Active, QPalette::Highlight);
    ASSERT_EQ(PixelAt(4990, 0, 1), highlight.rgb());

    // The records go with the rows; nothing the list shows or keeps may still point at them.
    m_model.Clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_list.SelectedRow(), -1);
    const QImage empty = m_list.viewport()->grab().toImage();
    EXPECT_EQ(empty.pixel(5, 5), window.rgb());

    AddRows({{7, 0}, {8, 202}});
    EXPECT_EQ(m_list.SelectedRow(), -1);
    EXPECT_EQ(m_model.index(1, 2).data().toString(), QStringLiteral("8B"));
    EXPECT_EQ(PixelAt(0, 0, 1), window.rgb());
    EXPECT_EQ(PixelAt(1, 4, 2), GaugeColour(5).rgb());
}

TEST_F(ResultListTest, SortArrowGeometry)
{
    AddRows({{1, 0}});
    ui::SortHeader& header = *m_list.Header();
    const int column = 2;
    const QColor light = header.palette().color(QPalette::Light);
    const QColor dark = header.palette().color(QPalette::Dark);
    const int right = header.sectionViewportPosition(column) + header.sectionSize(column);
    const int b = header.viewport()->height();
    const int o = b / 4;
    ASSERT_GE(o, 3);

    m_list.SortByColumn(column, true);
    QImage shot = header.viewport()->grab().toImage();
    const QRgb apex = shot.pixel(right - 2 * o, o);
    EXPECT_TRUE(apex == light.rgb() || apex == dark.rgb()); // where the two sides meet
    EXPECT_EQ(shot.pixel(right - 2 * o, b - o - 1), light.rgb());     // the base
    EXPECT_EQ(shot.pixel(right - o - 1, b - o - 1), light.rgb());     // the base's right end
    EXPECT_EQ(shot.pixel(right - 3 * o - 1, b - o - 1), dark.rgb());  // the base's left end
    EXPECT_NE(shot.pixel(right - 2 * o, b - o - 1 + 1), light.rgb()); // nothing below the base

    m_list.SortByColumn(column, false);
    shot = header.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixel(right - o - 1, o), light.rgb());     // the top edge's right end
    EXPECT_EQ(shot.pixel(right - 3 * o - 1, o), dark.rgb());  // the top edge
    EXPECT_EQ(shot.pixel(right - o - 2, o), dark.rgb());
    EXPECT_EQ(shot.pixel(right - 2 * o - 2, b - o), dark.rgb()); // the point at the bottom
}

TEST_F(ResultListTest, MouseClicksAreReportedKeyboardMovesAreNot)
{
    AddRows({{1, 0}, {2, 0}, {3, 0}});
    QSignalSpy clicked(&m_list, &ResultListCtrl::resultClicked);
    QSignalSpy doubleClicked(&m_list, &ResultListCtrl::resultDoubleClicked);
    const QPoint rowOne = m_list.visualRect(m_model.index(1, 0)).center();
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, rowOne);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(m_list.SelectedRow(), 1);
    QTest::keyClick(&m_list, Qt::Key_Down);
    EXPECT_EQ(m_list.SelectedRow(), 2);
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseDClick(m_list.viewport(), Qt::LeftButton, {}, QPoint(5, m_list.viewport()->height() - 3));
    EXPECT_EQ(doubleClicked.count(), 1); // below the rows, still reported
}

TEST_F(ResultListTest, WithoutPicturesTheNameStartsFivePixelsIn)
{
    m_list.SetSmallImages(nullptr);
    ASSERT_FALSE(m_list.LoadSpeedImages(m_dir.filePath(QStringLiteral("missing.bmp"))));
    AddRows({{1, 0}});
    const QColor window = m_list.palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(PixelAt(0, 1, 2), window.rgb());
    EXPECT_EQ(PixelAt(0, 4, 2), window.rgb()); // no gauge pictures: an empty cell
}

} // namespace
