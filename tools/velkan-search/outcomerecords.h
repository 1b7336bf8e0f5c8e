#pragma once

#include "velkanpanelaccess.h"

#include <QJsonObject>

#include <string>

namespace velkan::host {

// The "outcome" record of one server the search contacted: where it is, its outcome, how its
// connection ended, and its figures (times null when they never came, error null when none).
QJsonObject OutcomeRecord(const control::ServerOutcomeView& outcome);
// The "fetch" record of the server-list fetch: its outcome and what became of the list's entries.
QJsonObject FetchRecord(const control::FetchOutcomeView& fetch);

// The same as one readable line each, without the line break.
std::string OutcomeLine(const control::ServerOutcomeView& outcome);
std::string FetchLine(const control::FetchOutcomeView& fetch);

} // namespace velkan::host
