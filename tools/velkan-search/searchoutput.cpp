#include "searchoutput.h"

#include <cstdio>

namespace velkan::host {

std::string JsonString(const std::string& utf8)
{
    std::string quoted = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

namespace {

// Display width of UTF-8 text where Hangul and other wide characters take two columns.
std::size_t DisplayWidth(const std::string& utf8)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string Padded(const std::string& text, std::size_t width, bool right = false)
{
    const std::size_t shown = DisplayWidth(text);
    const std::string padding(shown < width ? width - shown : 0, ' ');
    return right ? padding + text : text + padding;
}

} // namespace

void SearchOutput::Rows(const std::vector<control::RowView>& rows)
{
    if (m_json) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const control::RowView& row = rows[i];
            m_out << "{\"row\": " << i << ", \"nick\": " << JsonString(row.nick)
                  << ", \"name\": " << JsonString(row.name) << ", \"size\": " << JsonString(row.size)
                  << ", \"date\": " << JsonString(row.date) << ", \"speed\": " << row.speedLevel
                  << ", \"image\": " << row.image << "}\n";
        }
        return;
    }
    std::size_t nickWidth = 4;
    std::size_t nameWidth = 4;
    for (const control::RowView& row : rows) {
        nickWidth = std::max(nickWidth, DisplayWidth(row.nick));
        nameWidth = std::max(nameWidth, DisplayWidth(row.name));
    }
    m_out << Padded("row", 5, true) << "  " << Padded("nick", nickWidth) << "  " << Padded("name", nameWidth)
          << "  " << Padded("size", 14, true) << "  " << Padded("date", 10) << "  speed\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const control::RowView& row = rows[i];
        m_out << Padded(std::to_string(i), 5, true) << "  " << Padded(row.nick, nickWidth) << "  "
              << Padded(row.name, nameWidth) << "  " << Padded(row.size, 14, true) << "  "
              << Padded(row.date, 10) << "  " << std::string(static_cast<std::size_t>(row.speedLevel), '*')
              << "\n";
    }
}

void SearchOutput::Totals(const std::string& found, const std::string& progress)
{
    if (m_json) {
        m_out << "{\"found\": " << JsonString(found) << ", \"progress\": " << JsonString(progress) << "}\n";
    } else {
        std::string shown = progress;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
            shown.pop_back(); // the panel's progress text ends in a line break
        }
        m_out << "found: " << found << ", progress: " << shown << "\n";
    }
}

void SearchOutput::ConnectEvent(const std::string& nick, const std::string& folder)
{
    if (m_json) {
        m_out << "{\"event\": \"Connect\", \"nick\": " << JsonString(nick) << ", \"folder\": " << JsonString(folder)
              << "}\n";
    } else {
        m_out << "Connect event: nick " << nick << ", folder " << folder << "\n";
    }
}

void SearchOutput::Message(const std::string& text)
{
    if (m_json) {
        m_out << "{\"message\": " << JsonString(text) << "}\n";
    } else {
        m_out << "message: " << text << "\n";
    }
}

void SearchOutput::ServerInfo(const control::ServerInfoView& info)
{
    if (m_json) {
        m_out << "{\"download\": " << JsonString(info.download) << ", \"upload\": " << JsonString(info.upload)
              << ", \"count\": " << JsonString(info.count) << ", \"size\": " << JsonString(info.size) << "}\n";
    } else {
        m_out << "server information: download " << info.download << ", upload " << info.upload
              << ", shared files " << info.count << ", shared size " << info.size << "\n";
    }
}

} // namespace velkan::host
