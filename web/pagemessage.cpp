#include "web/pagemessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <optional>

namespace velkan::web {
namespace {

MessageError Malformed(const QString& message)
{
    return {QStringLiteral("malformed-message"), message};
}

// A whole number within [low, high], or nothing.
std::optional<int> WholeNumber(const QJsonValue& value, int low, int high)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < low || number > high) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

std::optional<std::string> Text(const QJsonObject& object, QLatin1StringView name, bool required)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() && !required) {
        return std::string();
    }
    if (!value.isString()) {
        return std::nullopt;
    }
    QByteArray bytes = value.toString().toUtf8();
    if (bytes.size() > kMaxTextBytes) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

std::variant<PageMessage, MessageError> ParseActivate(const QJsonObject& object)
{
    const QJsonObject props = object.value(QLatin1StringView("props")).toObject();
    ActivateMessage message;
    const std::pair<QLatin1StringView, std::string*> fields[] = {
        {QLatin1StringView("param"), &message.param},
        {QLatin1StringView("search"), &message.search},
        {QLatin1StringView("banword"), &message.banWord},
        {QLatin1StringView("bansearch"), &message.searchBanWord},
        {QLatin1StringView("replaceparam"), &message.replaceParam},
    };
    for (const auto& [name, target] : fields) {
        const auto text = Text(props, name, false);
        if (!text) {
            return Malformed(QStringLiteral("activate: props.%1 must be a string of at most %2 bytes")
                                 .arg(name).arg(kMaxTextBytes));
        }
        *target = *text;
    }
    return message;
}

std::variant<PageMessage, MessageError> ParseRow(const QJsonObject& object, RowMessage::Action action,
                                                  int lowest)
{
    const auto row = WholeNumber(object.value(QLatin1StringView("row")), lowest, 1 << 30);
    const auto generation = WholeNumber(object.value(QLatin1StringView("gen")), 0, 1 << 30);
    if (!row || !generation) {
        return Malformed(QStringLiteral("a row message needs whole numbers \"row\" and \"gen\""));
    }
    return RowMessage{action, *row, static_cast<std::uint32_t>(*generation)};
}

} // namespace

std::variant<PageMessage, MessageError> ParsePageMessage(QByteArrayView text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return Malformed(QStringLiteral("a message must be one JSON object"));
    }
    const QJsonObject object = document.object();
    const QString type = object.value(QLatin1StringView("type")).toString();
    if (type == QLatin1StringView("activate")) {
        return ParseActivate(object);
    }
    if (type == QLatin1StringView("search")) {
        const auto query = Text(object, QLatin1StringView("text"), true);
        if (!query) {
            return Malformed(QStringLiteral("search: \"text\" must be a string of at most %1 bytes")
                                 .arg(kMaxTextBytes));
        }
        return SearchMessage{*query};
    }
    if (type == QLatin1StringView("stop")) {
        return StopMessage{};
    }
    if (type == QLatin1StringView("window")) {
        const auto first = WholeNumber(object.value(QLatin1StringView("first")), 0, 1 << 30);
        const auto count = WholeNumber(object.value(QLatin1StringView("count")), 0, kMaxWindowRows);
        if (!first || !count) {
            return Malformed(QStringLiteral("window: \"first\" >= 0 and \"count\" of 0 to %1 rows")
                                 .arg(kMaxWindowRows));
        }
        return WindowMessage{*first, *count};
    }
    if (type == QLatin1StringView("sort")) {
        const auto column = WholeNumber(object.value(QLatin1StringView("column")), 0, 4);
        const QJsonValue ascending = object.value(QLatin1StringView("ascending"));
        if (!column || !ascending.isBool()) {
            return Malformed(QStringLiteral("sort: \"column\" 0 to 4 and a boolean \"ascending\""));
        }
        return SortMessage{*column, ascending.toBool()};
    }
    if (type == QLatin1StringView("select")) {
        return ParseRow(object, RowMessage::Action::Select, -1);
    }
    if (type == QLatin1StringView("click")) {
        return ParseRow(object, RowMessage::Action::Click, 0);
    }
    if (type == QLatin1StringView("connect")) {
        return ParseRow(object, RowMessage::Action::Connect, -1);
    }
    if (type == QLatin1StringView("serverinfo")) {
        return ParseRow(object, RowMessage::Action::ServerInfo, -1);
    }
    if (type == QLatin1StringView("serverinfoclose")) {
        return ServerInfoCloseMessage{};
    }
    return MessageError{QStringLiteral("unknown-message"),
                        QStringLiteral("no message of the type \"%1\"").arg(type.left(64))};
}

} // namespace velkan::web
