#include "search/compareresults.h"
#include "search/resultmodel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <random>

using namespace velkan::search;

namespace {

SearchResult Record(std::string_view nick, std::string_view path, std::int64_t size,
                    std::string_view date = "2004-01-02", int speed = 0)
{
    return SearchResult({.nick = nick, .path = path, .date = date, .size = size, .speed = speed});
}

TEST(CompareResults, KeysAndDirections)
{
    const SearchResult a = Record("a", "C:\\x", 5, "2004", 40);
    const SearchResult b = Record("b", "C:\\y", 7, "2003", 40);
    const SearchResult high = Record("\xC7\xD1", "C:\\x\\longer", 5, "2004", 90);
    struct Case {
        const SearchResult* left;
        const SearchResult* right;
        int column;
        bool ascending;
        int expected;
    };
    const Case cases[] = {
        {&a, &b, NickColumn, true, -1},       {&a, &b, NickColumn, false, 1},
        {&b, &high, NickColumn, true, -1},    // bytes compare unsigned: 0xC7 after "b"
        {&a, &high, NameColumn, true, -1},    // a prefix comes first
        {&a, &a, NameColumn, true, 0},        {&a, &b, DateColumn, true, 1},
        {&a, &b, SizeColumn, true, -1},       {&a, &b, SizeColumn, false, 1},
        {&a, &high, SizeColumn, true, 1},     {&high, &a, SizeColumn, true, 1},   // equal: +1
        {&a, &high, SizeColumn, false, 1},    {&high, &a, SizeColumn, false, 1},
        {&a, &b, SpeedColumn, true, 1},       {&b, &a, SpeedColumn, false, 1},    // equal: +1
        {&a, &high, SpeedColumn, false, 1},   {&high, &a, SpeedColumn, false, -1},
        {&a, &b, 7, true, 0},
        {nullptr, &b, NickColumn, true, -1},  {&a, nullptr, NickColumn, false, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareResults(c.left, c.right, c.column, c.ascending), c.expected)
            << c.column << " " << c.ascending;
    }
}

class ResultModelTest : public ::testing::Test {
protected:
    // Each record gets a folder row and a file row, as replies do.
    void Fill(int records, unsigned seed)
    {
        std::mt19937 random(seed);
        std::vector<ResultRow> rows;
        for (int i = 0; i < records; ++i) {
            const std::string nick = "n" + std::to_string(random() % 7);
            const std::string path = "C:\\" + std::to_string(random() % 13) + "\\f" + std::to_string(i);
            const SearchResult* record = m_model.AddRecord(
                {.nick = nick, .path = path, .date = "2004-0" + std::to_string(random() % 9),
                 .size = static_cast<std::int64_t>(random() % 5) - 2,
                 .speed = static_cast<int>(random() % 4) * 60});
            rows.push_back({record, 1, ResultRow::Kind::Folder});
            rows.push_back({record, 8, ResultRow::Kind::File});
        }
        m_model.AppendRows(rows);
    }

    ResultModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultModelTest, RowsArriveInOneInsertionPerBatch)
{
    QSignalSpy inserted(&m_model, &QAbstractItemModel::rowsInserted);
    Fill(50, 1);
    Fill(3, 2);
    m_model.AppendRows({});
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 100);
    EXPECT_EQ(inserted[1][2].toInt(), 105);
    EXPECT_EQ(m_model.rowCount(), 106);
    m_model.Clear();
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_model.RecordCount(), 0U);
}

TEST_F(ResultModelTest, SortingFollowsCompareResultsAndKeepsTiesInOrder)
{
    Fill(300, 3);
    for (int column = 0; column < kResultColumnCount; ++column) {
        for (const bool ascending : {true, false}) {
            SCOPED_TRACE(std::to_string(column) + (ascending ? " ascending" : " descending"));
            m_model.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            for (int row = 1; row < m_model.rowCount(); ++row) {
                const ResultRow& before = m_model.Row(row - 1);
                const ResultRow& after = m_model.Row(row);
                // The later row must never belong strictly before the earlier one.
                ASSERT_FALSE(CompareResults(after.record, before.record, column, ascending) < 0 &&
                             CompareResults(before.record, after.record, column, ascending) > 0)
                    << "row " << row;
                // Rows that tie on the key keep the order they had; a record's folder row stays
                // just before its file row.
                if (before.record == after.record) {
                    EXPECT_EQ(before.kind, ResultRow::Kind::Folder);
                    EXPECT_EQ(after.kind, ResultRow::Kind::File);
                }
            }
        }
    }
}

TEST_F(ResultModelTest, SortKeepsASelectedRowSelected)
{
    Fill(40, 4);
    const int row = 17;
    const ResultRow chosen = m_model.Row(row);
    const QPersistentModelIndex selected(m_model.index(row, 1));
    m_model.sort(SizeColumn, Qt::DescendingOrder);
    ASSERT_TRUE(selected.isValid());
    EXPECT_EQ(m_model.Row(selected.row()).record, chosen.record);
    EXPECT_EQ(m_model.Row(selected.row()).kind, chosen.kind);
}

TEST_F(ResultModelTest, DisplayTextsAndRoles)
{
    const SearchResult* record = m_model.AddRecord(
        {.nick = "\xC7\xD1", .path = "C:\\a\\song.mp3", .date = "2004-01-02 10:11", .size = 3072, .speed = 150});
    m_model.AppendRows({{record, 1, ResultRow::Kind::Folder}, {record, 9, ResultRow::Kind::File}});
    const auto text = [&](int row, int column) { return m_model.index(row, column).data().toString(); };
    EXPECT_EQ(text(0, 0), QStringLiteral("한"));
    EXPECT_EQ(text(0, 1), QStringLiteral("C:\\a"));
    EXPECT_EQ(text(0, 2), QStringLiteral("[폴더]"));
    EXPECT_EQ(text(0, 3), QString());
    EXPECT_EQ(text(1, 1), QStringLiteral("song.mp3"));
    EXPECT_EQ(text(1, 2), QStringLiteral("3KB"));
    EXPECT_EQ(text(1, 3), QStringLiteral("2004-01-02"));
    EXPECT_FALSE(m_model.index(1, SpeedColumn).data().isValid());
    EXPECT_EQ(m_model.index(1, 0).data(ResultModel::ImageRole).toInt(), 9);
    EXPECT_EQ(m_model.index(1, 4).data(ResultModel::SpeedLevelRole).toInt(), 3);
    EXPECT_EQ(m_model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("파일크기"));
}

TEST_F(ResultModelTest, TheSpeedCellReadsAsItsLevelOutOfFive)
{
    const std::pair<int, QString> cases[] = {{0, QStringLiteral("1/5")},   {42, QStringLiteral("2/5")},
                                             {102, QStringLiteral("3/5")}, {152, QStringLiteral("4/5")},
                                             {202, QStringLiteral("5/5")}};
    for (const auto& [speed, text] : cases) {
        const SearchResult* record = m_model.AddRecord({.nick = "kim", .path = "C:\\a\\b.mp3", .speed = speed});
        m_model.AppendRows({{record, 0, ResultRow::Kind::Folder}, {record, 0, ResultRow::Kind::File}});
    }
    for (int row = 0; row < m_model.rowCount(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(m_model.index(row, SpeedColumn).data(Qt::AccessibleTextRole).toString(), cases[row / 2].second);
        // The other cells are read as they show.
        for (int column = NickColumn; column < SpeedColumn; ++column) {
            EXPECT_FALSE(m_model.index(row, column).data(Qt::AccessibleTextRole).isValid()) << column;
        }
    }
}

struct SortCase {
    std::string start;
    int records;

    friend void PrintTo(const SortCase& sample, std::ostream* out)
    {
        *out << sample.records << " records starting \"" << sample.start << '"';
    }
};

// Rows whose keys tie often: few nicknames, dates and speeds, sizes from a handful of values
// including both ends of the range; each record has a file row and often a folder row. The
// parameter gives what starts every nickname and path (every date starts with "2004-0" anyway)
// and how many records there are: enough of them and the sort runs on two threads.
class SortOrderTest : public ::testing::TestWithParam<SortCase> {
protected:
    void SetUp() override
    {
        constexpr std::int64_t kSizes[] = {std::numeric_limits<std::int64_t>::min(), -1, 0, 1, 1023,
                                           5'000'000'000, std::numeric_limits<std::int64_t>::max()};
        constexpr std::int32_t kSpeeds[] = {std::numeric_limits<std::int32_t>::min(), -5, 0, 41, 42,
                                            10000, std::numeric_limits<std::int32_t>::max()};
        // Texts around sixteen bytes that share their start, and zero bytes at the end.
        const std::string kPaths[] = {
            "0123456789abcdef", "0123456789abcdeg", "0123456789abcdef0", "0123456789abcdef\x80",
            "0123456789abcde", std::string("0123456789abcdef\0", 17), std::string("ab\0", 3),
            std::string("ab\0\0", 4), "ab", std::string("ab\0\x01", 4),
            "0123456789abcdef0123456789", "0123456789abcdef0123456788",
        };
        std::mt19937 random(17);
        std::vector<ResultRow> rows;
        const std::string& start = GetParam().start;
        for (int i = 0; i < GetParam().records; ++i) {
            const std::string nick = start + (random() % 2 ? "n" + std::to_string(random() % 5) : "\xC7\xD1");
            const std::string path = start + (random() % 2 ? kPaths[random() % std::size(kPaths)]
                                                   : "C:\\" + std::to_string(random() % 30) + (random() % 3 ? "" : "\xB0\xA1"));
            const SearchResult* record = m_model.AddRecord(
                {.nick = nick, .path = path, .date = "2004-0" + std::to_string(random() % 4),
                 .size = kSizes[random() % std::size(kSizes)], .speed = kSpeeds[random() % std::size(kSpeeds)]});
            if (random() % 2) {
                rows.push_back({record, 1, ResultRow::Kind::Folder});
            }
            rows.push_back({record, 8, ResultRow::Kind::File});
        }
        m_model.AppendRows(rows);
    }

    std::vector<ResultRow> Rows() const
    {
        std::vector<ResultRow> rows;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            rows.push_back(m_model.Row(row));
        }
        return rows;
    }

    ResultModel m_model;
};

// What std::stable_sort gives with the column's key, the plain way.
std::vector<ResultRow> StableOrder(std::vector<ResultRow> rows, int column, bool ascending)
{
    const auto before = [&](const ResultRow& a, const ResultRow& b) {
        const SearchResult& x = ascending ? *a.record : *b.record;
        const SearchResult& y = ascending ? *b.record : *a.record;
        switch (column) {
        case NickColumn: return x.nick() < y.nick();
        case NameColumn: return x.path() < y.path();
        case DateColumn: return x.date() < y.date();
        case SizeColumn: return x.size < y.size;
        default: return x.speed < y.speed;
        }
    };
    std::stable_sort(rows.begin(), rows.end(), before);
    return rows;
}

TEST_P(SortOrderTest, EveryColumnSortsStablyFromWhateverOrderItFinds)
{
    // Each sort starts from the order the one before left, so ties must keep exactly that order.
    const std::pair<int, bool> clicks[] = {
        {SizeColumn, true}, {SpeedColumn, false}, {NickColumn, true},  {SizeColumn, false},
        {DateColumn, true}, {SpeedColumn, true},  {NameColumn, false}, {NickColumn, false},
        {DateColumn, false}, {NameColumn, true},
    };
    for (const auto& [column, ascending] : clicks) {
        SCOPED_TRACE(std::to_string(column) + (ascending ? " ascending" : " descending"));
        const std::vector<ResultRow> expected = StableOrder(Rows(), column, ascending);
        m_model.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        const std::vector<ResultRow> sorted = Rows();
        ASSERT_EQ(sorted.size(), expected.size());
        for (std::size_t row = 0; row < sorted.size(); ++row) {
            ASSERT_EQ(sorted[row].record, expected[row].record) << "row " << row;
            ASSERT_EQ(sorted[row].kind, expected[row].kind) << "row " << row;
        }
    }
    // A column that is none of the five leaves the order alone.
    const std::vector<ResultRow> before = Rows();
    m_model.sort(5, Qt::AscendingOrder);
    const std::vector<ResultRow> after = Rows();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin(), after.end(),
                           [](const ResultRow& a, const ResultRow& b) { return a.record == b.record && a.kind == b.kind; }));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutACommonStart, SortOrderTest,
                         ::testing::Values(SortCase{"", 3000}, SortCase{"C:\\share\\f\\", 3000},
                                           SortCase{"", 60'000}),
                         [](const ::testing::TestParamInfo<SortCase>& sample) {
                             return (sample.param.start.empty() ? "Records" : "CommonStartRecords") +
                                    std::to_string(sample.param.records);
                         });

TEST_F(ResultModelTest, RowLimitHoldsAndClearingMakesRoomAgain)
{
    m_model.SetRowLimit(5);
    EXPECT_TRUE(m_model.HasRoomFor(5));
    EXPECT_FALSE(m_model.HasRoomFor(6));
    Fill(2, 6); // four rows
    EXPECT_TRUE(m_model.HasRoomFor(1));
    EXPECT_FALSE(m_model.HasRoomFor(2));
    Fill(2, 7); // room for one of these four rows only
    EXPECT_EQ(m_model.rowCount(), 5);
    EXPECT_FALSE(m_model.HasRoomFor(1));
    // A limit lowered below what the list holds leaves no room and removes nothing.
    m_model.SetRowLimit(3);
    EXPECT_FALSE(m_model.HasRoomFor(1));
    EXPECT_EQ(m_model.rowCount(), 5);
    m_model.Clear();
    EXPECT_TRUE(m_model.HasRoomFor(3));
    EXPECT_FALSE(m_model.HasRoomFor(4));
    EXPECT_EQ(ResultModel().RowLimit(), 1'000'000);
}

} // namespace
