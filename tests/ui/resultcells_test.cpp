#include "search/compareresults.h"
#include "channel/cp949convert.h"
#include "ui/resultcelldelegate.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "ui/searchpanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace velkan;
using search::ResultRow;

namespace {

// The panel as the control shows it, at its template's size, with rows put straight into its
// list: the texts are drawn with the fonts the product uses.
class ResultCellsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_panel.resize(m_panel.TemplateSize());
        m_panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_panel));
    }

    // Adds one file row and returns its row number.
    int AddFile(const char* nick, const char* path, std::int64_t size, const char* date)
    {
        search::ResultModel& model = m_panel.Model();
        const search::SearchResult* record =
            model.AddRecord({.nick = cp949::FromUtf8(nick), .path = cp949::FromUtf8(path),
                             .date = date, .size = size, .speed = 100});
        model.AppendRows({{record, m_panel.Icons().ImageIndexFor(record->path()), ResultRow::Kind::File}});
        return model.rowCount() - 1;
    }

    QModelIndex Index(int row, int column) { return m_panel.Model().index(row, column); }

    // The room the cell gives its text, and the text's width in the cell's font.
    struct Fit {
        int room;
        int width;
    };
    Fit FitOf(int row, int column)
    {
        const ui::ResultListCtrl& list = m_panel.ResultList();
        const QModelIndex index = Index(row, column);
        const QRect text = list.CellDelegate()->TextRect(list.visualRect(index), index);
        const QFontMetrics metrics(list.CellDelegate()->CellFont());
        return {text.width(), metrics.horizontalAdvance(index.data().toString())};
    }

    // Asks for the tooltip at the cell's centre; the text it shows, or an empty one.
    QString TooltipAt(int row, int column)
    {
        ui::ResultListCtrl& list = m_panel.ResultList();
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        const QPoint at = list.visualRect(Index(row, column)).center();
        QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &help);
        if (!QToolTip::isVisible()) {
            return {};
        }
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        return shown.toPlainText();
    }

    ui::SearchPanel m_panel;
};

TEST_F(ResultCellsTest, SizesAndDatesFitTheirColumns)
{
    ui::ResultListCtrl& list = m_panel.ResultList();
    ASSERT_EQ(list.columnWidth(search::SizeColumn), 80);
    ASSERT_EQ(list.columnWidth(search::DateColumn), 80);
    const int longest = AddFile("kim", "C:\\a\\big.iso", std::int64_t{9999999} * 1024 + 1023, "2024-01-02 23:59");
    const int shortest = AddFile("lee", "C:\\a\\tiny.txt", 0, "1999-12-31");
    ASSERT_EQ(Index(longest, search::SizeColumn).data().toString(), QStringLiteral("9,999,999KB"));
    ASSERT_EQ(Index(longest, search::DateColumn).data().toString(), QStringLiteral("2024-01-02"));

    for (const int row : {longest, shortest}) {
        for (const int column : {search::SizeColumn, search::DateColumn}) {
            SCOPED_TRACE(Index(row, column).data().toString().toStdString());
            const Fit fit = FitOf(row, column);
            EXPECT_EQ(fit.room, 77); // 80 less the 3 pixels before a text
            EXPECT_LE(fit.width, fit.room);
            EXPECT_EQ(TooltipAt(row, column), QString());
        }
    }

    // Drawn whole: the first pixel column the text may use is still the row's ground, so no
    // glyph was cut at the cell's left.
    const QModelIndex size = Index(longest, search::SizeColumn);
    const QRect text = list.CellDelegate()->TextRect(list.visualRect(size), size);
    const QImage shot = list.viewport()->grab().toImage();
    const QRgb ground = shot.pixel(list.visualRect(size).left(), text.center().y());
    int inked = 0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
        EXPECT_EQ(shot.pixel(text.left(), y), ground) << "y " << y;
        for (int x = text.left(); x <= text.right(); ++x) {
            inked += shot.pixel(x, y) != ground ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 50); // the text is there
}

TEST_F(ResultCellsTest, ACutTextShowsItselfWholeAsTheTooltip)
{
    const int row = AddFile("abcdefghijklmno", "C:\\a\\<b>not bold</b> & a name much too long for its column, even when the panel is wide, and then some.mp3",
                            1023, "2024-01-02");
    struct Case {
        int column;
        QString text;
        bool cut;
    };
    const Case cases[] = {
        {search::NickColumn, QStringLiteral("abcdefghijklmno"), true},
        {search::NameColumn, QStringLiteral("<b>not bold</b> & a name much too long for its column, even when the panel is wide, and then some.mp3"), true},
        {search::SizeColumn, QStringLiteral("1,023B"), false},
        {search::DateColumn, QStringLiteral("2024-01-02"), false},
        {search::SpeedColumn, QString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        ASSERT_EQ(Index(row, c.column).data().toString(), c.text);
        if (!c.text.isEmpty()) {
            const Fit fit = FitOf(row, c.column);
            ASSERT_EQ(fit.width > fit.room, c.cut) << fit.width << " in " << fit.room;
        }
        EXPECT_EQ(TooltipAt(row, c.column), c.cut ? c.text : QString());
    }

    // Widened until it fits, the name column shows no tooltip.
    m_panel.ResultList().setColumnWidth(search::NameColumn, 2000);
    EXPECT_EQ(TooltipAt(row, search::NameColumn), QString());
}

} // namespace
