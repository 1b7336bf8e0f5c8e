#include "ui/iconcache.h"
#include "ui/themeiconlookup.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

using velkan::ui::IconCache;
using velkan::ui::ThemeIconLookup;

namespace {

// Two small themes in a folder of their own, each picture a flat colour that names where it
// came from.
class ThemeFolder {
public:
    ThemeFolder()
    {
        EXPECT_TRUE(m_root.isValid());
        WriteIndex("first", {{"16x16/mimetypes", 16, 1}, {"32x32/mimetypes", 32, 1}, {"16x16@2/mimetypes", 16, 2}});
        WriteIndex("second", {{"16x16/mimetypes", 16, 1}, {"48x48/mimetypes", 48, 1}});
    }

    struct Directory {
        const char* path;
        int size;
        int scale;
    };

    void WriteIndex(const QString& theme, const std::vector<Directory>& directories)
    {
        QStringList names;
        QString sections;
        for (const Directory& directory : directories) {
            names.append(QString::fromLatin1(directory.path));
            sections += QStringLiteral("\n[%1]\nSize=%2\nScale=%3\nType=Fixed\n")
                            .arg(QString::fromLatin1(directory.path))
                            .arg(directory.size)
                            .arg(directory.scale);
            QDir().mkpath(Path(theme + QLatin1Char('/') + QString::fromLatin1(directory.path)));
        }
        QFile index(Path(theme + QStringLiteral("/index.theme")));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write((QStringLiteral("[Icon Theme]\nName=") + theme + QStringLiteral("\nDirectories=") +
                     names.join(QLatin1Char(',')) + QLatin1Char('\n') + sections)
                        .toUtf8());
    }

    void AddPicture(const QString& file, int side, const QColor& color)
    {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(Path(file)));
    }

    [[nodiscard]] QString Path(const QString& relative) const { return m_root.filePath(relative); }
    [[nodiscard]] QString Root() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
};

QRgb CentreColour(const QPixmap& pixmap)
{
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
}

TEST(ThemeIconLookup, FollowsTheThemeRules)
{
    ThemeFolder folder;
    folder.AddPicture(QStringLiteral("first/32x32/mimetypes/audio-x-generic.png"), 32, Qt::red);
    folder.AddPicture(QStringLiteral("second/16x16/mimetypes/audio-x-generic.png"), 16, Qt::green);
    folder.AddPicture(QStringLiteral("first/16x16/mimetypes/text-plain.png"), 16, Qt::blue);
    folder.AddPicture(QStringLiteral("first/32x32/mimetypes/text-plain.png"), 32, Qt::yellow);
    folder.AddPicture(QStringLiteral("first/16x16@2/mimetypes/image-png.png"), 32, Qt::cyan);
    folder.AddPicture(QStringLiteral("second/48x48/mimetypes/image-png.png"), 48, Qt::magenta);
    folder.AddPicture(QStringLiteral("second/16x16/mimetypes/video.png"), 16, Qt::darkGreen);
    folder.AddPicture(QStringLiteral("second/16x16/mimetypes/package.png"), 16, Qt::darkBlue);
    folder.AddPicture(QStringLiteral("second/48x48/mimetypes/package.png"), 48, Qt::darkRed);
    const ThemeIconLookup lookup({folder.Root()}, {QStringLiteral("first"), QStringLiteral("second")});

    struct Case {
        const char* why;
        QStringList names;
        qreal ratio; // device pixels per pixel of the screen drawn on
        QColor expected; // invalid: nothing found
    };
    const Case cases[] = {
        {"the first theme holding the name wins, even at another size", {QStringLiteral("audio-x-generic")}, 1, Qt::red},
        {"within a theme the picture of the wanted size wins", {QStringLiteral("text-plain")}, 1, Qt::blue},
        {"a denser screen takes the larger picture", {QStringLiteral("text-plain")}, 2, Qt::yellow},
        {"a theme's pictures for denser screens are its own", {QStringLiteral("image-png")}, 1, Qt::cyan},
        {"no picture of the denser size: the next larger one, drawn smaller", {QStringLiteral("package")}, 2, Qt::darkRed},
        {"the exact size beside a larger one", {QStringLiteral("package")}, 1, Qt::darkBlue},
        {"the last dash-separated part is dropped", {QStringLiteral("video-x-matroska")}, 1, Qt::darkGreen},
        {"the next name is tried", {QStringLiteral("unknown-thing"), QStringLiteral("text-plain")}, 1, Qt::blue},
        {"nothing found", {QStringLiteral("unknown-thing")}, 1, QColor()},
    };
    for (const Case& c : cases) {
        const QIcon found = lookup.Find(c.names, {16, 32});
        if (!c.expected.isValid()) {
            EXPECT_TRUE(found.isNull()) << c.why;
            continue;
        }
        ASSERT_FALSE(found.isNull()) << c.why;
        const QPixmap pixmap = found.pixmap(QSize(16, 16), c.ratio);
        EXPECT_EQ(pixmap.size(), QSize(16, 16) * c.ratio) << c.why;
        EXPECT_EQ(CentreColour(pixmap), c.expected.rgba()) << c.why;
    }
}

TEST(ThemeIconLookup, MissingFoldersAndThemesFindNothing)
{
    const ThemeIconLookup lookup({QStringLiteral("/nonexistent/icons")}, {QStringLiteral("Adwaita")});
    EXPECT_TRUE(lookup.Find({QStringLiteral("text-x-generic")}, {16}).isNull());
}

// The icon cache finds file-type pictures without touching the application's icon settings,
// which belong to the host.
TEST(IconCache, LeavesTheApplicationsIconThemeAlone)
{
    const QString themeBefore = QIcon::themeName();
    const QStringList pathsBefore = QIcon::themeSearchPaths();
    const QString fallbackBefore = QIcon::fallbackThemeName();
    {
        IconCache cache;
        for (const char* path : {"a.mp3", "b.txt", "c.avi", "d.zip"})
            cache.ImageIndexFor(path);
    }
    EXPECT_EQ(QIcon::themeName(), themeBefore);
    EXPECT_EQ(QIcon::themeSearchPaths(), pathsBefore);
    EXPECT_EQ(QIcon::fallbackThemeName(), fallbackBefore);
}

// Read straight from the theme folders, the pictures are those Qt's own theme loader gives
// when the same themes are chosen, so the list looks as it does on a desktop with them.
TEST(IconCache, FileTypePicturesMatchQtsThemeLoader)
{
    const QStringList folders = ThemeIconLookup::SystemSearchFolders();
    if (!QFileInfo::exists(QStringLiteral("/usr/share/icons/Adwaita/index.theme")))
        GTEST_SKIP() << "the Adwaita icon theme is not installed";
    std::vector<std::string> extensions = {".mp3", ".avi", ".jpg", ".txt", ".zip", ".pdf", ".exe", ".doc", ".mkv", ".iso"};
    IconCache cache;
    std::vector<const velkan::ui::PicturePair*> ours;
    for (const std::string& extension : extensions)
        ours.push_back(cache.Images().Picture(cache.ImageIndexFor("file" + extension)));

    // Only now, after the cache has done its work, is a theme chosen for the application.
    QIcon::setThemeSearchPaths(folders);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    const QMimeDatabase database;
    int themed = 0;
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        ASSERT_NE(ours[i], nullptr);
        const QMimeType mime = database.mimeTypeForFile(QString::fromStdString("x" + extensions[i]),
                                                        QMimeDatabase::MatchExtension);
        const QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (icon.isNull())
            continue;
        ++themed;
        const QImage normal = ours[i]->Normal().toImage();
        const QImage doubled = ours[i]->Doubled().toImage();
        EXPECT_EQ(normal, icon.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(normal.format()))
            << extensions[i] << " " << mime.iconName().toStdString();
        EXPECT_EQ(doubled, icon.pixmap(QSize(16, 16), 2.0).toImage().convertToFormat(doubled.format()))
            << extensions[i] << " at twice the density";
    }
    // The table is of common types: most of them must have had a picture to compare.
    EXPECT_GE(themed, 6);
}

} // namespace
