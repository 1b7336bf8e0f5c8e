// FieldSplitter cuts every list a peer or the application server sends.
#include "fieldsplitter.h"
#include "fuzz_check.h"
#include "reference.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using velkan::channel::FieldSplitter;

// First byte: the separator when it is one of "|", "," and "z" (so seeds read naturally), else
// it picks one of them. The rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    constexpr char kSeparators[] = {'|', ',', 'z'};
    const char first = static_cast<char>(data[0]);
    const char separator = first == '|' || first == ',' || first == 'z' ? first : kSeparators[data[0] % 3];
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const auto expected = velkan::fuzz::SplitFields(text, separator);
    FieldSplitter splitter(text, separator);
    // The splitter keeps its own copy: spoiling the caller's text must change nothing.
    std::fill(text.begin(), text.end(), separator);

    VELKAN_FUZZ_CHECK(splitter.Count() == expected.size());
    for (std::size_t i = 0; i < splitter.Count(); ++i) {
        const std::string_view field = splitter.Next();
        VELKAN_FUZZ_CHECK(field == expected[i]);
        VELKAN_FUZZ_CHECK(!velkan::fuzz::HasCharByte(field, separator));
        VELKAN_FUZZ_CHECK(i == 0 || field.empty() || !velkan::fuzz::IsWhite(field.front()));
    }
    VELKAN_FUZZ_CHECK(splitter.Next().empty());
    VELKAN_FUZZ_CHECK(splitter.Next().empty());
    return 0;
}
