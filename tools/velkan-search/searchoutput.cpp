#include "tools/velkan-search/searchoutput.h"

#include "control/panelseam/outcomejson.h"
#include "tools/velkan-search/outcomerecords.h"

#include <QJsonValue>

namespace velkan::host {

namespace {

QJsonValue Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

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

void SearchOutput::Row(const ListedRow& row)
{
    if (!m_json) {
        return;
    }
    const control::RowView& view = row.view;
    QJsonObject record{
        {QStringLiteral("row"), row.index},
        {QStringLiteral("nick"), Text(view.nick)},
        {QStringLiteral("name"), Text(view.name)},
        {QStringLiteral("size"), view.folder ? QJsonValue() : QJsonValue(static_cast<qint64>(view.bytes))},
        {QStringLiteral("sizeText"), Text(view.size)},
        {QStringLiteral("date"), Text(view.date)},
        {QStringLiteral("speed"), view.speedLevel},
        {QStringLiteral("image"), view.image},
    };
    if (!view.folder) {
        record.insert(QStringLiteral("folderRow"), row.folderRow ? QJsonValue(*row.folderRow) : QJsonValue());
        record.insert(QStringLiteral("folder"), row.folderRow ? Text(row.folderText) : QJsonValue());
    }
    m_records.Write(view.folder ? "folder" : "file", std::move(record));
}

void SearchOutput::Summary(const SearchSummary& summary, const RowVisit& rows)
{
    m_summarised = true;
    if (m_json) {
        m_records.Write("summary", {
                                       {QStringLiteral("found"), summary.found},
                                       {QStringLiteral("foundText"), Text(summary.foundText)},
                                       {QStringLiteral("progress"),
                                        summary.progress ? QJsonValue(*summary.progress) : QJsonValue()},
                                       {QStringLiteral("progressText"), Text(summary.progressText)},
                                   });
        return;
    }
    Table(rows);
    m_out << summary.tally << "\n";
    std::string shown = summary.progressText;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
        shown.pop_back(); // the panel's progress text ends in a line break
    }
    m_out << "found: " << summary.foundText << ", progress: " << shown << "\n";
    for (std::string& line : m_heldLines) {
        m_out << line;
    }
    m_heldLines.clear();
    m_out.flush();
}

void SearchOutput::ConnectEvent(const std::string& nick, const std::string& folder, const std::string& eventFolder)
{
    if (m_json) {
        m_records.Write("event", {
                                     {QStringLiteral("event"), QStringLiteral("Connect")},
                                     {QStringLiteral("nick"), Text(nick)},
                                     {QStringLiteral("folder"), Text(folder)},
                                     {QStringLiteral("eventFolder"), Text(eventFolder)},
                                 });
    } else {
        Line("Connect event: nick " + nick + ", folder " + folder + " (as raised: " + eventFolder + ")\n");
    }
}

void SearchOutput::Message(const std::string& text)
{
    if (m_json) {
        m_records.Write("message", {{QStringLiteral("text"), Text(text)}});
    } else {
        Line("message: " + text + "\n");
    }
}

void SearchOutput::ServerInfo(const control::ServerInfoView& info)
{
    if (m_json) {
        m_records.Write("serverinfo", {
                                          {QStringLiteral("answered"), true},
                                          {QStringLiteral("download"), Text(info.download)},
                                          {QStringLiteral("upload"), Text(info.upload)},
                                          {QStringLiteral("countText"), Text(info.count)},
                                          {QStringLiteral("sizeText"), Text(info.size)},
                                          {QStringLiteral("reason"), QJsonValue()},
                                      });
    } else {
        Line("server information: download " + info.download + ", upload " + info.upload + ", shared files " +
             info.count + ", shared size " + info.size + "\n");
    }
}

void SearchOutput::ServerInfoUnanswered(const std::string& why)
{
    if (m_json) {
        m_records.Write("serverinfo", {
                                          {QStringLiteral("answered"), false},
                                          {QStringLiteral("download"), QJsonValue()},
                                          {QStringLiteral("upload"), QJsonValue()},
                                          {QStringLiteral("countText"), QJsonValue()},
                                          {QStringLiteral("sizeText"), QJsonValue()},
                                          {QStringLiteral("reason"), Text(why)},
                                      });
    } else {
        Line("server information: no answer (" + why + ")\n");
    }
}

void SearchOutput::Outcomes(const std::vector<control::ServerOutcomeView>& servers,
                            const control::FetchOutcomeView& fetch)
{
    if (m_json) {
        for (const control::ServerOutcomeView& server : servers) {
            m_records.Write("outcome", control::OutcomeJson(server));
        }
        m_records.Write("fetch", control::FetchJson(fetch));
        return;
    }
    for (const control::ServerOutcomeView& server : servers) {
        Line(OutcomeLine(server) + "\n");
    }
    Line(FetchLine(fetch) + "\n");
}

void SearchOutput::Line(std::string text)
{
    if (m_summarised) {
        m_out << text;
        m_out.flush();
    } else {
        m_heldLines.push_back(std::move(text));
    }
}

void SearchOutput::Table(const RowVisit& rows)
{
    std::size_t nickWidth = 4;
    std::size_t nameWidth = 4;
    rows([&](const ListedRow& listed) {
        nickWidth = std::max(nickWidth, DisplayWidth(listed.view.nick));
        nameWidth = std::max(nameWidth, DisplayWidth(listed.view.name));
    });
    m_out << Padded("row", 5, true) << "  " << Padded("nick", nickWidth) << "  " << Padded("name", nameWidth) << "  "
          << Padded("size", 14, true) << "  " << Padded("date", 10) << "  speed\n";
    rows([&](const ListedRow& listed) {
        const control::RowView& row = listed.view;
        m_out << Padded(std::to_string(listed.index), 5, true) << "  " << Padded(row.nick, nickWidth) << "  "
              << Padded(row.name, nameWidth) << "  " << Padded(row.size, 14, true) << "  " << Padded(row.date, 10)
              << "  " << std::string(static_cast<std::size_t>(row.speedLevel), '*') << "\n";
    });
}

} // namespace velkan::host
