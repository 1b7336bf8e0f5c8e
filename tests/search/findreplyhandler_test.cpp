#include "channel/appserverprotocol.h"
#include "channel/cp949convert.h"
#include "tests/search/fakes.h"
#include "search/findreplyhandler.h"
#include "search/resultmodel.h"
#include "search/startupconfig.h"

#include <gtest/gtest.h>

using namespace velkan;
using search::ResultRow;

namespace {

class FindReplyTest : public ::testing::Test {
protected:
    // One row as the list shows it: nick, column 1, column 2, column 3, image.
    using Shown = std::tuple<std::string, std::string, std::string, std::string, int>;

    std::vector<Shown> Rows() const
    {
        std::vector<Shown> rows;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            rows.emplace_back(m_model.CellText(row, 0), m_model.CellText(row, 1),
                              m_model.CellText(row, 2), m_model.CellText(row, 3),
                              m_model.Row(row).image);
        }
        return rows;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            names.push_back(m_model.CellText(row, 1));
        }
        return names;
    }
    bool Handle(std::string_view line, std::string_view nick = "peer")
    {
        return m_handler.Handle(line, nick, nullptr, m_found);
    }

    const std::string m_folderText = cp949::FromUtf8("[폴더]");
    search::StartupConfig m_config;
    search::ResultModel m_model;
    test::FakeImages m_images;
    search::FindReplyHandler m_handler{m_config, m_model, m_images};
    int m_found = 0;
};

TEST_F(FindReplyTest, FolderRowThenFileRows)
{
    ASSERT_TRUE(Handle("find>C:\\a\\x.txt|2004-01-02|10|0|0>C:\\a\\y.txt|2004-01-02 10:11|2048|0|0"));
    const std::vector<Shown> expected = {
        {"peer", "C:\\a", m_folderText, "", 1},
        {"peer", "x.txt", "10B", "2004-01-02", 8},
        {"peer", "y.txt", "2KB", "2004-01-02", 8},
    };
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(m_found, 3);
    // The folder row and its file row share one record.
    EXPECT_EQ(m_model.Row(0).record, m_model.Row(1).record);
    EXPECT_EQ(m_model.RecordCount(), 2U);
}

TEST_F(FindReplyTest, FolderRowsFollowFolderChangesWithinALine)
{
    ASSERT_TRUE(Handle("find>C:\\a\\1.mp3|d|1|0|0>C:\\b\\2.avi|d|1|0|0>C:\\a\\3.mp3|d|1|0|0>top.txt|d|1|0|0"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\a", "1.mp3", "C:\\b", "2.avi", "C:\\a",
                                                 "3.mp3", "", "top.txt"}));
    // Every line starts afresh, so a repeated line repeats its folder row.
    ASSERT_TRUE(Handle("find>C:\\a\\1.mp3|d|1|0|0", "other"));
    EXPECT_EQ(m_model.rowCount(), 10);
    EXPECT_EQ(m_model.CellText(8, 0), "other");
    EXPECT_EQ(m_found, 10);
}

TEST_F(FindReplyTest, NoFolderRowForAPathWithoutFolderFirstOnItsLine)
{
    ASSERT_TRUE(Handle("find>readme|d|1|0|0>\\root.txt|d|1|0|0"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"readme", "root.txt"}));
}

TEST_F(FindReplyTest, LinesThatAreNotFindRepliesChangeNothing)
{
    EXPECT_FALSE(Handle("FIND>C:\\a\\x.txt|d|1|0|0"));
    EXPECT_FALSE(Handle(" find>C:\\a\\x.txt|d|1|0|0"));
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_TRUE(Handle("find"));
    EXPECT_EQ(m_found, 0);
}

TEST_F(FindReplyTest, EscapesAndServerFields)
{
    const channel::ServerEntry server{"peer", "10.0.0.9", 9000, 150, 0};
    ASSERT_TRUE(m_handler.Handle("find>C:\\x\\a&gt;b&0x7c;c.txt|2004-01-02 10:11|1536|0|5", "peer",
                                 &server, m_found));
    EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\x", "a>b|c.txt"}));
    const search::SearchResult& record = *m_model.Row(1).record;
    EXPECT_EQ(record.path(), "C:\\x\\a>b|c.txt");
    EXPECT_EQ(record.speed, 150);
    EXPECT_EQ(record.host(), "10.0.0.9");
    EXPECT_EQ(record.port(), 9000);
    EXPECT_EQ(record.extra, 5);
    EXPECT_EQ(m_model.CellText(1, 2), "1KB");
}

TEST_F(FindReplyTest, AdultPersonAndBanWordRules)
{
    struct Case {
        std::string userId;
        std::string userClass;
        int options;
        std::vector<std::string> plain;
        std::vector<std::string> strict;
        std::string line;
        std::vector<std::string> names;
        std::vector<int> folderImages;
    };
    const Case cases[] = {
        {"u", "", 0, {}, {}, "find>C:\\a\\x.avi|d|1|16|0>C:\\b\\y.avi|d|1|0|0", {"C:\\b", "y.avi"}, {1}},
        {"u", "A", 0, {}, {}, "find>C:\\a\\x.avi|d|1|16|0", {"C:\\a", "x.avi"}, {4}},
        {"u", "A", 0, {}, {}, "find>C:\\a\\x.avi|d|1|24|0", {"C:\\a", "x.avi"}, {6}},
        {"u", "", 0, {}, {}, "find>C:\\a\\x.avi|d|1|24|0", {}, {}},
        {"u", "", 0x40, {}, {}, "find>C:\\a\\1.txt|d|1|0|0>C:\\a\\2.txt|d|1|8|0>C:\\a\\3.txt|d|1|0|0",
         {"C:\\a", "1.txt"}, {1}},
        {"u", "", 0, {}, {}, "find>C:\\a\\2.txt|d|1|8|0>C:\\a\\3.txt|d|1|0|0", {"C:\\a", "2.txt", "3.txt"}, {6}},
        {"u", "", 0, {"mp3"}, {}, "find>a.mp3|d|1|0|0>b.mp3|d|1|8|0>c.mp3|d|1|128|0>d.avi|d|1|0|0",
         {"b.mp3", "c.mp3", "d.avi"}, {}},
        {"velkan", "", 0, {"mp3"}, {}, "find>a.mp3|d|1|0|0", {"a.mp3"}, {}},
        {"u", "", 0x20, {"mp3"}, {}, "find>a.mp3|d|1|0|0", {"a.mp3"}, {}},
        {"velkan", "", 0, {}, {"abc^xyz"}, "find>xyz_abc.avi|d|1|128|0>ok.avi|d|1|0|0", {"ok.avi"}, {}},
        {"u", "", 0, {""}, {}, "find>a.mp3|d|1|0|0>b.mp3|d|1|128|0", {"b.mp3"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_model.Clear();
        m_config.userId = c.userId;
        m_config.userClass = c.userClass;
        m_config.options = c.options;
        m_config.banWords = c.plain;
        m_config.strictBanWords = c.strict;
        ASSERT_TRUE(Handle(c.line));
        EXPECT_EQ(Names(), c.names);
        std::vector<int> folderImages;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            if (m_model.Row(row).kind == ResultRow::Kind::Folder) {
                folderImages.push_back(m_model.Row(row).image);
            }
        }
        EXPECT_EQ(folderImages, c.folderImages);
    }
}

// Every item parsed is listed or counted under the one rule that dropped it, and counting
// changes nothing in what is listed.
TEST_F(FindReplyTest, EachItemIsCountedUnderTheRuleThatDecidedIt)
{
    struct Case {
        int options;
        std::vector<std::string> plain;
        std::vector<std::string> strict;
        int rowLimit;
        std::string line;
        search::ReplyTally tally;
    };
    const Case cases[] = {
        {0, {}, {}, 100, "find>C:\\a\\x.avi|d|1|16|0>C:\\b\\y.avi|d|1|0|0",
         {.items = 2, .listed = 1, .rows = 2, .adult = 1}},
        {0, {}, {"abc^xyz"}, 100, "find>xyz_abc.avi|d|1|128|0>ok.avi|d|1|0|0",
         {.items = 2, .listed = 1, .rows = 1, .strictBanWords = 1}},
        // The person's folder ends the line: the item after it is never read.
        {0x40, {}, {}, 100, "find>C:\\a\\1.txt|d|1|0|0>C:\\a\\2.txt|d|1|8|0>C:\\a\\3.txt|d|1|0|0",
         {.items = 2, .listed = 1, .rows = 2, .personFolder = 1}},
        {0, {"mp3"}, {}, 100, "find>a.mp3|d|1|0|0>b.mp3|d|1|8|0>c.mp3|d|1|128|0>d.avi|d|1|0|0",
         {.items = 4, .listed = 3, .rows = 3, .banWords = 1}},
        {0, {}, {}, 2, "find>C:\\a\\1|d|1|0|0>C:\\a\\2|d|1|16|0>C:\\b\\3|d|1|0|0",
         {.items = 3, .listed = 1, .rows = 2, .adult = 1, .rowLimit = 1}},
        {0, {}, {}, 100, "?no find reply", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_config.options = c.options;
        m_config.banWords = c.plain;
        m_config.strictBanWords = c.strict;
        m_model.Clear();
        m_model.SetRowLimit(c.rowLimit);
        int uncountedFound = 0;
        EXPECT_EQ(m_handler.HandleUncounted(c.line, "peer", nullptr, uncountedFound),
                  c.line.starts_with("find"));
        const std::vector<std::string> uncounted = Names();
        m_model.Clear();
        m_found = 0;
        Handle(c.line);
        const search::ReplyTally& tally = m_handler.LastLine();
        EXPECT_EQ(tally.items, c.tally.items);
        EXPECT_EQ(tally.listed, c.tally.listed);
        EXPECT_EQ(tally.rows, c.tally.rows);
        EXPECT_EQ(tally.adult, c.tally.adult);
        EXPECT_EQ(tally.strictBanWords, c.tally.strictBanWords);
        EXPECT_EQ(tally.personFolder, c.tally.personFolder);
        EXPECT_EQ(tally.banWords, c.tally.banWords);
        EXPECT_EQ(tally.rowLimit, c.tally.rowLimit);
        EXPECT_EQ(tally.items, tally.listed + tally.Dropped());
        EXPECT_EQ(tally.rows, m_model.rowCount());
        EXPECT_EQ(Names(), uncounted);
        EXPECT_EQ(m_found, uncountedFound);
    }
}

TEST_F(FindReplyTest, ImageIndexesGrowPerExtension)
{
    ASSERT_TRUE(Handle("find>a.mp3|d|1|0|0>b.avi|d|1|0|0>c.mp3|d|1|0|0>d.MP3|d|1|0|0>e|d|1|0|0>.f|d|1|0|0"));
    std::vector<int> images;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        images.push_back(m_model.Row(row).image);
    }
    EXPECT_EQ(images, (std::vector<int>{8, 9, 8, 10, 11, 11}));
}

TEST_F(FindReplyTest, RowLimitListsWholeItemsAndCountsTheRest)
{
    struct Case {
        int limit;
        std::string line;
        std::vector<std::string> names;
        int dropped;
    };
    const Case cases[] = {
        // The folder row and its file row go in together or not at all.
        {5, "find>C:\\a\\1|d|1|0|0>C:\\a\\2|d|1|0|0>C:\\b\\3|d|1|0|0>C:\\c\\4|d|1|0|0",
         {"C:\\a", "1", "2", "C:\\b", "3"}, 1},
        {4, "find>C:\\a\\1|d|1|0|0>C:\\a\\2|d|1|0|0>C:\\b\\3|d|1|0|0>C:\\b\\4|d|1|0|0",
         {"C:\\a", "1", "2"}, 2},
        // A file of the folder listed last still fits in the one row left.
        {4, "find>C:\\a\\1|d|1|0|0>C:\\a\\2|d|1|0|0>C:\\b\\3|d|1|0|0>C:\\a\\4|d|1|0|0",
         {"C:\\a", "1", "2", "4"}, 1},
        // Filtered items are not counted as dropped by the limit.
        {2, "find>C:\\a\\1|d|1|0|0>C:\\a\\2|d|1|16|0>C:\\b\\3|d|1|0|0", {"C:\\a", "1"}, 1},
        {0, "find>top|d|1|0|0", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_model.Clear();
        m_model.SetRowLimit(c.limit);
        m_found = 0;
        ASSERT_TRUE(Handle(c.line));
        EXPECT_EQ(Names(), c.names);
        EXPECT_EQ(m_handler.DroppedByRowLimit(), c.dropped);
        EXPECT_EQ(m_found, static_cast<int>(c.names.size())); // the found count counts what is listed
    }

    // A full list takes nothing more; each reply counts its own items.
    ASSERT_TRUE(Handle("find>C:\\z\\5|d|1|0|0>C:\\z\\6|d|1|0|0"));
    EXPECT_EQ(m_handler.DroppedByRowLimit(), 2);
    ASSERT_TRUE(Handle("find"));
    EXPECT_EQ(m_handler.DroppedByRowLimit(), 0);
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_model.RecordCount(), 0U); // no record is kept for an item that is not listed
}

} // namespace
