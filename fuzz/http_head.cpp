// The bridge reads every request head a local program or page sends before anything else.
#include "fuzz/fuzz_check.h"
#include "web/hostcheck.h"
#include "web/httphead.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using velkan::web::HeadParse;
using velkan::web::kMaxHeadBytes;
using velkan::web::ParseHead;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const HeadParse parse = ParseHead(bytes);
    switch (parse.status) {
    case HeadParse::Status::Incomplete:
        VELKAN_FUZZ_CHECK(bytes.size() < kMaxHeadBytes);
        break;
    case HeadParse::Status::TooLarge:
        VELKAN_FUZZ_CHECK(bytes.size() >= kMaxHeadBytes);
        break;
    case HeadParse::Status::Malformed:
        break;
    case HeadParse::Status::Complete: {
        VELKAN_FUZZ_CHECK(parse.length >= 4 && parse.length <= kMaxHeadBytes && parse.length <= bytes.size());
        VELKAN_FUZZ_CHECK(bytes.sliced(parse.length - 4, 4) == "\r\n\r\n");
        VELKAN_FUZZ_CHECK(!parse.head.method.isEmpty() && !parse.head.target.isEmpty());
        for (const auto& [name, value] : parse.head.fields) {
            VELKAN_FUZZ_CHECK(!name.isEmpty() && name == name.toLower());
            VELKAN_FUZZ_CHECK(!value.contains('\r') && !value.contains('\n'));
        }
        // What follows the head never changes how the head reads.
        const HeadParse again = ParseHead(bytes.first(parse.length));
        VELKAN_FUZZ_CHECK(again.status == HeadParse::Status::Complete && again.length == parse.length);
        VELKAN_FUZZ_CHECK(again.head.fields == parse.head.fields && again.head.target == parse.head.target);
        static_cast<void>(velkan::web::IsOwnHost(parse.head.Field("host"), 8091));
        break;
    }
    }
    return 0;
}
