#pragma once

#include "tools/velkan-search/listedrow.h"
#include "tools/velkan-search/recordwriter.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velkan::host {

// The panel's counts when the search came to rest: the texts it shows and their numbers.
struct SearchSummary {
    int found = 0;
    std::string foundText;
    std::optional<int> progress;
    std::string progressText;
    std::string tally; // "120 servers: 97 answered, 12 refused": the table's last line
};

// Visits every row of the list, in list order.
using RowVisit = std::function<void(const std::function<void(const ListedRow&)>& visit)>;

// Prints what the headless host saw, as a readable table or as JSON Lines. JSON records are
// written the moment they are known; the table is printed once the search has come to rest,
// with whatever was said before that after it. Neither keeps the rows: the table reads them
// from the list, once for the columns' widths and once to print them.
class SearchOutput {
public:
    SearchOutput(std::ostream& out, bool json) : m_out(out), m_records(out), m_json(json) {}

    // A row's JSON record; the table takes its rows in Summary.
    void Row(const ListedRow& row);
    void Summary(const SearchSummary& summary, const RowVisit& rows);
    // folder: the folder as text; eventFolder: the event's argument exactly as raised.
    void ConnectEvent(const std::string& nick, const std::string& folder, const std::string& eventFolder);
    void Message(const std::string& text);
    void ServerInfo(const control::ServerInfoView& info);
    // why: "no-such-row", "refused", "closed", "malformed" or "timeout".
    void ServerInfoUnanswered(const std::string& why);
    // One record (or line) for each server the search contacted and one for the fetch.
    void Outcomes(const std::vector<control::ServerOutcomeView>& servers, const control::FetchOutcomeView& fetch);

private:
    void Line(std::string text);
    void Table(const RowVisit& rows);

    std::ostream& m_out;
    RecordWriter m_records;
    bool m_json;
    bool m_summarised = false;
    std::vector<std::string> m_heldLines; // said during the search, printed after the table
};

} // namespace velkan::host
