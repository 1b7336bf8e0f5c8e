#pragma once

#include "velkanfilesearch/comhost.h"
#include "tools/velkan-host/hostcommandline.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <QMainWindow>
#include <QSettings>
#include <QTimer>

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace velkan::comhost {
class EventSink;
} // namespace velkan::comhost

namespace velkan::control {
class IVelkanPanelAccess;
} // namespace velkan::control

namespace velkan::host {

class OutcomeWindow;

// The desktop host: a window that embeds the control below a row of the host's own commands
// (search, stop, about, properties, the servers' outcomes), shows the tally of the search's
// outcomes under it and logs every Connect event it receives.
class HostWindow : public QMainWindow {
    Q_OBJECT

public:
    HostWindow(comhost::CreatedObject control, const HostOptions& options);
    ~HostWindow() override;

    // The Connect event as the log shows it: the folder decoded from Base64 to text.
    static QString DescribeConnect(const std::string& nick, const std::string& folder);

    // Opens (or raises) the window listing each server's outcome.
    void ShowOutcomes();
    [[nodiscard]] OutcomeWindow* Outcomes() const { return m_outcomes; }
    // Once the stored search comes to rest, or once the window shows when there is none: opens
    // the outcome window, writes pictures of both windows (file and NAME-outcomes.png beside
    // it) and quits the application with 0, or 1 when a picture cannot be written. False when
    // the control offers no way to wait.
    bool Screenshot(const QString& file);
    // The line under the panel: the current search's outcomes counted.
    [[nodiscard]] QString StatusText() const;

protected:
    // The control follows the size of its site, whatever resized the site.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Invoke(com::DISPID member, std::vector<com::Variant> arguments);
    // Writes the control's properties to the user's settings when the host keeps them.
    void KeepProperties();
    void LoadProperties();
    void SaveProperties();
    void ShowPropertyPage();
    void Log(const QString& line);
    // Brings the status line and an open outcome window up to date.
    void Refresh();

    comhost::CreatedObject m_control;
    com::IDispatch* m_dispatch = nullptr;
    control::IControlWindow* m_window = nullptr;
    com::IPersistPropertyBag* m_persist = nullptr;
    com::IConnectionPoint* m_events = nullptr;
    std::uint32_t m_cookie = 0;
    comhost::EventSink* m_sink = nullptr;
    QWidget* m_site = nullptr;
    QLineEdit* m_searchBox = nullptr;
    QPlainTextEdit* m_log = nullptr;
    control::IVelkanPanelAccess* m_access = nullptr;
    QLabel* m_status = nullptr;
    OutcomeWindow* m_outcomes = nullptr;
    // Outcomes settle by the hundred in a busy search: the view follows a few times a second.
    QTimer m_refresh;
    // Present when the properties are kept between runs.
    std::optional<QSettings> m_settings;
};

} // namespace velkan::host
