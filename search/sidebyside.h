#pragma once

#include <cstddef>
#include <functional>

namespace velkan::search {

// Runs first on the calling thread and second on a thread of its own at the same time, when the
// machine has a second core and a thread can be started; otherwise one after the other. Returns
// when both are done; an exception from either is rethrown here. The two must not touch the same
// memory.
void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second);

// How many rows a pass over them must have for a second thread to save more than it costs.
constexpr std::size_t kWorthASecondThread = std::size_t{1} << 16;

// work(begin, end) over [0, count): in two halves side by side from kWorthASecondThread on, all
// at once on the calling thread below it.
template <typename Work> void InTwoHalves(std::size_t count, const Work& work)
{
    if (count < kWorthASecondThread) {
        work(std::size_t{0}, count);
        return;
    }
    const std::size_t half = count / 2;
    RunSideBySide([&] { work(std::size_t{0}, half); }, [&] { work(half, count); });
}

} // namespace velkan::search
