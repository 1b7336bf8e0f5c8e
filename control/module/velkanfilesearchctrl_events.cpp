// The control's outgoing interface: the one connection point and the Connect event.

#include "control/module/velkanfilesearchctrl.h"

#include "control/module/automationtext.h"
#include "search/connectfolder.h"
#include "channel/cp949convert.h"
#include "ui/searchpanel.h"

namespace velkan::control {

void CVelkanFileSearchCtrl::FireConnect(const std::string& nick, const std::string& folder)
{
    m_events.Fire(DISPID_EVENT_CONNECT, {FromCp949(nick), FromCp949(folder)});
}

void CVelkanFileSearchCtrl::OnConnectRequested(const std::string& nick, const std::string& folder)
{
    // The event's folder is Base64 or the bare path depending on the path; a host that wants
    // the text asks ConnectFolder while the event is under way.
    const int row = m_panel ? m_panel->SelectedRow() : -1;
    if (row >= 0 && row < m_panel->Model().rowCount()) {
        const std::string_view path = m_panel->Model().Row(row).record->path();
        m_connectFolder = cp949::ToUtf8(search::ConnectFolder(path).value_or(path));
    }
    FireConnect(nick, folder);
    m_connectFolder.reset();
}

HRESULT CVelkanFileSearchCtrl::FindConnectionPoint(const Guid& iid, com::IConnectionPoint** point)
{
    if (point == nullptr) {
        return com::E_POINTER;
    }
    *point = nullptr;
    if (iid != DIID__DVelkanFileSearchEvents) {
        return com::CONNECT_E_NOCONNECTION;
    }
    *point = &m_events;
    m_events.AddRef();
    return com::S_OK;
}

} // namespace velkan::control
