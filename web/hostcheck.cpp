#include "web/hostcheck.h"

#include <QByteArray>

namespace velkan::web {

bool IsOwnHost(QByteArrayView host, quint16 port)
{
    QByteArrayView name = host;
    const qsizetype colon = host.lastIndexOf(':');
    const bool bracketed = host.startsWith('[');
    if (colon >= 0 && (!bracketed || colon > host.lastIndexOf(']'))) {
        const QByteArrayView digits = host.sliced(colon + 1);
        if (digits.isEmpty() || digits.size() > 5) {
            return false;
        }
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return false;
            }
        }
        if (digits.toUInt() != port) {
            return false;
        }
        name = host.first(colon);
    } else if (port != 80) {
        return false;
    }
    return name == "127.0.0.1" || name == "[::1]" || name.compare("localhost", Qt::CaseInsensitive) == 0;
}

} // namespace velkan::web
