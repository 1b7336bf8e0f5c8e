#include "outcomerecords.h"

#include <QJsonValue>

#include <algorithm>

namespace velkan::host {

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

// The record's fields after its first ones as "name=value" pairs: texts as they are, null as "-".
std::string Fields(const QJsonObject& record, std::string line, std::initializer_list<const char*> first)
{
    for (auto it = record.begin(); it != record.end(); ++it) {
        if (std::find_if(first.begin(), first.end(), [&](const char* name) { return it.key() == QLatin1StringView(name); }) !=
            first.end()) {
            continue;
        }
        const QJsonValue value = it.value();
        line += " " + it.key().toStdString() + "=";
        if (value.isString()) {
            line += value.toString().toStdString();
        } else if (value.isNull()) {
            line += "-";
        } else if (value.isBool()) {
            line += value.toBool() ? "yes" : "no";
        } else {
            line += std::to_string(value.toInteger());
        }
    }
    return line;
}

} // namespace

QJsonObject OutcomeRecord(const control::ServerOutcomeView& outcome)
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

QJsonObject FetchRecord(const control::FetchOutcomeView& fetch)
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

std::string OutcomeLine(const control::ServerOutcomeView& outcome)
{
    std::string line = "outcome: " + outcome.nick + " " + outcome.host + ":" + std::to_string(outcome.port) + " " +
                       outcome.outcome;
    return Fields(OutcomeRecord(outcome), std::move(line), {"nick", "host", "port", "outcome"});
}

std::string FetchLine(const control::FetchOutcomeView& fetch)
{
    return Fields(FetchRecord(fetch), "server list: " + fetch.outcome, {"outcome"});
}

} // namespace velkan::host
