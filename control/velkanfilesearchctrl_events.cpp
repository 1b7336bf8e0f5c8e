// The control's outgoing interface: the one connection point and the Connect event.

#include "velkanfilesearchctrl.h"

#include "automationtext.h"

namespace velkan::control {

void CVelkanFileSearchCtrl::FireConnect(const std::string& nick, const std::string& folder)
{
    m_events.Fire(DISPID_EVENT_CONNECT, {FromCp949(nick), FromCp949(folder)});
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
