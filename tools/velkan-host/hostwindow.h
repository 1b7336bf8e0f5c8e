#pragma once

#include "comhost.h"
#include "propertyoptions.h"
#include "velkanfilesearch.h"

#include <QMainWindow>

class QLineEdit;
class QPlainTextEdit;

namespace velkan::comhost {
class EventSink;
} // namespace velkan::comhost

namespace velkan::host {

// The desktop host: a window that embeds the control below a row of the host's own commands
// (search, stop, about, properties) and logs every Connect event it receives.
class HostWindow : public QMainWindow {
    Q_OBJECT

public:
    HostWindow(comhost::CreatedObject control, const PropertyOptions& properties,
               const std::optional<std::string>& propertyFile, const std::optional<std::string>& appServer,
               int appServerPort);
    ~HostWindow() override;

    // The Connect event as the log shows it: the folder decoded from Base64 to text.
    static QString DescribeConnect(const std::string& nick, const std::string& folder);

protected:
    // The control follows the size of its site, whatever resized the site.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Invoke(com::DISPID member, std::vector<com::Variant> arguments);
    void LoadProperties();
    void SaveProperties();
    void ShowPropertyPage();
    void Log(const QString& line);

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
};

} // namespace velkan::host
