#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace velkan::web {

// A whole response with its body, for a connection that closes after it. Every response may be
// read by any page: nothing the bridge answers over plain HTTP is private.
QByteArray HttpResponse(int status, QByteArrayView contentType, QByteArrayView body, bool withBody = true);

} // namespace velkan::web
