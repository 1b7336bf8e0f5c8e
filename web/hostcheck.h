#pragma once

#include <QByteArrayView>

namespace velkan::web {

// Whether a request's Host field names the bridge itself: 127.0.0.1, [::1] or localhost with the
// bridge's port (the port may be left out only when it is 80). Any other name, even one that
// resolves to loopback, is a page of another site reaching us through a rebound DNS name.
bool IsOwnHost(QByteArrayView host, quint16 port);

} // namespace velkan::web
