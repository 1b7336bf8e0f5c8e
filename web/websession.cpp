#include "web/websession.h"

#include "ui/abouttext.h"
#include "search/connectfolder.h"
#include "channel/cp949convert.h"
#include "ui/panelmetrics.h"
#include "web/rowjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebSocket>

#include <algorithm>

namespace velkan::web {
namespace {

QJsonObject UnitsJson(ui::UnitBase base)
{
    return {{QStringLiteral("x"), base.x}, {QStringLiteral("y"), base.y}};
}

// The first message: the wire's version, the measures the page lays the panel and its dialogs
// out from, and the about box's words.
QJsonObject HelloMessage()
{
    const ui::PanelMetrics metrics = ui::PanelMetrics::Measure();
    return {
        {QStringLiteral("type"), QStringLiteral("hello")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("metrics"),
         QJsonObject{{QStringLiteral("panel"), UnitsJson(metrics.panel)},
                     {QStringLiteral("serverInfo"), UnitsJson(metrics.serverInfo)},
                     {QStringLiteral("about"), UnitsJson(metrics.about)},
                     {QStringLiteral("rowHeight"), metrics.rowHeight},
                     {QStringLiteral("headerHeight"), metrics.headerHeight},
                     {QStringLiteral("percentWidth"), metrics.percentWidth}}},
        {QStringLiteral("about"),
         QJsonObject{{QStringLiteral("title"), QString::fromUtf8(ui::kAboutTitle)},
                     {QStringLiteral("version"), QString::fromUtf8(ui::kAboutVersion)},
                     {QStringLiteral("ok"), QString::fromUtf8(ui::kAboutOk)}}},
    };
}

} // namespace

WebSession::WebSession(QWebSocket* socket, search::SearchSeams seams, QObject* parent)
    : QObject(parent), m_socket(socket), m_seams(std::move(seams))
{
    m_socket->setParent(this);
    // The panel's starting buttons: download and stop shown but off, connect hidden.
    m_buttons[0] = {.enabled = false, .visible = true};  // download
    m_buttons[1] = {.enabled = false, .visible = true};  // stop
    m_buttons[2] = {.enabled = true, .visible = false};  // connect
    m_buttons[3] = {.enabled = false, .visible = false}; // server information
    m_pushTimer.setSingleShot(true);
    m_pushTimer.setInterval(kPushIntervalMs);
    connect(&m_pushTimer, &QTimer::timeout, this, &WebSession::Push);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &WebSession::OnText);
    connect(m_socket, &QWebSocket::binaryMessageReceived, this, [this] {
        SendError(QStringLiteral("malformed-message"), QStringLiteral("messages are JSON text"));
    });
    // A page that reads again gets what it missed.
    connect(m_socket, &QWebSocket::bytesWritten, this, [this] {
        if (m_dirty && !m_pushTimer.isActive()) {
            m_pushTimer.start();
        }
    });
    connect(m_socket, &QWebSocket::disconnected, this, [this] {
        // Stops the search and closes every peer connection at once, not when deleted later.
        m_serverInfo.reset();
        m_engine.reset();
        emit finished();
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &WebSession::OnOrderChanged);
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, &WebSession::OnOrderChanged);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
        MarkDirty(first < m_windowFirst + m_windowCount);
    });
    Send(HelloMessage());
    MarkDirty();
}

WebSession::~WebSession()
{
    m_serverInfo.reset();
    m_engine.reset();
}

void WebSession::OnText(const QString& text)
{
    auto parsed = ParsePageMessage(text.toUtf8());
    if (const auto* error = std::get_if<MessageError>(&parsed)) {
        SendError(error->reason, error->message);
        return;
    }
    std::visit([this](const auto& message) { Handle(message); }, std::get<PageMessage>(parsed));
}

void WebSession::Handle(const ActivateMessage& message)
{
    if (m_engine) {
        SendError(QStringLiteral("already-active"), QStringLiteral("the control reads its values once"));
        return;
    }
    m_engine = std::make_unique<search::SearchEngine>(static_cast<search::SearchView&>(*this), m_model, m_images, m_seams);
    connect(m_engine.get(), &search::SearchEngine::searchIdle, this, [this] {
        Push();
        Send({{QStringLiteral("type"), QStringLiteral("searchidle")}});
    });
    Send({{QStringLiteral("type"), QStringLiteral("activated")}});
    // The page's parameters are Unicode; the engine keeps them as the native control's
    // properties convert them.
    m_engine->Configure({
        .param = cp949::FromUtf8(message.param),
        .search = cp949::FromUtf8(message.search),
        .searchBanWord = cp949::FromUtf8(message.searchBanWord),
        .replaceParam = cp949::FromUtf8(message.replaceParam),
    });
}

void WebSession::Handle(const SearchMessage& message)
{
    // As the native control before activation: not heard.
    if (m_engine) {
        m_engine->StartSearch(cp949::FromUtf8(message.text));
    }
}

void WebSession::Handle(const StopMessage&)
{
    if (m_engine) {
        m_engine->OnCancel();
    }
}

void WebSession::Handle(const WindowMessage& message)
{
    m_windowFirst = message.first;
    m_windowCount = message.count;
    MarkDirty(true);
}

void WebSession::Handle(const SortMessage& message)
{
    m_sortColumn = message.column;
    m_sortAscending = message.ascending;
    m_model.sort(message.column, message.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    // A model that had nothing to reorder says nothing; the page still learns the new order.
    OnOrderChanged();
}

void WebSession::Handle(const RowMessage& message)
{
    if (message.generation != m_generation) {
        SendError(QStringLiteral("stale-generation"),
                  QStringLiteral("the rows were reordered since generation %1; now %2")
                      .arg(message.generation).arg(m_generation));
        return;
    }
    if (message.row >= m_model.rowCount()) {
        SendError(QStringLiteral("no-such-row"), QStringLiteral("row %1 of %2").arg(message.row).arg(m_model.rowCount()));
        return;
    }
    m_selected = message.row < 0 ? QPersistentModelIndex() : QPersistentModelIndex(m_model.index(message.row, 0));
    MarkDirty();
    if (!m_engine) {
        return;
    }
    if (message.action == RowMessage::Action::Click) {
        m_engine->OnResultClick();
    } else if (message.action == RowMessage::Action::Connect) {
        m_engine->ConnectToSelected();
    } else if (message.action == RowMessage::Action::ServerInfo) {
        QueryServerInfo(message.row);
    }
}

void WebSession::QueryServerInfo(int row)
{
    m_serverInfo.reset();
    const QJsonObject number{{QStringLiteral("type"), QStringLiteral("serverinfo")},
                             {QStringLiteral("query"), ++m_serverInfoNumber}};
    const auto reply = [number](std::initializer_list<std::pair<QString, QJsonValue>> fields) {
        QJsonObject message = number;
        for (const auto& [name, value] : fields) {
            message.insert(name, value);
        }
        return message;
    };
    m_serverInfo = m_engine->QueryServerInfo(row);
    if (!m_serverInfo) {
        // As the native command: no window at all.
        Send(reply({{QStringLiteral("failure"), QString::fromLatin1(search::ServerInfoFailureName(
                                                    search::ServerInfoFailure::NoSuchRow))}}));
        return;
    }
    Send(reply({{QStringLiteral("title"), search::ServerInfoTitle(m_serverInfo->Server().nick)}}));
    connect(m_serverInfo.get(), &search::ServerInfoQuery::answered, this,
            [this, reply](const search::ServerInfoTexts& texts) {
                Send(reply({{QStringLiteral("download"), texts.download},
                            {QStringLiteral("upload"), texts.upload},
                            {QStringLiteral("count"), texts.count},
                            {QStringLiteral("size"), texts.size}}));
            });
    const search::ServerInfoQuery* query = m_serverInfo.get();
    connect(m_serverInfo.get(), &search::ServerInfoQuery::ended, this, [this, reply, query] {
        if (const auto failure = query->Failure()) {
            Send(reply({{QStringLiteral("failure"), QString::fromLatin1(search::ServerInfoFailureName(*failure))}}));
        }
    });
}

void WebSession::Handle(const ServerInfoCloseMessage&)
{
    m_serverInfo.reset();
}

void WebSession::OnOrderChanged()
{
    ++m_generation;
    MarkDirty(true);
}

void WebSession::SendError(const QString& reason, const QString& message)
{
    if (m_socket->bytesToWrite() > kMaxUnsentBytes) {
        return;
    }
    Send({{QStringLiteral("type"), QStringLiteral("error")},
          {QStringLiteral("reason"), reason},
          {QStringLiteral("message"), message}});
}

void WebSession::Send(const QJsonObject& message)
{
    m_socket->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void WebSession::MarkDirty(bool rows)
{
    m_dirty = true;
    m_rowsDirty = m_rowsDirty || rows;
    if (!m_pushTimer.isActive()) {
        m_pushTimer.start();
    }
}

void WebSession::Push()
{
    if (!m_dirty || m_socket->bytesToWrite() > kMaxUnsentBytes) {
        return;
    }
    QJsonArray buttons;
    for (const ButtonState& button : m_buttons) {
        buttons.append(QJsonObject{{QStringLiteral("enabled"), button.enabled},
                                   {QStringLiteral("visible"), button.visible}});
    }
    QJsonObject state{
        {QStringLiteral("type"), QStringLiteral("state")},
        {QStringLiteral("gen"), static_cast<qint64>(m_generation)},
        {QStringLiteral("rowCount"), m_model.rowCount()},
        {QStringLiteral("progress"), m_progress},
        {QStringLiteral("progressText"), m_progressText},
        {QStringLiteral("foundText"), m_foundText},
        {QStringLiteral("identity"), m_identity},
        {QStringLiteral("buttons"), buttons},
        {QStringLiteral("selected"), SelectedRow()},
        {QStringLiteral("sortColumn"), m_sortColumn},
        {QStringLiteral("sortAscending"), m_sortAscending},
    };
    if (m_rowsDirty) {
        state.insert(QStringLiteral("first"), m_windowFirst);
        state.insert(QStringLiteral("rows"), WindowJson(m_model, m_windowFirst, m_windowCount));
    }
    m_dirty = false;
    m_rowsDirty = false;
    Send(state);
}

void WebSession::SetButtonEnabled(search::PanelButton button, bool enabled)
{
    m_buttons.at(static_cast<std::size_t>(button) - 1).enabled = enabled;
    MarkDirty();
}

void WebSession::SetButtonVisible(search::PanelButton button, bool visible)
{
    m_buttons.at(static_cast<std::size_t>(button) - 1).visible = visible;
    MarkDirty();
}

void WebSession::SetProgressPosition(int percent)
{
    m_progress = percent;
    MarkDirty();
}

void WebSession::ShowProgressTexts(const QString& progress, const QString& found)
{
    m_progressText = progress;
    m_foundText = found;
    MarkDirty();
}

void WebSession::SetIdentityLabel(const QString& text)
{
    m_identity = text;
    MarkDirty();
}

int WebSession::SelectedRow() const
{
    return m_selected.isValid() ? m_selected.row() : -1;
}

void WebSession::ShowMessage(const QString& text)
{
    Push();
    Send({{QStringLiteral("type"), QStringLiteral("message")}, {QStringLiteral("text"), text}});
}

void WebSession::FireConnect(const std::string& nick, const std::string& folder)
{
    QString folderText;
    const int row = SelectedRow();
    if (row >= 0) {
        const std::string_view path = m_model.Row(row).record->path();
        folderText = Utf8Text(search::ConnectFolder(path).value_or(path));
    }
    Send({{QStringLiteral("type"), QStringLiteral("Connect")},
          {QStringLiteral("nick"), Utf8Text(nick)},
          {QStringLiteral("folder"), Utf8Text(folder)},
          {QStringLiteral("folderText"), folderText}});
}

} // namespace velkan::web
