#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <utility>
#include <vector>

namespace velkan::web {

// A request's head: its request line and header fields, names folded to lower case.
struct HttpHead {
    QByteArray method;
    QByteArray target;
    std::vector<std::pair<QByteArray, QByteArray>> fields;

    // The field's value; empty when absent.
    [[nodiscard]] QByteArray Field(QByteArrayView lowerName) const;
    [[nodiscard]] int FieldCount(QByteArrayView lowerName) const;
};

// The most bytes a head may take, its closing empty line included.
inline constexpr qsizetype kMaxHeadBytes = 16 * 1024;

struct HeadParse {
    enum class Status { Incomplete, Complete, TooLarge, Malformed };
    Status status = Status::Incomplete;
    HttpHead head;
    qsizetype length = 0; // bytes of the head, when complete
};

// Reads a head from the start of bytes received so far. Lines end in CRLF; a head not closed
// within kMaxHeadBytes is TooLarge however much more arrives.
HeadParse ParseHead(QByteArrayView bytes);

} // namespace velkan::web
