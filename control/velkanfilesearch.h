#pragma once

// The control's public face: its identifiers, the interfaces a host uses besides automation,
// and the module's entry points. Hosts include this header and velkancom.h only.

#include "velkancom.h"

#include <functional>
#include <string>

class QWidget;

namespace velkan::control {

using com::Guid;
using com::HRESULT;

// Fixed for ever: hosts and stored pages name the control by these.
extern const Guid CLSID_VelkanFileSearch;
extern const Guid CLSID_VelkanFileSearchPropPage;
extern const Guid LIBID_VELKANFILESEARCHLib;
extern const Guid DIID__DVelkanFileSearch;
extern const Guid DIID__DVelkanFileSearchEvents;
extern const Guid IID_IControlWindow;
extern const Guid IID_IVelkanPanelAccess;
extern const Guid IID_IPropertyPageWindow;

inline constexpr const char* kControlProgId = "VELKANFILESEARCH.VelkanFileSearchCtrl.1";

// Dispatch identifiers of _DVelkanFileSearch.
enum : com::DISPID {
    DISPID_PARAM = 1,
    DISPID_SEARCH = 2,
    DISPID_BANWORD = 3,
    DISPID_SEARCHBANWORD = 4,
    DISPID_REPLACEPARAM = 5,
    DISPID_VELKANSEARCH = 6,
    DISPID_STOPSEARCH = 7,
};

// Dispatch identifiers of _DVelkanFileSearchEvents.
enum : com::DISPID {
    DISPID_EVENT_CONNECT = 1,
    DISPID_EVENT_LOGIN = 2,
    DISPID_EVENT_CHKADULT = 3,
};

// The control's window life, driven by the host that embeds it (in place of in-place
// activation): the window is created as a child of the host's widget, follows its size, and
// goes when the host deactivates the control. A later CreateWindow starts afresh.
class IControlWindow : public com::IUnknown {
public:
    // Creates the search panel, which reads the properties and may start the stored search.
    virtual HRESULT CreateWindow(QWidget* parent) = 0;
    virtual HRESULT SetSize(int width, int height) = 0;
    // Shuts the panel down: closes every connection and waits for a running fetch.
    virtual HRESULT DestroyWindow() = 0;
    // The control's window, or null while it has none.
    [[nodiscard]] virtual QWidget* Window() = 0;

protected:
    ~IControlWindow() = default;
};

// What a host sees of one result row, as its columns show it (UTF-8).
struct RowView {
    std::string nick;
    std::string name;
    std::string size;
    std::string date;
    int speedLevel = 0; // 1 to 5
    int image = -1;
};

// The four values the server-information window shows (UTF-8).
struct ServerInfoView {
    std::string download;
    std::string upload;
    std::string count;
    std::string size;
};

// A C++ seam for the Linux hosts and tests, reachable by QueryInterface only (never through
// automation): where the application server is, and a view of the panel that a headless host
// can drive. Calls that need the panel fail with E_UNEXPECTED while there is no window.
class IVelkanPanelAccess : public com::IUnknown {
public:
    // Takes effect for windows created afterwards.
    virtual HRESULT SetAppServer(const std::string& host, int port) = 0;
    // Replaces the panel's message box (takes effect for windows created afterwards).
    virtual HRESULT SetMessageHandler(std::function<void(const std::string& text)> handler) = 0;
    // Called once whenever the search comes to rest: the fetch failed, or the list is used up
    // and every connection closed, or the user stopped it.
    virtual HRESULT SetIdleHandler(std::function<void()> handler) = 0;

    virtual HRESULT RowCount(int* rows) = 0;
    virtual HRESULT Row(int row, RowView* view) = 0;
    virtual HRESULT FoundText(std::string* text) = 0;
    virtual HRESULT ProgressText(std::string* text) = 0;
    // Selects the row as a click would and runs the double-click action; E_INVALIDARG (and
    // the action with no selection) for a row that does not exist.
    virtual HRESULT ConnectToRow(int row) = 0;
    // Opens the server-information window for the row's server without blocking; answered
    // runs with the values once they arrive, ended once the conversation is over, answered or
    // not (the server closed, refused or did not answer the connect in time). E_INVALIDARG when
    // the row or its server is not there.
    virtual HRESULT QueryServerInfo(int row, std::function<void(const ServerInfoView&)> answered,
                                    std::function<void()> ended = {}) = 0;

protected:
    ~IVelkanPanelAccess() = default;
};

// The property page object: makes its page (a widget) for a property-sheet host.
class IPropertyPageWindow : public com::IUnknown {
public:
    [[nodiscard]] virtual QWidget* CreatePage(QWidget* parent) = 0;

protected:
    ~IPropertyPageWindow() = default;
};

} // namespace velkan::control

// The module's entry points, looked up by name with dlsym.
extern "C" {
velkan::com::HRESULT DllGetClassObject(const velkan::com::Guid& clsid, const velkan::com::Guid& iid,
                                       void** object);
velkan::com::HRESULT DllCanUnloadNow();
velkan::com::HRESULT DllRegisterServer();
velkan::com::HRESULT DllUnregisterServer();
}
