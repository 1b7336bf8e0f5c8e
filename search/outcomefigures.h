#pragma once

// The figures our hosts are told about each server a search contacted and about the fetch of
// its list, each declared once: the log lines, the seam's views, velkan-search's records and the
// desktop host's table are all expanded from these lists, in this order. A figure is
// X(name, path, kind, title): its name in logs and records and its member in the views; where
// it sits in ServerOutcome or FetchOutcome (a prefix of nested members, or nothing); what kind
// of number it is; and its column title in the host's table (nullptr: no column).

#include <cstdint>

namespace velkan::search {

enum class FigureKind {
    Count,   // a count
    Dropped, // items of find replies one filter rule left out
    Bytes,   // a byte count, which may pass 2^31
    Time,    // milliseconds from the start of the connect; -1: it never came
    Flag,    // yes or no; 1 or 0 in a log line
};

template <FigureKind kind> struct FigureValue {
    using Type = int;
    static constexpr Type kInitial = 0;
};
template <> struct FigureValue<FigureKind::Bytes> {
    using Type = std::int64_t;
    static constexpr Type kInitial = 0;
};
template <> struct FigureValue<FigureKind::Time> {
    using Type = int;
    static constexpr Type kInitial = -1;
};
template <> struct FigureValue<FigureKind::Flag> {
    using Type = bool;
    static constexpr Type kInitial = false;
};

} // namespace velkan::search

// What the items of a server's find replies came to, as ReplyTally keeps them.
#define VELKAN_REPLY_TALLY_FIGURES(X)                                                              \
    X(items, items., Count, "Items")                                                               \
    X(rows, items., Count, "Rows")                                                                 \
    X(adult, items., Dropped, "Adult")                                                             \
    X(strictBanWords, items., Dropped, "Strict words")                                             \
    X(personFolder, items., Dropped, "Person folder")                                              \
    X(banWords, items., Dropped, "Ban words")                                                      \
    X(rowLimit, items., Dropped, "Row bound")

// One server a search contacted, after its nick, host, port, outcome and end, before the
// address contacted and its error.
#define VELKAN_SERVER_OUTCOME_FIGURES(X)                                                           \
    X(findLines, , Count, nullptr)                                                                 \
    X(otherLines, , Count, nullptr)                                                                \
    VELKAN_REPLY_TALLY_FIGURES(X)                                                                  \
    X(bytesSent, , Bytes, "Sent")                                                                  \
    X(bytesReceived, , Bytes, "Received")                                                          \
    X(firstByteMs, , Time, "First byte ms")                                                        \
    X(closeMs, , Time, "Close ms")

// The fetch of the server list, after its outcome, before its error.
#define VELKAN_FETCH_FIGURES(X)                                                                    \
    X(reused, , Flag, nullptr)                                                                     \
    X(connected, figures., Flag, nullptr)                                                          \
    X(lines, figures., Count, nullptr)                                                             \
    X(bytesReceived, figures., Bytes, nullptr)                                                     \
    X(entries, figures.entries., Count, nullptr)                                                   \
    X(kept, figures.entries., Count, nullptr)                                                      \
    X(malformed, figures.entries., Count, nullptr)                                                 \
    X(badPort, figures.entries., Count, nullptr)                                                   \
    X(hostTooLong, figures.entries., Count, nullptr)                                               \
    X(hidden, figures.entries., Count, nullptr)                                                    \
    X(hiddenByOption, figures.entries., Count, nullptr)                                            \
    X(elapsedMs, figures., Count, nullptr)

// Declares a view's member for each figure of a list, with its kind's type and initial value.
#define VELKAN_FIGURE_MEMBER(name, path, kind, title)                                              \
    ::velkan::search::FigureValue<::velkan::search::FigureKind::kind>::Type name =                 \
        ::velkan::search::FigureValue<::velkan::search::FigureKind::kind>::kInitial;
