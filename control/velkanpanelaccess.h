#pragma once

// The C++ seam between the control and our own hosts (the tools, the Qt widget) and tests:
// reachable by QueryInterface only, never through automation, and not part of the installed
// headers, so it may change with the control.

#include "velkanfilesearch.h"

#include <cstdint>
#include <functional>
#include <string>

namespace velkan::control {

extern const Guid IID_IVelkanPanelAccess;

// What a host sees of one result row, as its columns show it (UTF-8).
struct RowView {
    std::string nick;
    std::string name;
    std::string size;
    std::string date;
    int speedLevel = 0; // 1 to 5
    int image = -1;
    bool folder = false;
    std::int64_t bytes = -1; // a file row's size; the size column shows it rounded
};

// The four values the server-information window shows (UTF-8).
struct ServerInfoView {
    std::string download;
    std::string upload;
    std::string count;
    std::string size;
};

// Where the application server is, and a view of the panel that a headless host can drive.
// Calls that need the panel fail with E_UNEXPECTED while there is no window.
class IVelkanPanelAccess : public com::IUnknown {
public:
    // Takes effect for windows created afterwards.
    virtual HRESULT SetAppServer(const std::string& host, int port) = 0;
    // Replaces the panel's message box (takes effect for windows created afterwards).
    virtual HRESULT SetMessageHandler(std::function<void(const std::string& text)> handler) = 0;
    // Called once whenever the search comes to rest: the fetch failed, or the list is used up
    // and every connection closed, or the user stopped it.
    virtual HRESULT SetIdleHandler(std::function<void()> handler) = 0;
    // For a form designer: windows created afterwards show the panel but start no search,
    // neither the stored one nor VelkanSearch's.
    virtual HRESULT SetDesignMode(bool designMode) = 0;

    virtual HRESULT RowCount(int* rows) = 0;
    virtual HRESULT Row(int row, RowView* view) = 0;
    virtual HRESULT FoundText(std::string* text) = 0;
    virtual HRESULT ProgressText(std::string* text) = 0;
    // The progress bar's position, 0 to 100.
    virtual HRESULT Progress(int* percent) = 0;
    // While the Connect event is being raised: the folder of the row that raised it as text
    // (UTF-8), the path before its last backslash, or the whole path when the event carries it
    // unencoded. E_UNEXPECTED at any other time.
    virtual HRESULT ConnectFolder(std::string* text) = 0;
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

} // namespace velkan::control
