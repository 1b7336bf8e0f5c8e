#include "web/rowjson.h"

#include "search/compareresults.h"
#include "channel/cp949convert.h"
#include "search/extensionkey.h"
#include "search/resulttexts.h"

#include <algorithm>

namespace velkan::web {

QString Utf8Text(std::string_view cp949)
{
    return QString::fromStdString(cp949::ToUtf8(cp949));
}

namespace {

// The name the bridge serves a file's picture under: the extension without its dot, lower
// case, at most 16 bytes of [a-z0-9]; empty (the plain page) for anything else.
QString PictureExtension(std::string_view name)
{
    std::string_view key = search::ExtensionKey(name);
    if (!key.empty()) {
        key.remove_prefix(1);
    }
    if (key.empty() || key.size() > 16) {
        return {};
    }
    QString text;
    for (const char c : key) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (!((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9'))) {
            return {};
        }
        text += QLatin1Char(lower);
    }
    return text;
}

} // namespace

QJsonObject RowJson(const search::ResultModel& model, int row)
{
    const search::ResultRow& line = model.Row(row);
    QJsonArray cells;
    for (int column = 0; column < search::SpeedColumn; ++column) {
        cells.append(Utf8Text(model.CellText(row, column)));
    }
    QJsonObject json{{QStringLiteral("cells"), cells},
                     {QStringLiteral("speed"), search::SpeedLevel(line.record->speed)}};
    if (line.kind == search::ResultRow::Kind::Folder) {
        json.insert(QStringLiteral("folderPicture"), line.image);
    } else {
        json.insert(QStringLiteral("ext"), PictureExtension(search::FileNameOf(line.record->path())));
    }
    return json;
}

QJsonArray WindowJson(const search::ResultModel& model, int first, int count)
{
    QJsonArray rows;
    const int end = std::min(model.rowCount(), first + count);
    for (int row = first; row < end; ++row) {
        rows.append(RowJson(model, row));
    }
    return rows;
}

} // namespace velkan::web
