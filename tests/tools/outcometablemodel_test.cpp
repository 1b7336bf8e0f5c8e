#include "tools/velkan-host/outcometablemodel.h"

#include <QSortFilterProxyModel>
#include <gtest/gtest.h>

using velkan::control::ServerOutcomeView;
using velkan::host::OutcomeTableModel;

namespace {

int ColumnNamed(const OutcomeTableModel& model, const QString& title)
{
    for (int column = 0; column < model.columnCount(); ++column) {
        if (model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() == title) {
            return column;
        }
    }
    return -1;
}

// Every column sorts by its value: numbers as numbers (9 before 10 before 1000), whatever their
// text would give, and a time that never came sorts below every real one.
TEST(OutcomeTableModel, EveryColumnSortsByItsValue)
{
    OutcomeTableModel model;
    model.SetOutcomes({
        {.nick = "a", .host = "10.0.0.2", .port = 9, .outcome = "silent", .items = 10,
         .bytesReceived = 100, .firstByteMs = -1, .closeMs = 300},
        {.nick = "b", .host = "10.0.0.10", .port = 10, .outcome = "answered", .items = 2, .rows = 3,
         .bytesReceived = 9, .firstByteMs = 5, .closeMs = 20},
        {.nick = "c", .host = "10.0.0.1", .port = 1000, .outcome = "refused", .closeMs = 1,
         .error = "Connection refused"},
    });
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(OutcomeTableModel::kSortRole);
    struct Case {
        QString column;
        Qt::SortOrder order;
        std::string nicks;
    };
    const Case cases[] = {
        {QStringLiteral("Nick"), Qt::DescendingOrder, "cba"},
        {QStringLiteral("Host"), Qt::AscendingOrder, "cba"},
        {QStringLiteral("Port"), Qt::AscendingOrder, "abc"},
        {QStringLiteral("Outcome"), Qt::AscendingOrder, "bca"},
        {QStringLiteral("Items"), Qt::AscendingOrder, "cba"},
        {QStringLiteral("Rows"), Qt::DescendingOrder, "b"},
        {QStringLiteral("Received"), Qt::AscendingOrder, "cba"},
        {QStringLiteral("First byte ms"), Qt::DescendingOrder, "b"},
        {QStringLiteral("Close ms"), Qt::DescendingOrder, "abc"},
        {QStringLiteral("Error"), Qt::DescendingOrder, "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column.toStdString());
        const int column = ColumnNamed(model, c.column);
        ASSERT_GE(column, 0);
        sorted.sort(column, c.order);
        std::string nicks;
        for (int row = 0; row < sorted.rowCount(); ++row) {
            nicks += sorted.index(row, ColumnNamed(model, QStringLiteral("Nick"))).data().toString().toStdString();
        }
        EXPECT_TRUE(nicks.starts_with(c.nicks)) << nicks;
    }
    // A time that never came shows as nothing.
    const int firstByte = ColumnNamed(model, QStringLiteral("First byte ms"));
    EXPECT_EQ(model.index(0, firstByte).data().toString(), QString());
    EXPECT_EQ(model.index(1, firstByte).data().toString(), QStringLiteral("5"));
}

// Each figure with a column title shows its own value there, after where the server is and its
// outcome, and before the error.
TEST(OutcomeTableModel, EveryTitledFigureHasItsColumn)
{
    ServerOutcomeView view{.nick = "kim", .host = "10.0.0.1", .port = 7, .outcome = "answered", .error = "none"};
    std::vector<std::pair<QString, qlonglong>> figures;
    qlonglong next = 11;
#define VELKAN_SET_FIGURE(name, path, kind, title)                                                 \
    view.name = static_cast<decltype(view.name)>(next);                                            \
    if (const char* heading = title; heading != nullptr) {                                         \
        figures.emplace_back(QString::fromLatin1(heading), next);                                  \
    }                                                                                              \
    ++next;
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_SET_FIGURE)
#undef VELKAN_SET_FIGURE
    OutcomeTableModel model;
    model.SetOutcomes({view});
    // Nick, host, port, address and outcome before the figures, the error after them.
    ASSERT_EQ(model.columnCount(), static_cast<int>(figures.size()) + 6);
    EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), figures.front().first);
    EXPECT_EQ(model.headerData(model.columnCount() - 1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Error"));
    for (const auto& [title, value] : figures) {
        SCOPED_TRACE(title.toStdString());
        const int column = ColumnNamed(model, title);
        ASSERT_GE(column, 0);
        EXPECT_EQ(model.index(0, column).data(OutcomeTableModel::kSortRole).toLongLong(), value);
    }
}

} // namespace
