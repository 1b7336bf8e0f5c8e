#include "channel/fieldsplitter.h"
#include "tests/channel/hex.h"

#include <gtest/gtest.h>

#include <vector>

using velkan::channel::FieldSplitter;
using velkan::test::Bytes;

namespace {

std::vector<std::string> AllFields(std::string_view text, char separator)
{
    FieldSplitter splitter(text, separator);
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < splitter.Count(); ++i) {
        fields.emplace_back(splitter.Next());
    }
    return fields;
}

TEST(FieldSplitter, CountsAndTrimsFields)
{
    struct Case {
        std::string text;
        char separator;
        std::vector<std::string> fields;
    };
    const std::string trailZ = Bytes({0x81, 0x7A});
    const Case cases[] = {
        {"a,b,c,", ',', {"a", "b", "c"}},
        {"a,,c", ',', {"a", "", "c"}},
        {",a", ',', {"", "a"}},
        {"a ,b,9000,120", ',', {"a ", "b", "9000", "120"}},
        {"  a , \t b  ,  c  ", ',', {"a ", "b  ", "c"}},
        {"a|b|c|d|e|", '|', {"a", "b", "c", "d", "e"}},
        {"a|b|c|d|  ", '|', {"a", "b", "c", "d"}},
        {"a|b| |c", '|', {"a", "b", "", "c"}},
        {"", ',', {}},
        {"   ", ',', {}},
        {",", ',', {""}},
        {"solo", ',', {"solo"}},
        {"line\r", '|', {"line"}},
        // "z" separates the strip list, and 0x81 0x7A is a character whose second byte is "z".
        {"z|z" + trailZ + "z_", 'z', {"", "|", trailZ, "_"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AllFields(c.text, c.separator), c.fields) << c.text;
    }
}

TEST(FieldSplitter, NextPastTheCountGivesEmptyTexts)
{
    FieldSplitter splitter("x,y", ',');
    ASSERT_EQ(splitter.Count(), 2U);
    EXPECT_EQ(splitter.Next(), "x");
    EXPECT_EQ(splitter.Next(), "y");
    EXPECT_EQ(splitter.Next(), "");
    EXPECT_EQ(splitter.Next(), "");
}

TEST(FieldSplitter, TakesEveryFieldOfALongList)
{
    // A long host-given list (ban words, strip strings) is walked field by field; its cost is
    // measured by the field-splitter fuzz harness's regression input, not here.
    const std::string text(40'000, ',');
    FieldSplitter splitter(text, ',');
    ASSERT_EQ(splitter.Count(), text.size());
    std::size_t emptyFields = 0;
    for (std::size_t i = 0; i < splitter.Count(); ++i) {
        emptyFields += splitter.Next().empty() ? 1 : 0;
    }
    EXPECT_EQ(emptyFields, text.size());
}

} // namespace
