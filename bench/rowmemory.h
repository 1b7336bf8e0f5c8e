#pragma once

namespace velkan::bench {

// search_bench runs itself with this option, a port and a search text for the panel alone in
// the row-memory figures.
inline constexpr const char* kRowMemoryPanelOption = "--row-memory-panel";

// Shows a panel, runs one search against the application server on 127.0.0.1 at port until it
// rests, and prints the rows listed.
int RunRowMemoryPanel(int port, const char* searchText);

} // namespace velkan::bench
