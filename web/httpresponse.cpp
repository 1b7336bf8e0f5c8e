#include "web/httpresponse.h"

namespace velkan::web {
namespace {

QByteArrayView Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 426: return "Upgrade Required";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

} // namespace

QByteArray HttpResponse(int status, QByteArrayView contentType, QByteArrayView body, bool withBody)
{
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + Reason(status).toByteArray() +
                          "\r\nContent-Type: " + contentType.toByteArray() +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nAccess-Control-Allow-Origin: *"
                          "\r\nCross-Origin-Resource-Policy: cross-origin"
                          "\r\nX-Content-Type-Options: nosniff"
                          "\r\nCache-Control: no-cache"
                          "\r\nConnection: close\r\n\r\n";
    if (withBody) {
        response += body.toByteArray();
    }
    return response;
}

} // namespace velkan::web
