#pragma once

#include "search/resultmodel.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <string_view>

namespace velkan::web {

// Our CP949 text as the page reads it.
[[nodiscard]] QString Utf8Text(std::string_view cp949);

// A row of the list as the page draws it: its texts, speed level and picture.
[[nodiscard]] QJsonObject RowJson(const search::ResultModel& model, int row);

// The rows of the window [first, first + count) that the list holds.
[[nodiscard]] QJsonArray WindowJson(const search::ResultModel& model, int first, int count);

} // namespace velkan::web
