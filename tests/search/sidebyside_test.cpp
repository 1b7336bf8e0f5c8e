#include "search/sidebyside.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace velkan::search;

namespace {

TEST(InTwoHalves, EveryItemIsWorkedOnceBelowAndAboveTheSplit)
{
    for (const std::size_t count : {std::size_t{0}, std::size_t{7}, kWorthASecondThread, kWorthASecondThread + 1}) {
        SCOPED_TRACE(count);
        std::vector<int> visits(count);
        InTwoHalves(count, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                ++visits[i];
            }
        });
        EXPECT_EQ(std::count(visits.begin(), visits.end(), 1), static_cast<std::ptrdiff_t>(count));
    }
}

TEST(RunSideBySide, AFailureOnEitherSideReachesTheCallerAfterBothAreDone)
{
    for (const bool secondFails : {false, true}) {
        SCOPED_TRACE(secondFails ? "second fails" : "first fails");
        bool firstDone = false;
        bool secondDone = false;
        const auto fail = [] { throw std::runtime_error("no memory for the sort"); };
        EXPECT_THROW(RunSideBySide(
                         [&] {
                             firstDone = true;
                             if (!secondFails) {
                                 fail();
                             }
                         },
                         [&] {
                             secondDone = true;
                             if (secondFails) {
                                 fail();
                             }
                         }),
                     std::runtime_error);
        EXPECT_TRUE(firstDone);
        EXPECT_TRUE(secondDone);
    }
}

} // namespace
