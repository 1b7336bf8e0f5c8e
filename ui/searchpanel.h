#pragma once

#include "ui/iconcache.h"
#include "ui/imagelist.h"
#include "search/resultmodel.h"
#include "search/searchengine.h"
#include "search/searchview.h"
#include "search/startupconfig.h"

#include <QByteArray>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

class QLabel;
class QProgressBar;

namespace velkan::ui {

class BitmapButton;
class ResultListCtrl;
class ServerInfoDialog;

// What the panel is given from outside; every member has the product's behaviour by default.
struct PanelSeams {
    search::SearchSeams search;
    // The panel's one message box.
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // Runs the server-information window modally.
    std::function<void(ServerInfoDialog& dialog)> runDialog;
};

// The control's whole visible surface: progress bar and texts, the results list and the row of
// picture buttons, laid out from the panel's dialog template and kept in place on every resize.
// It owns the search engine and shows what it does.
class SearchPanel : public QWidget, public search::SearchView {
    Q_OBJECT

public:
    explicit SearchPanel(PanelSeams seams = {}, QWidget* parent = nullptr);
    ~SearchPanel() override;

    // The start-up configuration from the control's properties; starts the stored search.
    void Initialize(const search::StartupProperties& properties);

    // The template's own size in pixels.
    [[nodiscard]] QSize TemplateSize() const;

    [[nodiscard]] search::SearchEngine& Engine() { return *m_engine; }
    [[nodiscard]] search::ResultModel& Model() { return m_model; }
    [[nodiscard]] IconCache& Icons() { return m_iconCache; }
    [[nodiscard]] ResultListCtrl& ResultList() const { return *m_list; }
    [[nodiscard]] BitmapButton& Button(search::PanelButton button) const;
    [[nodiscard]] QProgressBar& ProgressBar() const { return *m_progressBar; }
    [[nodiscard]] QLabel& ProgressLabel() const { return *m_progressLabel; }
    [[nodiscard]] QLabel& FoundLabel() const { return *m_foundLabel; }
    [[nodiscard]] QLabel& IdentityLabel() const { return *m_identityLabel; }

    // search::SearchView
    void SetButtonEnabled(search::PanelButton button, bool enabled) override;
    void SetButtonVisible(search::PanelButton button, bool visible) override;
    void SetProgressPosition(int percent) override;
    void ShowProgressTexts(const QString& progress, const QString& found) override;
    void SetIdentityLabel(const QString& text) override;
    [[nodiscard]] int SelectedRow() const override;
    void ShowMessage(const QString& text) override;
    void FireConnect(const std::string& nick, const std::string& folder) override;

signals:
    // The user asked to connect to a result's server: its nickname and the file's folder in
    // Base64, both as the service's CP949 bytes.
    void connectRequested(const QByteArray& nick, const QByteArray& folder);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetUpButtons();
    void SetUpList();
    void SetUpKeyboard();
    void SetUpAccessibleNames();
    [[nodiscard]] bool EscapeStops() const;
    void OnServerInfo();
    void Layout(int width, int height);

    PanelSeams m_seams;
    search::ResultModel m_model;
    ImageList m_folderPictures;
    IconCache m_iconCache;
    ResultListCtrl* m_list = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_progressLabel = nullptr;
    QLabel* m_foundLabel = nullptr;
    QLabel* m_identityLabel = nullptr;
    std::map<search::PanelButton, BitmapButton*> m_buttons;
    std::unique_ptr<search::SearchEngine> m_engine;
};

} // namespace velkan::ui
