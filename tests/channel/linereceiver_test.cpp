#include "channel/linereceiver.h"

#include <gtest/gtest.h>

#include <vector>

using velkan::channel::LineReceiver;

namespace {

// Feeds chunks one per call, as one read per notification does, then keeps calling with empty
// chunks until no line comes out.
std::vector<std::string> Lines(const std::vector<std::string>& chunks, LineReceiver& receiver)
{
    std::vector<std::string> lines;
    auto take = [&](std::string_view chunk) {
        auto line = receiver.ReceiveLine(chunk);
        if (line) lines.push_back(*line);
        return line.has_value();
    };
    for (const std::string& chunk : chunks) {
        take(chunk);
    }
    while (take("")) {
    }
    return lines;
}

TEST(LineReceiver, ExtractsLinesFromChunks)
{
    struct Case {
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        std::string pending;
    };
    const Case cases[] = {
        {{"abc", "def\r\nghi"}, {"abcdef"}, "ghi"},
        {{"one\ntwo\n", "x\n"}, {"one", "two", "x"}, ""},
        {{"abc\r", "\ndef"}, {"abc"}, "def"},
        {{"a\nb\r\n"}, {"a", "b"}, ""},
        {{"\r\n", "next\n"}, {"", "next"}, ""},
        {{"fi", "nd>x|y", "\r\n"}, {"find>x|y"}, ""},
        {{"keep\r\rcr\r\n"}, {"keep\r\rcr"}, ""},
        {{"no end"}, {}, "no end"},
        {{std::string("ab\0cd\n", 6), "e\n"}, {"abe"}, ""}, // bytes after a zero are not seen
    };
    for (const Case& c : cases) {
        LineReceiver receiver;
        EXPECT_EQ(Lines(c.chunks, receiver), c.lines) << c.chunks.front();
        EXPECT_EQ(receiver.PendingSize(), c.pending.size()) << c.chunks.front();
    }
}

TEST(LineReceiver, OneLinePerCallTheRestWaits)
{
    LineReceiver receiver;
    EXPECT_EQ(receiver.ReceiveLine("one\ntwo\n"), "one");
    EXPECT_EQ(receiver.PendingSize(), 4U);
    EXPECT_EQ(receiver.ReceiveLine("x\n"), "two");
    EXPECT_EQ(receiver.ReceiveLine(""), "x");
    EXPECT_EQ(receiver.ReceiveLine(""), std::nullopt);
}

TEST(LineReceiver, EverySplitPointGivesTheSameLines)
{
    const std::string stream = "find>a|b|c|d|e\r\nsecond\nthird\r\n\r\nlast";
    LineReceiver whole;
    const auto expected = Lines({stream}, whole);
    ASSERT_EQ(expected, (std::vector<std::string>{"find>a|b|c|d|e", "second", "third", ""}));
    for (std::size_t first = 0; first <= stream.size(); ++first) {
        for (std::size_t second = first; second <= stream.size(); ++second) {
            LineReceiver receiver;
            const auto lines = Lines({stream.substr(0, first), stream.substr(first, second - first),
                                      stream.substr(second)},
                                     receiver);
            ASSERT_EQ(lines, expected) << first << "," << second;
            ASSERT_EQ(receiver.PendingSize(), 4U);
        }
    }
}

// The memory a long line took is given back once the line is out, and can be known beforehand.
TEST(LineReceiver, CapacityIsForeseenAndFallsWhenDrained)
{
    LineReceiver receiver;
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 300; ++i) {
        const std::size_t foreseen = receiver.CapacityAfter(chunk.size());
        ASSERT_EQ(receiver.ReceiveLine(chunk), std::nullopt);
        ASSERT_EQ(receiver.Capacity(), foreseen);
        ASSERT_GE(receiver.Capacity(), receiver.PendingSize());
    }
    EXPECT_LE(receiver.Capacity(), receiver.PendingSize() * 3 / 2 + chunk.size());
    EXPECT_EQ(receiver.ReceiveLine("\nnext"), std::string(300 * chunk.size(), 'x'));
    EXPECT_EQ(receiver.ReceiveLine("\n"), "next");
    EXPECT_EQ(receiver.PendingSize(), 0U);
    EXPECT_LE(receiver.Capacity(), LineReceiver::kKeptCapacity);

    // A short line keeps its little memory for the next one.
    EXPECT_EQ(receiver.ReceiveLine("short\n"), "short");
    EXPECT_GT(receiver.Capacity(), 0U);
    receiver.ReceiveLine("partial");
    receiver.Clear();
    EXPECT_EQ(receiver.Capacity(), 0U);
}

TEST(LineReceiver, ClearDropsPendingText)
{
    LineReceiver receiver;
    EXPECT_EQ(receiver.ReceiveLine("partial"), std::nullopt);
    receiver.Clear();
    EXPECT_EQ(receiver.PendingSize(), 0U);
    EXPECT_EQ(receiver.ReceiveLine("new\n"), "new");
}

} // namespace
