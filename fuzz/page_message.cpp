// Every message a page sends a control is parsed before anything else sees it.
#include "fuzz/fuzz_check.h"
#include "web/pagemessage.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <variant>

using namespace velkan::web;

namespace {

struct Check {
    void operator()(const ActivateMessage& m) const
    {
        for (const std::string* text : {&m.param, &m.search, &m.banWord, &m.searchBanWord, &m.replaceParam}) {
            VELKAN_FUZZ_CHECK(static_cast<qsizetype>(text->size()) <= kMaxTextBytes);
        }
    }
    void operator()(const SearchMessage& m) const { VELKAN_FUZZ_CHECK(static_cast<qsizetype>(m.text.size()) <= kMaxTextBytes); }
    void operator()(const StopMessage&) const {}
    void operator()(const ServerInfoCloseMessage&) const {}
    void operator()(const WindowMessage& m) const
    {
        VELKAN_FUZZ_CHECK(m.first >= 0 && m.count >= 0 && m.count <= kMaxWindowRows);
    }
    void operator()(const SortMessage& m) const { VELKAN_FUZZ_CHECK(m.column >= 0 && m.column <= 4); }
    void operator()(const RowMessage& m) const
    {
        VELKAN_FUZZ_CHECK(m.row >= (m.action == RowMessage::Action::Click ? 0 : -1));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = ParsePageMessage(text);
    if (const auto* error = std::get_if<MessageError>(&parsed)) {
        VELKAN_FUZZ_CHECK(!error->reason.isEmpty() && !error->message.isEmpty());
    } else {
        std::visit(Check{}, std::get<PageMessage>(parsed));
    }
    return 0;
}
