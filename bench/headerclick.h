#pragma once

namespace velkan::bench {

// Drops the shown panel the header-click benchmark keeps between runs.
void ReleaseHeaderClickPanel();

} // namespace velkan::bench
