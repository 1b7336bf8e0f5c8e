// Writes pictures of the search panel filled with sample rows and of the server-information
// window showing a local peer's answer, for the README and for looking at the drawing. Run on a
// screen of another ratio (QT_SCALE_FACTOR=2), it names its pictures NAME@2x.png.

#include "channel/blowfish.h"
#include "search/compareresults.h"
#include "channel/cp949convert.h"
#include "ui/iconcache.h"
#include "tools/velkan-localnet/network.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "ui/searchpanel.h"
#include "ui/serverinfodialog.h"
#include "channel/wirekey.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QProgressBar>
#include <QLabel>
#include <QTimer>

#include <cstdio>

using namespace velkan;

namespace {

struct SampleFile {
    const char* nick;
    const char* path; // UTF-8
    std::int64_t size;
    int speed;
    int folderPicture;
};

// One folder row per folder picture, several file types and every gauge level.
const SampleFile kSamples[] = {
    {"김철수", "C:\\음악\\발라드\\봄날.mp3", 5242880, 250, 0},
    {"김철수", "C:\\음악\\발라드\\가을편지.mp3", 4718592, 250, 1},
    {"music_fan", "D:\\Share\\Albums\\track01.ogg", 3900000, 180, 2},
    {"music_fan", "D:\\Share\\Docs\\readme.txt", 1023, 180, 3},
    {"영화광", "E:\\영화\\19금\\clip.avi", 734003200, 120, 4},
    {"영화광", "E:\\영화\\19금\\poster.jpg", 204800, 120, 5},
    {"사진작가", "F:\\사진\\여행\\제주도.jpg", 3145728, 60, 6},
    {"사진작가", "F:\\사진\\여행\\album.zip", 52428800, 60, 7},
    {"*점검중", "G:\\문서\\보고서.hwp", 98304, 10, 1},
    {"dev", "H:\\src\\main.cpp", 4096, 0, 1},
};

void FillSamples(ui::SearchPanel& panel)
{
    search::ResultModel& model = panel.Model();
    search::ImageIndexProvider& images = panel.Icons();
    std::vector<search::ResultRow> rows;
    for (const SampleFile& sample : kSamples) {
        const std::string nick = cp949::FromUtf8(sample.nick);
        const std::string path = cp949::FromUtf8(sample.path);
        const search::SearchResult* record = model.AddRecord(
            {.nick = nick, .path = path, .date = "2004-01-02 10:11", .size = sample.size, .speed = sample.speed});
        rows.push_back({record, images.BuiltInImageIndex(sample.folderPicture), search::ResultRow::Kind::Folder});
        rows.push_back({record, images.ImageIndexFor(path), search::ResultRow::Kind::File});
    }
    model.AppendRows(rows);
    panel.ShowProgressTexts(QStringLiteral("100%\n"), QStringLiteral("%1 개").arg(rows.size()));
    panel.SetProgressPosition(100);
    panel.ResultList().SortByColumn(search::SizeColumn, false);
    panel.ResultList().SelectRow(3);
}

// The file name of a picture at the screen's ratio: NAME.png, or NAME@<ratio>x.png.
QString PictureName(const char* name)
{
    const qreal ratio = qApp->devicePixelRatio();
    return ratio == 1.0 ? QStringLiteral("%1.png").arg(QLatin1String(name))
                        : QStringLiteral("%1@%2x.png").arg(QLatin1String(name)).arg(ratio);
}

bool Save(QWidget& widget, const QString& path)
{
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

bool ServerInfoPicture(const QString& path)
{
    localnet::Network network;
    const std::uint16_t port = network.AddPeer(
        {.nick = "kim", .info = {.download1 = "3", .download2 = "10", .upload1 = "0", .upload2 = "5",
                                 .fileCount = 1234, .totalBytes = 5368709120}});
    network.Start();
    channel::BlowFish cipher;
    if (!cipher.Initialize(channel::kWireKey)) {
        return false;
    }
    ui::ServerInfoDialog dialog(cipher, cp949::FromUtf8("김철수"), "127.0.0.1", port);
    dialog.show();
    QEventLoop loop;
    QObject::connect(&dialog, &ui::ServerInfoDialog::valuesShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    const bool saved = Save(dialog, path);
    network.Stop();
    return saved && !dialog.DownloadText().isEmpty();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 2 || arguments[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: velkan-screenshot OUTPUT_DIRECTORY\n");
        return 2;
    }
    const QDir out(arguments[1]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "velkan-screenshot: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    ui::SearchPanel panel;
    FillSamples(panel);
    // The file pictures entered while the theme was still being read are swapped in shortly.
    QEventLoop icons;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &icons, [&] {
        if (panel.Icons().PicturesFinal())
            icons.quit();
    });
    poll.start(5);
    QTimer::singleShot(10000, &icons, &QEventLoop::quit);
    if (!panel.Icons().PicturesFinal())
        icons.exec();
    panel.resize(panel.TemplateSize());
    panel.show();
    bool ok = Save(panel, out.filePath(PictureName("panel")));
    panel.resize(960, 640);
    ok = Save(panel, out.filePath(PictureName("panel-large"))) && ok;
    ok = ServerInfoPicture(out.filePath(PictureName("serverinfo"))) && ok;
    return ok ? 0 : 1;
}
