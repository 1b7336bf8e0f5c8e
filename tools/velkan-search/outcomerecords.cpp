#include "tools/velkan-search/outcomerecords.h"

#include "control/panelseam/outcomejson.h"

#include <QJsonValue>

#include <algorithm>

namespace velkan::host {

namespace {

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

std::string OutcomeLine(const control::ServerOutcomeView& outcome)
{
    std::string line = "outcome: " + outcome.nick + " " + outcome.host + ":" + std::to_string(outcome.port) + " " +
                       outcome.outcome;
    return Fields(control::OutcomeJson(outcome), std::move(line), {"nick", "host", "port", "outcome"});
}

std::string FetchLine(const control::FetchOutcomeView& fetch)
{
    return Fields(control::FetchJson(fetch), "server list: " + fetch.outcome, {"outcome"});
}

} // namespace velkan::host
