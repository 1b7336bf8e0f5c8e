#include "web/httphead.h"

namespace velkan::web {
namespace {

bool IsTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool IsToken(QByteArrayView text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (const char c : text) {
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

// Visible characters and spaces only: no control bytes in a target or a value.
bool IsFieldText(QByteArrayView text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

bool ParseRequestLine(QByteArrayView line, HttpHead& head)
{
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first <= 0 || last == first) {
        return false;
    }
    const QByteArrayView method = line.first(first);
    const QByteArrayView target = line.sliced(first + 1, last - first - 1);
    const QByteArrayView version = line.sliced(last + 1);
    if (!IsToken(method) || target.isEmpty() || target.contains(' ') || !IsFieldText(target) ||
        (version != "HTTP/1.1" && version != "HTTP/1.0")) {
        return false;
    }
    head.method = method.toByteArray();
    head.target = target.toByteArray();
    return true;
}

} // namespace

QByteArray HttpHead::Field(QByteArrayView lowerName) const
{
    for (const auto& [name, value] : fields) {
        if (name == lowerName) {
            return value;
        }
    }
    return {};
}

int HttpHead::FieldCount(QByteArrayView lowerName) const
{
    int count = 0;
    for (const auto& field : fields) {
        count += field.first == lowerName ? 1 : 0;
    }
    return count;
}

HeadParse ParseHead(QByteArrayView bytes)
{
    HeadParse result;
    const QByteArrayView window = bytes.first(std::min(bytes.size(), kMaxHeadBytes));
    const qsizetype end = window.indexOf("\r\n\r\n");
    if (end < 0) {
        result.status = bytes.size() >= kMaxHeadBytes ? HeadParse::Status::TooLarge
                                                      : HeadParse::Status::Incomplete;
        return result;
    }
    result.status = HeadParse::Status::Malformed;
    const QByteArrayView text = window.first(end + 2); // every line with its CRLF
    qsizetype position = text.indexOf("\r\n");
    if (!ParseRequestLine(text.first(position), result.head)) {
        return result;
    }
    position += 2;
    while (position < text.size()) {
        const qsizetype lineEnd = text.indexOf("\r\n", position);
        const QByteArrayView line = text.sliced(position, lineEnd - position);
        position = lineEnd + 2;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !IsToken(line.first(colon)) || !IsFieldText(line.sliced(colon + 1))) {
            return result;
        }
        result.head.fields.emplace_back(line.first(colon).toByteArray().toLower(),
                                        line.sliced(colon + 1).trimmed().toByteArray());
    }
    result.status = HeadParse::Status::Complete;
    result.length = end + 4;
    return result;
}

} // namespace velkan::web
