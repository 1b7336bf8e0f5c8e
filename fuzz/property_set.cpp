// ParsePropertySet reads a property set file, the control's stored properties that a host loads
// before the control starts (velkan-host --properties FILE): bytes from a file anyone may hand
// the user. The control's own Load takes values already decoded into automation strings; the
// one step of it that still meets untrusted text, the conversion to CP949, runs here on every
// value read.
#include "velkanfilesearch/bstrconvert.h"
#include "velkanfilesearch/comhost.h"
#include "channel/cp949convert.h"
#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using velkan::com::Bstr;
using velkan::comhost::MemoryPropertyBag;
namespace cp949 = velkan::cp949;
namespace com = velkan::com;

namespace {

// A name no file can give: text read from UTF-8 never holds a lone surrogate.
const std::u16string kHeldName(1, char16_t(0xD800));
const Bstr kHeldValue = u"held";

std::size_t LineCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
           (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// "LINE: not a name=value line": the line, or 0 when the text is not that.
std::size_t RefusedLine(std::string_view error)
{
    constexpr std::string_view kTail = ": not a name=value line";
    if (!error.ends_with(kTail)) {
        return 0;
    }
    const std::string_view digits = error.substr(0, error.size() - kTail.size());
    std::size_t line = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9' || line > 1'000'000'000) {
            return 0;
        }
        line = line * 10 + static_cast<std::size_t>(c - '0');
    }
    return line;
}

// What the control keeps of a value (CP949, '?' for what it cannot hold) reads back as the same
// value: the conversion settles after its first pass and never grows the text.
void CheckControlConversion(const Bstr& value)
{
    const std::string utf8 = com::ToUtf8(value);
    const std::string kept = cp949::FromUtf8(utf8);
    VELKAN_FUZZ_CHECK(kept.size() <= utf8.size());
    const Bstr handedBack = com::FromUtf8(cp949::ToUtf8(kept));
    VELKAN_FUZZ_CHECK(cp949::FromUtf8(com::ToUtf8(handedBack)) == kept);
}

} // namespace

// The whole input is the file's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MemoryPropertyBag bag;
    bag.values[kHeldName] = kHeldValue;
    std::string error;
    if (!velkan::comhost::ParsePropertySet(text, bag, &error)) {
        // A bad line is named and changes nothing in the bag.
        const std::size_t line = RefusedLine(error);
        VELKAN_FUZZ_CHECK(line >= 1 && line <= LineCount(text));
        VELKAN_FUZZ_CHECK(bag.values.size() == 1 && bag.values.at(kHeldName) == kHeldValue);
        return 0;
    }
    // Loading adds to the bag.
    VELKAN_FUZZ_CHECK(bag.values.at(kHeldName) == kHeldValue);
    bag.values.erase(kHeldName);

    // What was read can be saved, one line a property, and reads back the same.
    const std::optional<std::string> saved = velkan::comhost::PropertySetText(bag);
    VELKAN_FUZZ_CHECK(saved.has_value());
    VELKAN_FUZZ_CHECK(static_cast<std::size_t>(std::count(saved->begin(), saved->end(), '\n')) == bag.values.size());
    MemoryPropertyBag again;
    VELKAN_FUZZ_CHECK(velkan::comhost::ParsePropertySet(*saved, again));
    VELKAN_FUZZ_CHECK(again.values == bag.values);
    VELKAN_FUZZ_CHECK(velkan::comhost::PropertySetText(again) == saved);

    for (const auto& [name, value] : bag.values) {
        VELKAN_FUZZ_CHECK(!name.empty());
        CheckControlConversion(value);
    }
    return 0;
}
