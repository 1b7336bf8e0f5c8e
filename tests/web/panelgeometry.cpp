// The native panel's layout as the web panel's layout test reads it: builds the panel off
// screen at each size asked for and prints where its parts stand, one JSON object a line.
// With --app-server, --param and --search it first runs that search to its end (and sorts by
// --sort COLUMN), so that --pictures DIR can write the panel as it looks, native-WxH.png
// (native-WxH@2x.png on a screen of ratio 2), for setting beside the web panel's.
//
// usage: velkan_panel_geometry [--app-server HOST:PORT --param P --search TEXT [--sort COLUMN]]
//                              [--pictures DIR] WxH...

#include "ui/bitmapbutton.h"
#include "channel/cp949convert.h"
#include "ui/dialogunits.h"
#include "ui/resultlistctrl.h"
#include "ui/searchpanel.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <cstdio>
#include <optional>

using namespace velkan;

namespace {

constexpr int kSearchWaitMs = 60000;

QJsonObject Box(const QWidget& widget, const QWidget& panel)
{
    const QPoint origin = widget.mapTo(&panel, QPoint(0, 0));
    return {{QStringLiteral("x"), origin.x()},
            {QStringLiteral("y"), origin.y()},
            {QStringLiteral("width"), widget.width()},
            {QStringLiteral("height"), widget.height()},
            {QStringLiteral("visible"), widget.isVisibleTo(&panel)}};
}

QLabel* LabelWithText(const QWidget& panel, const QString& text)
{
    for (QLabel* label : panel.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->text() == text) {
            return label;
        }
    }
    return nullptr;
}

QJsonObject Geometry(ui::SearchPanel& panel)
{
    const ui::DialogUnits units(panel.font());
    QJsonObject buttons;
    for (const auto button : {search::PanelButton::Download, search::PanelButton::Stop,
                              search::PanelButton::Connect, search::PanelButton::ServerInfo}) {
        buttons.insert(QString::number(static_cast<int>(button)), Box(panel.Button(button), panel));
    }
    ui::ResultListCtrl& list = panel.ResultList();
    QJsonArray columns;
    for (int column = 0; column < list.horizontalHeader()->count(); ++column) {
        columns.append(list.columnWidth(column));
    }
    return {
        {QStringLiteral("width"), panel.width()},
        {QStringLiteral("height"), panel.height()},
        {QStringLiteral("units"), QJsonObject{{QStringLiteral("x"), units.X(4)}, {QStringLiteral("y"), units.Y(8)}}},
        {QStringLiteral("progressBar"), Box(panel.ProgressBar(), panel)},
        {QStringLiteral("progressText"), Box(panel.ProgressLabel(), panel)},
        {QStringLiteral("foundText"), Box(panel.FoundLabel(), panel)},
        {QStringLiteral("progressCaption"), Box(*LabelWithText(panel, QStringLiteral("진행 상황 :")), panel)},
        {QStringLiteral("foundCaption"), Box(*LabelWithText(panel, QStringLiteral("찾은 파일 :")), panel)},
        {QStringLiteral("list"), Box(list, panel)},
        {QStringLiteral("header"), Box(*list.horizontalHeader(), panel)},
        {QStringLiteral("rowHeight"), list.verticalHeader()->defaultSectionSize()},
        {QStringLiteral("columns"), columns},
        {QStringLiteral("buttons"), buttons},
    };
}

std::optional<QSize> ParseSize(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    bool wide = false;
    bool high = false;
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const QSize size(parts[0].toInt(&wide), parts[1].toInt(&high));
    if (!wide || !high || size.width() <= 0 || size.height() <= 0) {
        return std::nullopt;
    }
    return size;
}

bool RunSearch(ui::SearchPanel& panel, const QString& param, const QString& text)
{
    QEventLoop loop;
    QObject::connect(&panel.Engine(), &search::SearchEngine::searchIdle, &loop, &QEventLoop::quit);
    QTimer::singleShot(kSearchWaitMs, &loop, [&loop] { loop.exit(1); });
    panel.Initialize({.param = cp949::FromUtf8(param.toStdString()), .search = cp949::FromUtf8(text.toStdString())});
    return loop.exec() == 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: velkan_panel_geometry [--app-server HOST:PORT --param P --search TEXT "
                         "[--sort COLUMN]] [--pictures DIR] WxH...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    QString appServer, param, text, pictures;
    int sortColumn = -1;
    std::vector<QSize> sizes;
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        const bool hasValue = !arguments.isEmpty();
        if (argument == QLatin1String("--app-server") && hasValue) {
            appServer = arguments.takeFirst();
        } else if (argument == QLatin1String("--param") && hasValue) {
            param = arguments.takeFirst();
        } else if (argument == QLatin1String("--search") && hasValue) {
            text = arguments.takeFirst();
        } else if (argument == QLatin1String("--sort") && hasValue) {
            sortColumn = arguments.takeFirst().toInt();
        } else if (argument == QLatin1String("--pictures") && hasValue) {
            pictures = arguments.takeFirst();
        } else if (const auto size = ParseSize(argument)) {
            sizes.push_back(*size);
        } else {
            return Usage();
        }
    }
    if (sizes.empty()) {
        return Usage();
    }

    ui::PanelSeams seams;
    if (!appServer.isEmpty()) {
        const qsizetype colon = appServer.lastIndexOf(QLatin1Char(':'));
        seams.search.appServer = {.host = appServer.left(colon).toStdString(), .port = appServer.mid(colon + 1).toInt()};
    }
    ui::SearchPanel panel(seams);
    panel.show();
    if (!appServer.isEmpty() && !RunSearch(panel, param, text)) {
        std::fprintf(stderr, "velkan_panel_geometry: the search did not end\n");
        return 1;
    }
    if (sortColumn >= 0) {
        panel.ResultList().SortByColumn(sortColumn, true);
    }
    const qreal ratio = application.devicePixelRatio();
    for (const QSize& size : sizes) {
        panel.resize(size);
        QApplication::processEvents();
        std::printf("%s\n", QJsonDocument(Geometry(panel)).toJson(QJsonDocument::Compact).constData());
        if (!pictures.isEmpty()) {
            const QString name = QStringLiteral("native-%1x%2%3.png")
                                     .arg(size.width()).arg(size.height())
                                     .arg(ratio == 1.0 ? QString() : QStringLiteral("@%1x").arg(ratio));
            if (!panel.grab().save(QDir(pictures).filePath(name))) {
                std::fprintf(stderr, "velkan_panel_geometry: cannot write %s\n", qPrintable(name));
                return 1;
            }
        }
    }
    return 0;
}
