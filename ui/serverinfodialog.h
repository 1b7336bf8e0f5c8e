#pragma once

#include "search/serverinfoquery.h"

#include <QDialog>

#include <memory>
#include <string>

class QLabel;

namespace velkan::channel {
class BlowFish;
}

namespace velkan::ui {

class BitmapButton;

// The server-information window: shows what a query of one sharing server hands back, which
// connects 100 ms after it starts, once the window is up. The search goes on meanwhile; the
// conversation ends with the window.
class ServerInfoDialog : public QDialog {
    Q_OBJECT

public:
    // A query the engine started for a row.
    explicit ServerInfoDialog(std::unique_ptr<search::ServerInfoQuery> query, QWidget* parent = nullptr);
    // Starts a query of the server at that address itself.
    ServerInfoDialog(channel::BlowFish& cipher, const std::string& nick, const std::string& host,
                     int port, search::ServerInfoQuerySettings settings = {},
                     QWidget* parent = nullptr);

    // The texts shown, for the panel's host and for tests.
    [[nodiscard]] QString TitleText() const;
    [[nodiscard]] QString DownloadText() const;
    [[nodiscard]] QString UploadText() const;
    [[nodiscard]] QString SharedCountText() const;
    [[nodiscard]] QString SharedSizeText() const;
    [[nodiscard]] BitmapButton& OkButton() const { return *m_ok; }

signals:
    void valuesShown();
    // The conversation with the server is over, answered or not.
    void queryEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* AddLabel(const QString& text, QRect geometry, bool value);
    void Show(const search::ServerInfoTexts& texts);

    std::unique_ptr<search::ServerInfoQuery> m_query;
    QLabel* m_title = nullptr;
    QLabel* m_download = nullptr;
    QLabel* m_upload = nullptr;
    QLabel* m_sharedSize = nullptr;
    QLabel* m_sharedCount = nullptr;
    BitmapButton* m_ok = nullptr;
};

} // namespace velkan::ui
