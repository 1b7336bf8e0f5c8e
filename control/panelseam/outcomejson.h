#pragma once

// The outcome of each server a search contacted and of its server-list fetch as JSON objects,
// keyed alike for every host that shows them: velkan-search's records and the widget's
// outcomes() both come from here.

#include "control/panelseam/velkanpanelaccess.h"

#include <QJsonObject>

namespace velkan::control {

// One server: where it is, its outcome, how its connection ended, and its figures (times null
// when they never came, error null when none).
QJsonObject OutcomeJson(const ServerOutcomeView& outcome);
// The server-list fetch: its outcome and what became of the list's entries.
QJsonObject FetchJson(const FetchOutcomeView& fetch);

} // namespace velkan::control
