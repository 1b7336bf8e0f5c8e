#include "search/textsort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace velkan::search;

namespace {

// Texts of the shapes a list meets, many of them repeated so that ties are common.
std::vector<std::string> Texts(const std::string& shape, std::mt19937& random)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i) {
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

class TextSortTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TextSortTest, OrdersLikeAStableSortOfTheBytesInBothDirections)
{
    std::mt19937 random(5);
    const std::vector<std::string> texts = Texts(GetParam(), random);
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

INSTANTIATE_TEST_SUITE_P(Shapes, TextSortTest, ::testing::Values("early", "long shared start", "Korean"),
                         [](const ::testing::TestParamInfo<std::string>& shape) {
                             std::string name = shape.param;
                             std::erase(name, ' ');
                             return name;
                         });

} // namespace
