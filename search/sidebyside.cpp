#include "search/sidebyside.h"

#include <exception>
#include <thread>

namespace velkan::search {

void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second)
{
    if (std::thread::hardware_concurrency() < 2) {
        first();
        second();
        return;
    }
    std::exception_ptr secondFailure;
    std::thread worker([&] {
        try {
            second();
        } catch (...) {
            secondFailure = std::current_exception();
        }
    });
    std::exception_ptr firstFailure;
    try {
        first();
    } catch (...) {
        firstFailure = std::current_exception();
    }
    worker.join();
    if (firstFailure) {
        std::rethrow_exception(firstFailure);
    }
    if (secondFailure) {
        std::rethrow_exception(secondFailure);
    }
}

} // namespace velkan::search
