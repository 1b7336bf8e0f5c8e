#pragma once

#include "velkanpanelaccess.h"

#include <ostream>
#include <string>
#include <vector>

namespace velkan::host {

// Prints what the headless host saw, as a readable table or as one JSON object per line.
class SearchOutput {
public:
    SearchOutput(std::ostream& out, bool json) : m_out(out), m_json(json) {}

    void Rows(const std::vector<control::RowView>& rows);
    void Totals(const std::string& found, const std::string& progress);
    void ConnectEvent(const std::string& nick, const std::string& folder);
    void Message(const std::string& text);
    void ServerInfo(const control::ServerInfoView& info);

private:
    std::ostream& m_out;
    bool m_json;
};

// A JSON string literal, quotes included.
std::string JsonString(const std::string& utf8);

} // namespace velkan::host
