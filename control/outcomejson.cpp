#include "outcomejson.h"

#include <QJsonValue>

namespace velkan::control {

namespace {

QJsonValue Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QJsonValue TextOrNull(const std::string& utf8)
{
    return utf8.empty() ? QJsonValue() : Text(utf8);
}

QJsonValue TimeOrNull(int ms)
{
    return ms < 0 ? QJsonValue() : QJsonValue(ms);
}

} // namespace

QJsonObject OutcomeJson(const ServerOutcomeView& outcome)
{
    return {
        {QStringLiteral("nick"), Text(outcome.nick)},
        {QStringLiteral("host"), Text(outcome.host)},
        {QStringLiteral("port"), outcome.port},
        {QStringLiteral("address"), TextOrNull(outcome.address)},
        {QStringLiteral("outcome"), Text(outcome.outcome)},
        {QStringLiteral("end"), Text(outcome.end)},
        {QStringLiteral("findLines"), outcome.findLines},
        {QStringLiteral("otherLines"), outcome.otherLines},
        {QStringLiteral("items"), outcome.items},
        {QStringLiteral("rows"), outcome.rows},
        {QStringLiteral("adult"), outcome.adult},
        {QStringLiteral("strictBanWords"), outcome.strictBanWords},
        {QStringLiteral("personFolder"), outcome.personFolder},
        {QStringLiteral("banWords"), outcome.banWords},
        {QStringLiteral("rowLimit"), outcome.rowLimit},
        {QStringLiteral("bytesSent"), static_cast<qint64>(outcome.bytesSent)},
        {QStringLiteral("bytesReceived"), static_cast<qint64>(outcome.bytesReceived)},
        {QStringLiteral("firstByteMs"), TimeOrNull(outcome.firstByteMs)},
        {QStringLiteral("closeMs"), TimeOrNull(outcome.closeMs)},
        {QStringLiteral("error"), TextOrNull(outcome.error)},
    };
}

QJsonObject FetchJson(const FetchOutcomeView& fetch)
{
    return {
        {QStringLiteral("outcome"), Text(fetch.outcome)},
        {QStringLiteral("reused"), fetch.reused},
        {QStringLiteral("connected"), fetch.connected},
        {QStringLiteral("lines"), fetch.lines},
        {QStringLiteral("bytesReceived"), static_cast<qint64>(fetch.bytesReceived)},
        {QStringLiteral("entries"), fetch.entries},
        {QStringLiteral("kept"), fetch.kept},
        {QStringLiteral("dropped"), fetch.entries - fetch.kept},
        {QStringLiteral("malformed"), fetch.malformed},
        {QStringLiteral("badPort"), fetch.badPort},
        {QStringLiteral("hostTooLong"), fetch.hostTooLong},
        {QStringLiteral("hidden"), fetch.hidden},
        {QStringLiteral("hiddenByOption"), fetch.hiddenByOption},
        {QStringLiteral("elapsedMs"), fetch.elapsedMs},
        {QStringLiteral("error"), TextOrNull(fetch.error)},
    };
}

} // namespace velkan::control
