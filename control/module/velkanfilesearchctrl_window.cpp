// The control's window life: the search panel made in the host's widget, sized by the host,
// and shut down with everything it opened.

#include "control/module/velkanfilesearchctrl.h"

#include "control/appserver/appserversetting.h"
#include "control/module/controlextent.h"
#include "ui/searchpanel.h"
#include "ui/serverinfodialog.h"

#include <QApplication>
#include <QDebug>

namespace velkan::control {

using com::S_OK;

HRESULT CVelkanFileSearchCtrl::CreateWindow(QWidget* parent)
{
    if (m_panel) {
        return com::E_UNEXPECTED;
    }
    // Widgets need the host's QApplication.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return com::E_UNEXPECTED;
    }
    ui::PanelSeams seams;
    if (m_appServer) {
        seams.search.appServer = *m_appServer;
    } else {
        // No host chose a server: the environment may, so that any host can be tried against
        // a local network.
        const EnvironmentAppServer setting = AppServerFromEnvironment();
        if (setting.server) {
            seams.search.appServer.host = setting.server->first;
            seams.search.appServer.port = setting.server->second;
        } else if (!setting.warning.empty()) {
            qWarning().noquote() << QString::fromStdString(setting.warning);
        }
    }
    if (m_messageHandler) {
        seams.showMessage = [handler = m_messageHandler](QWidget*, const QString& text) {
            handler(text.toStdString());
        };
    }
    auto* panel = new ui::SearchPanel(std::move(seams), parent);
    m_panel = panel;
    QObject::connect(panel, &ui::SearchPanel::connectRequested, panel,
                     [this](const QByteArray& nick, const QByteArray& folder) {
                         OnConnectRequested(nick.toStdString(), folder.toStdString());
                     });
    QObject::connect(&panel->Engine(), &search::SearchEngine::searchIdle, panel, [this] {
        if (m_idleHandler) {
            m_idleHandler();
        }
    });
    ForwardOutcomes(*panel);
    // A panel that goes with its parent takes its server-information windows along: they
    // use its engine's cipher.
    m_panelDestroyed = QObject::connect(panel, &QObject::destroyed, [this] { CloseServerInfoDialogs(); });
    // A form designer shows the panel as it looks before any search.
    panel->Initialize({.param = m_param, .search = m_designMode ? std::string() : m_search,
                       .searchBanWord = m_searchBanWord, .replaceParam = m_replaceParam});
    panel->show();
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetSize(int width, int height)
{
    if (width < 0 || height < 0) {
        return com::E_INVALIDARG;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    // A size too small or too large to record keeps the extent the host gave before.
    if (const std::optional<QSize> extent = HimetricExtent(QSize(width, height))) {
        m_extent = *extent;
    }
    m_panel->setGeometry(0, 0, width, height);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::DestroyWindow()
{
    CloseServerInfoDialogs();
    if (ui::SearchPanel* panel = m_panel.data()) {
        m_panel = nullptr;
        QObject::disconnect(m_panelDestroyed);
        delete panel;
    }
    return S_OK;
}

QWidget* CVelkanFileSearchCtrl::Window()
{
    return m_panel.data();
}

ui::SearchPanel* CVelkanFileSearchCtrl::Panel() const
{
    return m_panel.data();
}

void CVelkanFileSearchCtrl::CloseServerInfoDialogs()
{
    for (const QPointer<ui::ServerInfoDialog>& dialog : m_serverInfoDialogs) {
        delete dialog.data();
    }
    m_serverInfoDialogs.clear();
}

} // namespace velkan::control
