#pragma once

// The C++ seam between the control and our own hosts (the tools, the Qt widget) and tests:
// reachable by QueryInterface only, never through automation, and not part of the installed
// headers, so it may change with the control.

#include "search/outcomefigures.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velkan::control {

// The seam crosses the module boundary into the installed widget library, so a change of
// IVelkanPanelAccess or of a struct it passes takes a new identifier, and the one it replaces
// goes to the front of kOlderPanelAccessIids: a host that meets an older module then learns so
// instead of calling a method the module does not have.
extern const Guid IID_IVelkanPanelAccess;
// What earlier shapes of the seam answered to, newest first.
extern const std::array<Guid, 2> kOlderPanelAccessIids;

class IVelkanPanelAccess;

// What a host finds on a control object: the seam it needs (*access holds a reference), one
// that is older than it needs, or none.
enum class PanelAccessFound { Current, Older, None };
PanelAccessFound FindPanelAccess(com::IUnknown& object, IVelkanPanelAccess** access);

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
    // The folder the row's Connect event names, as text and as the event carries it: Base64 of
    // the folder's CP949 bytes, or the unencoded path for a file outside any folder.
    std::string folderText;
    std::string rawFolder;
};

// The four values the server-information window shows (UTF-8).
struct ServerInfoView {
    std::string download;
    std::string upload;
    std::string count;
    std::string size;
};

// What became of one server the current search contacted (texts UTF-8). outcome is the first
// of "answered", "refused", "connect-timeout", "too-much-input", "over-budget", "silent",
// "reset", "not-understood", "no-reply", "still-open" that applies.
struct ServerOutcomeView {
    std::string nick;
    std::string host;
    int port = 0;
    std::string address; // the address contacted, dotted; empty while none is known
    std::string outcome;
    std::string end; // how its connection ended: "closed-by-peer", "idle", "reset", ...
    // findLines, otherLines (complete lines that were no find reply), items parsed, rows
    // added, the items each rule dropped, bytes each way, and firstByteMs and closeMs from the
    // start of the connect (-1: nothing arrived, or still open).
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_FIGURE_MEMBER)
    std::string error; // the system's text, or empty
};

// The fetch of the server list behind the current search. outcome is "fetching", "listed",
// or why no list came: "refused", "connect-timeout", "silent", "no-reply", "reset",
// "too-much-input", "over-budget", "no-socket", "still-open".
struct FetchOutcomeView {
    std::string outcome;
    // reused (the list of an earlier fetch, less than a minute old), connected, lines (complete
    // lines received, empty ones included), bytesReceived, entries of the list line, kept, the
    // entries left out for the first reason that applies (malformed: fewer than four fields,
    // badPort: a port outside 1-65535, hostTooLong, hidden: flag 0x02, hiddenByOption: flag 0x04
    // under option 0x40), elapsedMs.
    VELKAN_FETCH_FIGURES(VELKAN_FIGURE_MEMBER)
    std::string error;
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
    // Whether every file-type picture the list shows is the one it keeps: the icon theme has
    // been read and no stand-in waits to be replaced. A host taking a picture of the panel
    // waits for this.
    virtual HRESULT PicturesFinal(bool* isFinal) = 0;
    // While the Connect event is being raised: the folder of the row that raised it as text
    // (UTF-8), the path before its last backslash, or the whole path when the event carries it
    // unencoded. E_UNEXPECTED at any other time.
    virtual HRESULT ConnectFolder(std::string* text) = 0;
    // Selects the row as a click would and runs the double-click action; E_INVALIDARG (and
    // the action with no selection) for a row that does not exist.
    virtual HRESULT ConnectToRow(int row) = 0;
    // Opens the server-information window for the row's server without blocking; answered
    // runs with the values once they arrive, ended once the conversation is over, with an empty
    // text when an answer came and otherwise why none did: "refused", "closed" (before the
    // server said anything), "malformed" (no valid answer) or "timeout" (the connect).
    // E_INVALIDARG when the row or its server is not there.
    virtual HRESULT QueryServerInfo(int row, std::function<void(const ServerInfoView&)> answered,
                                    std::function<void(const std::string& unanswered)> ended = {}) = 0;

    // server runs each time a server's outcome is settled, fetch each time a fetch of the
    // server list ends; either may be empty. Takes effect for windows created afterwards.
    virtual HRESULT SetOutcomeHandlers(std::function<void(const ServerOutcomeView&)> server,
                                       std::function<void(const FetchOutcomeView&)> fetch) = 0;
    // Every server the current search contacted, in the order contacted, those still
    // connected with their figures so far, and the fetch behind the search's list.
    virtual HRESULT Outcomes(std::vector<ServerOutcomeView>* servers, FetchOutcomeView* fetch) = 0;
    // "120 servers: 97 answered, 12 refused, 6 silent": the current search's outcomes counted,
    // those still connected by what they have done so far.
    virtual HRESULT OutcomeTally(std::string* text) = 0;

protected:
    ~IVelkanPanelAccess() = default;
};

} // namespace velkan::control
