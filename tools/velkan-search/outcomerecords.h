#pragma once

#include "control/panelseam/velkanpanelaccess.h"

#include <string>

namespace velkan::host {

// The outcome and fetch records (outcomejson.h) as one readable line each, without the line
// break.
std::string OutcomeLine(const control::ServerOutcomeView& outcome);
std::string FetchLine(const control::FetchOutcomeView& fetch);

} // namespace velkan::host
