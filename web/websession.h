#pragma once

#include "search/imageindexprovider.h"
#include "web/pagemessage.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"
#include "search/searchview.h"

#include <QJsonObject>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class QWebSocket;

namespace velkan::web {

// The page draws file pictures from the bridge by extension, so a row's picture number only
// tells folder pictures apart.
class WebImages : public search::ImageIndexProvider {
public:
    static constexpr int kFilePicture = -1;
    int ImageIndexFor(std::string_view) override { return kFilePicture; }
    int BuiltInImageIndex(int picture) override { return picture; }
};

// One control of a page: one engine session on one WebSocket, the engine seeing the page
// through the same view the native panel gives it. Rows stay here; the page asks for the
// window it shows, and every message naming a row carries the order generation it saw.
class WebSession : public QObject, private search::SearchView {
    Q_OBJECT

public:
    // Takes the socket. A page that leaves unread more than kMaxUnsentBytes gets no state until
    // it reads again, then the latest.
    static constexpr qint64 kMaxUnsentBytes = 1024 * 1024;
    static constexpr int kPushIntervalMs = 16;

    WebSession(QWebSocket* socket, search::SearchSeams seams, QObject* parent = nullptr);
    ~WebSession() override;

    [[nodiscard]] QWebSocket* Socket() const { return m_socket; }
    [[nodiscard]] const search::SearchEngine* Engine() const { return m_engine.get(); }
    [[nodiscard]] search::ResultModel& Model() { return m_model; }

signals:
    // The page closed or went away; the session has closed every connection by now.
    void finished();

private:
    void OnText(const QString& text);
    void Handle(const ActivateMessage& message);
    void Handle(const SearchMessage& message);
    void Handle(const StopMessage& message);
    void Handle(const WindowMessage& message);
    void Handle(const SortMessage& message);
    void Handle(const RowMessage& message);
    void Handle(const ServerInfoCloseMessage& message);
    void QueryServerInfo(int row);
    void SendError(const QString& reason, const QString& message);
    void Send(const QJsonObject& message);
    void MarkDirty(bool rows = false);
    void Push();
    void OnOrderChanged();

    // SearchView
    void SetButtonEnabled(search::PanelButton button, bool enabled) override;
    void SetButtonVisible(search::PanelButton button, bool visible) override;
    void SetProgressPosition(int percent) override;
    void ShowProgressTexts(const QString& progress, const QString& found) override;
    void SetIdentityLabel(const QString& text) override;
    [[nodiscard]] int SelectedRow() const override;
    void ShowMessage(const QString& text) override;
    void FireConnect(const std::string& nick, const std::string& folder) override;

    struct ButtonState {
        bool enabled = true;
        bool visible = true;
    };

    QWebSocket* m_socket;
    search::SearchSeams m_seams;
    search::ResultModel m_model;
    WebImages m_images;
    std::unique_ptr<search::SearchEngine> m_engine;
    // The server-information window's conversation, one at a time as the native window is
    // modal; numbered so that the page can tell a closed window's late answer from the open one's.
    std::unique_ptr<search::ServerInfoQuery> m_serverInfo;
    int m_serverInfoNumber = 0;
    std::array<ButtonState, 4> m_buttons{};
    int m_progress = 0;
    QString m_progressText;
    QString m_foundText;
    QString m_identity;
    QPersistentModelIndex m_selected;
    std::uint32_t m_generation = 0;
    int m_windowFirst = 0;
    int m_windowCount = 0;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_dirty = false;
    bool m_rowsDirty = false;
    QTimer m_pushTimer;
};

} // namespace velkan::web
