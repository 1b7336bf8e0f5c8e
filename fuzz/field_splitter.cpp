// FieldSplitter cuts every list a peer or the application server sends.
#include "channel/fieldsplitter.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
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
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string text(input);

    FieldSplitter splitter(text, separator);
    // The splitter keeps its own copy: spoiling the caller's text must change nothing.
    std::fill(text.begin(), text.end(), separator);

    // Field by field against the reference reading the untouched input, nothing copied: a list
    // of 64 KiB holds up to 64 Ki fields, and copying each into a string of its own cost the
    // harness many times what the splitter takes.
    velkan::fuzz::FieldReader expected(input, separator);
    std::size_t count = 0;
    while (const std::optional<std::string_view> want = expected.Next()) {
        VELKAN_FUZZ_CHECK(count < splitter.Count());
        const std::string_view field = splitter.Next();
        VELKAN_FUZZ_CHECK(field == *want);
        VELKAN_FUZZ_CHECK(!velkan::fuzz::HasCharByte(field, separator));
        VELKAN_FUZZ_CHECK(count == 0 || field.empty() || !velkan::fuzz::IsWhite(field.front()));
        ++count;
    }
    VELKAN_FUZZ_CHECK(splitter.Count() == count);
    VELKAN_FUZZ_CHECK(splitter.Next().empty());
    VELKAN_FUZZ_CHECK(splitter.Next().empty());
    return 0;
}
