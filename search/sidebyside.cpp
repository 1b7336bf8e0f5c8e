#include "search/sidebyside.h"

#include <exception>
#include <system_error>
#include <thread>

namespace velkan::search {

void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second)
{
    std::exception_ptr secondFailure;
    const auto runSecond = [&] {
        try {
            second();
        } catch (...) {
            secondFailure = std::current_exception();
        }
    };
    std::thread worker;
    if (std::thread::hardware_concurrency() >= 2) {
        try {
            worker = std::thread(runSecond);
        } catch (const std::system_error&) {
            // No thread to be had (the process is at its limit): the caller does both.
        }
    }
    std::exception_ptr firstFailure;
    try {
        first();
    } catch (...) {
        firstFailure = std::current_exception();
    }
    if (worker.joinable()) {
        worker.join();
    } else {
        runSecond();
    }
    if (firstFailure) {
        std::rethrow_exception(firstFailure);
    }
    if (secondFailure) {
        std::rethrow_exception(secondFailure);
    }
}

} // namespace velkan::search
