#pragma once

#include "tools/velkan-search/searchoptions.h"

#include <ostream>

namespace velkan::host {

// Runs one search through the control as a page would: created by its ProgID through the
// registry, given its properties as a stored set, activated on the offscreen platform, left to
// finish. Returns the exit status.
int RunHeadlessSearch(const SearchOptions& options, std::ostream& out, std::ostream& err);

} // namespace velkan::host
