#include "search/textsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace velkan::search;

namespace {

struct Case {
    std::string shape;
    int count;

    friend void PrintTo(const Case& sample, std::ostream* out) { *out << sample.count << " texts, " << sample.shape; }
};

// Texts of the shapes a list meets, many of them repeated so that ties are common.
std::vector<std::string> Texts(const Case& sample, std::mt19937& random)
{
    const std::string& shape = sample.shape;
    std::vector<std::string> texts;
    for (int i = 0; i < sample.count; ++i) {
        std::string text;
        if (shape == "early") {
            text = std::string(1, static_cast<char>('a' + random() % 5)) + std::to_string(random() % 40) + ".mp3";
        } else if (shape == "long shared start") {
            // Runs of one byte that end at every offset around the sixteen-byte steps, then a
            // difference, sometimes a zero byte, sometimes nothing.
            text = "Music\\Live & Studio" + std::string(random() % 40, static_cast<char>('0' + random() % 2));
            switch (random() % 4) {
            case 0: break;
            case 1: text += std::string(1, '\0'); break;
            case 2: text += static_cast<char>(random() % 256); break;
            default: text += "\\Disc " + std::to_string(random() % 3); break;
            }
        } else {
            // Korean: CP949 syllables, bytes above 0x7F that must order unsigned.
            for (unsigned n = 1 + random() % 4; n > 0; --n) {
                text += static_cast<char>(0xB0 + random() % 3);
                text += static_cast<char>(0xA1 + random() % 3);
            }
            if (random() % 2) {
                text += "\\";
            }
        }
        texts.push_back(text);
    }
    return texts;
}

class TextSortTest : public ::testing::TestWithParam<Case> {};

TEST_P(TextSortTest, OrdersLikeAStableSortOfTheBytesInBothDirections)
{
    std::mt19937 random(5);
    const std::vector<std::string> made = Texts(GetParam(), random);
    // Every third text is its neighbour's bytes at the same address, as a folder row and its file
    // row read one record's path.
    std::vector<std::string_view> texts(made.begin(), made.end());
    for (std::size_t row = 2; row < texts.size(); row += 3) {
        texts[row] = texts[row - 1];
    }
    for (const bool ascending : {true, false}) {
        SCOPED_TRACE(ascending ? "ascending" : "descending");
        std::vector<std::uint32_t> expected(texts.size());
        for (std::uint32_t row = 0; row < expected.size(); ++row) {
            expected[row] = row;
        }
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            return ascending ? texts[a] < texts[b] : texts[b] < texts[a];
        });
        std::vector<SortText> sorted;
        for (std::uint32_t row = 0; row < texts.size(); ++row) {
            sorted.push_back({texts[row].data(), static_cast<std::uint32_t>(texts[row].size()), row});
        }
        SortTexts(sorted, ascending);
        ASSERT_EQ(sorted.size(), expected.size());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            ASSERT_EQ(sorted[i].row, expected[i]) << "position " << i;
        }
    }
}

// The large cases are sorted by two threads, the long shared starts after spreading their one
// large group further first.
INSTANTIATE_TEST_SUITE_P(Shapes, TextSortTest,
                         ::testing::Values(Case{"early", 4000}, Case{"long shared start", 4000}, Case{"Korean", 4000},
                                           Case{"early", 200'000}, Case{"long shared start", 200'000}),
                         [](const ::testing::TestParamInfo<Case>& sample) {
                             std::string name = sample.param.shape + std::to_string(sample.param.count);
                             std::erase(name, ' ');
                             return name;
                         });

} // namespace
