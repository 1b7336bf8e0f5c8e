// The search engine measured: reply handling, the results list at a million rows, whole searches
// against a local network and the first reply of a panel. bench/run-benchmarks prints each
// figure as a ratio against the baseline measured in the same run.

#include "bench/firstreply.h"
#include "bench/headerclick.h"
#include "bench/handlertimer.h"
#include "bench/rowmemory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Five hundred local peers listen in this process beside the engine's own sockets.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    velkan::bench::HandlerTimingApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], velkan::bench::kFirstReplySampleOption) == 0) {
        return velkan::bench::RunFirstReplySample(std::strcmp(argv[2], "1") == 0);
    }
    if (argc == 4 && std::strcmp(argv[1], velkan::bench::kRowMemoryPanelOption) == 0) {
        return velkan::bench::RunRowMemoryPanel(std::atoi(argv[2]), argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    velkan::bench::ReleaseHeaderClickPanel();
    return 0;
}
