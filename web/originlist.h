#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

namespace velkan::web {

// An origin as the allow-list holds it: scheme://host[:port], lower case, no path, no
// wildcard; nothing for a line that is not one.
std::optional<QByteArray> ParseOrigin(QByteArrayView text);

// The origins allowed to open a control: those of the files (one a line, "#" comments), read
// again whenever a file changes, and those given at start.
class OriginList {
public:
    OriginList(QStringList files, const std::vector<QByteArray>& fixed);

    // Allowed besides the files, for as long as the list lives.
    void Allow(const QByteArray& origin) { m_fixed.insert(origin); }

    // A missing or "null" origin is never allowed.
    [[nodiscard]] bool Allows(QByteArrayView origin);

    // The system's file and the user's, in that order.
    [[nodiscard]] static QStringList DefaultFiles();

private:
    struct File {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        std::set<QByteArray> origins;
    };
    void Refresh(File& file);

    std::vector<File> m_files;
    std::set<QByteArray> m_fixed;
};

} // namespace velkan::web
