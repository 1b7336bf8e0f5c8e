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

// A figure as its kind is written: a time that never came and an error that never happened as
// null, a flag as true or false.
QJsonValue FigureValue(search::FigureKind kind, std::int64_t value)
{
    switch (kind) {
    case search::FigureKind::Flag:
        return value != 0;
    case search::FigureKind::Time:
        return value < 0 ? QJsonValue() : QJsonValue(static_cast<qint64>(value));
    case search::FigureKind::Count:
    case search::FigureKind::Dropped:
    case search::FigureKind::Bytes:
        break;
    }
    return static_cast<qint64>(value);
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
    QJsonObject record{
        {QStringLiteral("nick"), Text(outcome.nick)},
        {QStringLiteral("host"), Text(outcome.host)},
        {QStringLiteral("port"), outcome.port},
        {QStringLiteral("outcome"), Text(outcome.outcome)},
        {QStringLiteral("end"), Text(outcome.end)},
        {QStringLiteral("error"), TextOrNull(outcome.error)},
    };
#define VELKAN_RECORD_FIGURE(name, path, kind, title)                                              \
    record.insert(QLatin1StringView(#name), FigureValue(search::FigureKind::kind, outcome.name));
    VELKAN_SERVER_OUTCOME_FIGURES(VELKAN_RECORD_FIGURE)
#undef VELKAN_RECORD_FIGURE
    return record;
}

QJsonObject FetchRecord(const control::FetchOutcomeView& fetch)
{
    QJsonObject record{
        {QStringLiteral("outcome"), Text(fetch.outcome)},
        {QStringLiteral("dropped"), fetch.entries - fetch.kept},
        {QStringLiteral("error"), TextOrNull(fetch.error)},
    };
#define VELKAN_RECORD_FIGURE(name, path, kind, title)                                              \
    record.insert(QLatin1StringView(#name), FigureValue(search::FigureKind::kind, fetch.name));
    VELKAN_FETCH_FIGURES(VELKAN_RECORD_FIGURE)
#undef VELKAN_RECORD_FIGURE
    return record;
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
