#include "web/originlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace velkan::web {
namespace {

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsPort(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 5 || digits.startsWith('0')) {
        return false;
    }
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return digits.toUInt() <= 65535;
}

bool IsHost(QByteArrayView host)
{
    if (host.size() > 2 && host.startsWith('[') && host.endsWith(']')) {
        for (const char c : host.sliced(1, host.size() - 2)) {
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == ':' || c == '.')) {
                return false;
            }
        }
        return true;
    }
    if (host.isEmpty() || host.size() > 253 || host.startsWith('.') || host.endsWith('.')) {
        return false;
    }
    for (const char c : host) {
        if (!IsHostChar(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<QByteArray> ParseOrigin(QByteArrayView text)
{
    const qsizetype separator = text.indexOf("://");
    if (separator <= 0) {
        return std::nullopt;
    }
    for (const char c : text.first(separator)) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')) {
            return std::nullopt;
        }
    }
    const QByteArrayView authority = text.sliced(separator + 3);
    const qsizetype colon = authority.lastIndexOf(':');
    const bool hasPort = colon >= 0 && colon > authority.lastIndexOf(']');
    const QByteArrayView host = hasPort ? authority.first(colon) : authority;
    if (!IsHost(host) || (hasPort && !IsPort(authority.sliced(colon + 1)))) {
        return std::nullopt;
    }
    return text.toByteArray();
}

OriginList::OriginList(QStringList files, const std::vector<QByteArray>& fixed)
    : m_fixed(fixed.begin(), fixed.end())
{
    for (QString& path : files) {
        m_files.push_back({.path = std::move(path)});
    }
}

QStringList OriginList::DefaultFiles()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return {QStringLiteral("/etc/velkanfilesearch/web-origins"),
            config + QStringLiteral("/velkanfilesearch/web-origins")};
}

bool OriginList::Allows(QByteArrayView origin)
{
    if (origin.isEmpty() || origin == "null") {
        return false;
    }
    const QByteArray key = origin.toByteArray();
    if (m_fixed.contains(key)) {
        return true;
    }
    for (File& file : m_files) {
        Refresh(file);
        if (file.origins.contains(key)) {
            return true;
        }
    }
    return false;
}

void OriginList::Refresh(File& file)
{
    const QFileInfo info(file.path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (modified == file.modified && size == file.size) {
        return;
    }
    file.modified = modified;
    file.size = size;
    file.origins.clear();
    QFile input(file.path);
    if (!input.open(QIODevice::ReadOnly)) {
        return;
    }
    int number = 0;
    while (!input.atEnd()) {
        ++number;
        QByteArray line = input.readLine(4096);
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0) {
            line.truncate(hash);
        }
        line = line.trimmed();
        if (line.isEmpty()) {
            continue;
        }
        if (const auto parsed = ParseOrigin(line)) {
            file.origins.insert(*parsed);
        } else {
            qWarning("%s:%d: not an origin (scheme://host[:port], lower case): %s",
                     qPrintable(file.path), number, line.constData());
        }
    }
}

} // namespace velkan::web
