// A reply's new file types made into pictures at both sizes the list keeps: the old theme
// lookup (a file-system query per theme folder for each name tried, every size decoded) against
// today's (the folders listed once, only the sizes drawn), in the same iterations.

#include "bench/cputime.h"
#include "ui/imagelist.h"
#include "bench/oldthemeiconlookup.h"
#include "ui/themeiconlookup.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <benchmark/benchmark.h>

#include <vector>

using namespace velkan;

namespace {

// The file types of the local network's shares.
const char* const kExtensions[] = {"mp3", "avi", "gif", "hwp", "smi", "exe", "ogg", "mpg", "jpg", "txt", "zip", "doc"};

// The names the icon cache tries for each type: its icon, then its generic icon.
std::vector<QStringList> IconNames()
{
    const QMimeDatabase database;
    std::vector<QStringList> names;
    for (const char* extension : kExtensions) {
        const QMimeType mime = database.mimeTypeForFile(QStringLiteral("x.") + QLatin1String(extension),
                                                        QMimeDatabase::MatchExtension);
        names.push_back({mime.iconName(), mime.genericIconName()});
    }
    return names;
}

int MakePictures(const QIcon& icon)
{
    if (icon.isNull())
        return 0;
    return static_cast<int>(!icon.pixmap(ui::ImageList::ImageSize(), 1.0).isNull()) +
           static_cast<int>(!icon.pixmap(ui::ImageList::ImageSize(), 2.0).isNull());
}

void BM_FileTypePictures(benchmark::State& state)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/share/icons/Adwaita/index.theme"))) {
        state.SkipWithError("the Adwaita icon theme is not installed");
        return;
    }
    const QStringList folders = ui::ThemeIconLookup::SystemSearchFolders();
    const QStringList themes = {QStringLiteral("Adwaita"), QStringLiteral("hicolor")};
    const std::vector<QStringList> names = IconNames();
    const int side = ui::ImageList::kImageSide;
    const ui::ThemeIconLookup today(folders, themes);
    // Done on the panel's worker before a reply comes; shown beside the look-ups, not in them.
    const double listingMs = bench::CpuMsOf([&] { today.ListPictures(); });
    const bench::oldlookup::OldThemeIconLookup old(folders, themes);
    double oldMs = 0;
    double todayMs = 0;
    int oldPictures = 0;
    int todayPictures = 0;
    for (auto _ : state) {
        oldMs += bench::CpuMsOf([&] {
            for (const QStringList& tried : names)
                oldPictures += MakePictures(old.Find(tried));
        });
        todayMs += bench::CpuMsOf([&] {
            for (const QStringList& tried : names)
                todayPictures += MakePictures(today.Find(tried, {side, 2 * side}));
        });
    }
    if (oldPictures != todayPictures) {
        state.SkipWithError("the two lookups found different pictures");
        return;
    }
    const auto perPass = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["old_ms"] = perPass(oldMs);
    state.counters["today_ms"] = perPass(todayMs);
    state.counters["listing_ms"] = listingMs;
    state.counters["types"] = static_cast<double>(names.size());
}
BENCHMARK(BM_FileTypePictures)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
