#include "tools/velkan-localnet/commandline.h"
#include "tools/velkan-localnet/network.h"
#include "tools/velkan-localnet/socketutil.h"
#include "velkanversion.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <pthread.h>
#include <string>
#include <variant>
#include <vector>

using namespace velkan::localnet;

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = ParseCommandLine(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "velkan-localnet: " << *error << "\n" << Usage();
        return 2;
    }
    const CommandLine& commandLine = std::get<CommandLine>(parsed);
    if (commandLine.help) {
        std::cout << Usage();
        return 0;
    }
    if (commandLine.version) {
        std::cout << "velkan-localnet " << velkan::version::kProjectVersion << "\n";
        return 0;
    }

    // Blocked before the network's thread exists, so only sigwait below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        const std::size_t listeners = 1 + commandLine.peers + commandLine.shares.size();
        RaiseOpenFileLimit(listeners * 2 + 1024);

        NetworkOptions options;
        options.appServerPort = commandLine.port;
        options.seed = commandLine.seed;
        options.keepRecords = false;
        Network network(options);
        network.SetErrorCallback([](const std::string& line) {
            // One write per line, so lines from the network's thread never interleave.
            const std::string text = "velkan-localnet: " + line + "\n";
            std::fwrite(text.data(), 1, text.size(), stderr);
        });
        for (const std::string& line : PopulateNetwork(network, commandLine)) {
            std::cout << line << '\n';
        }
        std::cout.flush();
        network.Start();

        int signal = 0;
        sigwait(&stopSignals, &signal);
        network.Stop();
    } catch (const std::exception& error) {
        std::cerr << "velkan-localnet: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
