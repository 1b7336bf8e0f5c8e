#include "control/panelseam/outcomejson.h"

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

// A figure as its kind is written: a time that never came as null, a flag as true or false.
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

} // namespace

QJsonObject OutcomeJson(const ServerOutcomeView& outcome)
{
    QJsonObject record{
        {QStringLiteral("nick"), Text(outcome.nick)},
        {QStringLiteral("host"), Text(outcome.host)},
        {QStringLiteral("port"), outcome.port},
        {QStringLiteral("address"), TextOrNull(outcome.address)},
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

QJsonObject FetchJson(const FetchOutcomeView& fetch)
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

} // namespace velkan::control
