// LineReceiver frames the bytes every connection receives into lines.
#include "fuzz/fuzz_check.h"
#include "channel/linereceiver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using velkan::channel::LineReceiver;

namespace {

// Feeds chunks one call each, then empty chunks until no line comes out, checking every call
// against the bytes fed so far: the line is the text up to the first unreturned "\n" (less one
// "\r" before it), and the lines plus what is pending are exactly the bytes fed.
class Checked {
public:
    explicit Checked(LineReceiver& receiver) : m_receiver(receiver) {}

    bool Feed(std::string_view chunk)
    {
        m_fed.append(chunk.substr(0, chunk.find('\0')));
        const std::optional<std::string> line = m_receiver.ReceiveLine(chunk);
        const std::size_t terminator = m_fed.find('\n', m_consumed);
        if (terminator == std::string::npos) {
            VELKAN_FUZZ_CHECK(!line.has_value());
        } else {
            VELKAN_FUZZ_CHECK(line.has_value());
            std::string_view expected = std::string_view(m_fed).substr(m_consumed, terminator - m_consumed);
            if (expected.ends_with('\r')) {
                expected.remove_suffix(1);
            }
            VELKAN_FUZZ_CHECK(*line == expected);
            VELKAN_FUZZ_CHECK(line->find('\n') == std::string::npos);
            m_consumed = terminator + 1;
            m_lines.push_back(*line);
        }
        VELKAN_FUZZ_CHECK(m_receiver.PendingSize() == m_fed.size() - m_consumed);
        return line.has_value();
    }

    void Drain()
    {
        while (Feed({})) {
        }
        VELKAN_FUZZ_CHECK(m_fed.find('\n', m_consumed) == std::string::npos);
    }

    const std::string& Fed() const { return m_fed; }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    LineReceiver& m_receiver;
    std::string m_fed;
    std::size_t m_consumed = 0;
    std::vector<std::string> m_lines;
};

} // namespace

// Byte 0: how many chunk lengths follow (0 to 15); each of those bytes is one chunk's length
// (0 feeds an empty chunk). The bytes after them are cut into those chunks in turn, and
// whatever is left is the last chunk.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t lengthCount = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::uint8_t* lengths = data + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1 + lengthCount,
                                  size - 1 - lengthCount);
    std::vector<std::string_view> chunks;
    std::size_t at = 0;
    for (std::size_t i = 0; i < lengthCount; ++i) {
        const std::size_t length = std::min<std::size_t>(lengths[i], stream.size() - at);
        chunks.push_back(stream.substr(at, length));
        at += length;
    }
    chunks.push_back(stream.substr(at));

    LineReceiver receiver;
    Checked chunked(receiver);
    for (const std::string_view chunk : chunks) {
        chunked.Feed(chunk);
    }
    chunked.Drain();

    // The same bytes in one chunk give the same lines and leave the same text pending.
    LineReceiver whole;
    Checked single(whole);
    single.Feed(chunked.Fed());
    single.Drain();
    VELKAN_FUZZ_CHECK(single.Lines() == chunked.Lines());
    VELKAN_FUZZ_CHECK(whole.PendingSize() == receiver.PendingSize());

    // After Clear the receiver starts afresh: the same chunks give the same lines again.
    receiver.Clear();
    VELKAN_FUZZ_CHECK(receiver.PendingSize() == 0);
    Checked again(receiver);
    for (const std::string_view chunk : chunks) {
        again.Feed(chunk);
    }
    again.Drain();
    VELKAN_FUZZ_CHECK(again.Lines() == chunked.Lines());
    return 0;
}
