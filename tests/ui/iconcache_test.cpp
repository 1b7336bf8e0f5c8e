#include "ui/iconcache.h"
#include "ui/imagelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

using velkan::ui::IconCache;
using velkan::ui::ImageList;
using velkan::ui::LoadFolderPictures;

namespace {

QPixmap Square(const QColor& color, int side = ImageList::kImageSide)
{
    QPixmap pixmap(side, side);
    pixmap.fill(color);
    return pixmap;
}

ImageList EightBuiltInPictures()
{
    ImageList list;
    for (int n = 0; n < 8; ++n)
        list.Add(Square(QColor(n * 30, 0, 0)));
    return list;
}

int CountPixels(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color.rgba() ? 1 : 0;
    }
    return count;
}

TEST(ImageList, AppendsSixteenSquarePictures)
{
    ImageList list;
    EXPECT_EQ(list.Add(Square(Qt::red)), 0);
    EXPECT_EQ(list.Add(Square(Qt::blue, 32)), 1);
    EXPECT_EQ(list.Add(QPixmap()), -1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Pixmap(0).size(), QSize(16, 16));
    EXPECT_EQ(list.Pixmap(1).size(), QSize(16, 16));
    EXPECT_EQ(list.Pixmap(1).toImage().pixel(8, 8), QColor(Qt::blue).rgba());
    EXPECT_TRUE(list.Pixmap(-1).isNull());
    EXPECT_TRUE(list.Pixmap(2).isNull());
}

TEST(IconCache, NumbersExtensionsAfterTheBuiltInPictures)
{
    ImageList list = EightBuiltInPictures();
    IconCache cache;
    ASSERT_EQ(&cache.Attach(&list), &list);
    EXPECT_EQ(cache.EntryCount(), 8);
    EXPECT_EQ(cache.IndexOfKey("ORG_0"), 0);
    EXPECT_EQ(cache.IndexOfKey("ORG_7"), 7);

    struct Case {
        std::string path;
        int index;
    };
    const Case cases[] = {
        {"song.mp3", 8},
        {"notes.txt", 9},
        {"other.mp3", 8},      // known: no new picture
        {"README", 10},        // no dot: the empty key
        {".bashrc", 10},       // only a leading dot: the empty key too
        {"song.MP3", 11},      // no case folding
        {"dir.v1/readme", 12}, // the last dot of the whole name, even in a folder part
        {"other.v1/readme", 12},
        {"archive.tar.gz", 13}, // from the last dot only
        {"x.gz", 13},
        {"weird.", 14}, // a lone trailing dot is a key of its own
        {"notes.txt", 9},
    };
    int expectedCount = 8;
    for (const Case& c : cases) {
        const int index = cache.ImageIndexFor(c.path);
        EXPECT_EQ(index, c.index) << c.path;
        if (index == expectedCount)
            ++expectedCount;
        EXPECT_EQ(list.Count(), expectedCount) << c.path;
        EXPECT_EQ(cache.EntryCount(), list.Count()) << c.path;
        EXPECT_EQ(list.Pixmap(index).size(), QSize(16, 16)) << c.path;
    }
    EXPECT_EQ(cache.IndexOfKey(".mp3"), 8);
    EXPECT_EQ(cache.IndexOfKey(".MP3"), 11);
    EXPECT_EQ(cache.IndexOfKey(""), 10);
    EXPECT_EQ(cache.IndexOfKey(".v1/readme"), 12);
    // The built-in pictures are left as they were.
    EXPECT_EQ(list.Pixmap(3).toImage().pixel(0, 0), QColor(90, 0, 0).rgba());
}

TEST(IconCache, AttachingStartsTheEntriesAgain)
{
    ImageList list = EightBuiltInPictures();
    IconCache cache;
    cache.Attach(&list);
    EXPECT_EQ(cache.ImageIndexFor("a.mp3"), 8);

    // Attached again, the list's nine pictures are all entered under their numbers.
    cache.Attach(&list);
    EXPECT_EQ(cache.EntryCount(), 9);
    EXPECT_EQ(cache.IndexOfKey(".mp3"), -1);
    EXPECT_EQ(cache.ImageIndexFor("a.mp3"), 9);
    EXPECT_EQ(list.Count(), 10);
}

TEST(IconCache, WithoutAListUsesAnEmptyOneOfItsOwn)
{
    ImageList list = EightBuiltInPictures();
    IconCache cache;
    cache.Attach(&list);
    ImageList& own = cache.Attach(nullptr);
    EXPECT_NE(&own, &list);
    EXPECT_EQ(&own, &cache.Images());
    EXPECT_EQ(own.Count(), 0);
    EXPECT_EQ(cache.EntryCount(), 0);
    EXPECT_EQ(cache.ImageIndexFor("a.mp3"), 0);
    EXPECT_EQ(cache.ImageIndexFor("b.txt"), 1);
    EXPECT_EQ(own.Count(), 2);
    EXPECT_EQ(list.Count(), 8);

    // A new cache starts the same way.
    IconCache fresh;
    EXPECT_EQ(fresh.Images().Count(), 0);
    EXPECT_EQ(fresh.ImageIndexFor("a.mp3"), 0);
}

TEST(IconCache, LeavesAnAttachedListToItsOwner)
{
    ImageList list = EightBuiltInPictures();
    {
        IconCache cache;
        cache.Attach(&list);
        cache.ImageIndexFor("a.mp3");
    }
    // Still whole after the cache is gone (the sanitizer would catch a release).
    EXPECT_EQ(list.Count(), 9);
    EXPECT_EQ(list.Pixmap(8).size(), QSize(16, 16));

    // Re-attaching the list the cache made itself keeps it alive.
    IconCache cache;
    ImageList& own = cache.Attach(nullptr);
    cache.ImageIndexFor("a.mp3");
    EXPECT_EQ(&cache.Attach(&own), &own);
    EXPECT_EQ(own.Count(), 1);
    EXPECT_EQ(cache.ImageIndexFor("b.txt"), 1);
}

TEST(IconCache, BuiltInPicturesKeepTheirNumbers)
{
    IconCache cache;
    for (const int picture : {0, 1, 4, 6, 7})
        EXPECT_EQ(cache.BuiltInImageIndex(picture), picture);
}

TEST(IconCache, GenericPicturesTellExtensionsApart)
{
    const std::string keys[] = {".abc", ".xyz", ".ABC", ".v1/readme"};
    for (const std::string& key : keys) {
        const QImage picture = IconCache::GenericFilePicture(key).toImage();
        ASSERT_EQ(picture.size(), QSize(16, 16)) << key;
        EXPECT_GT(CountPixels(picture, Qt::white), 0) << key;
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << key;
        EXPECT_EQ(IconCache::BandColor(key), IconCache::BandColor(key)) << key;
        EXPECT_GT(CountPixels(picture, IconCache::BandColor(key)), 0) << key;
        for (const std::string& other : keys) {
            if (other == key)
                continue;
            EXPECT_NE(IconCache::BandColor(key), IconCache::BandColor(other)) << key << other;
            EXPECT_EQ(CountPixels(picture, IconCache::BandColor(other)), 0) << key << other;
        }
    }
    // The empty key's page has no band: it is the same picture for every name without one.
    EXPECT_FALSE(IconCache::BandColor("").isValid());
    const QImage plain = IconCache::GenericFilePicture("").toImage();
    EXPECT_EQ(plain, IconCache::GenericFilePicture("").toImage());
    EXPECT_NE(plain, IconCache::GenericFilePicture(".abc").toImage());
}

// Look-ups made while the worker prepares, or after it, give the pictures a cache without one
// gives; the worker says once that it is done.
TEST(IconCache, PreparingInTheBackgroundChangesNoPicture)
{
    const std::string files[] = {"a.mp3", "b.txt", "c.zip", "d.unknownkind", "e.doc"};
    IconCache plain;
    IconCache prepared;
    std::atomic<int> doneCalls = 0;
    prepared.PrepareInBackground([&] { ++doneCalls; });
    prepared.LoadPicturesOf(".mp3"); // enters nothing
    EXPECT_EQ(prepared.EntryCount(), 0);
    for (const std::string& file : files) {
        const int index = prepared.ImageIndexFor(file);
        ASSERT_EQ(index, plain.ImageIndexFor(file)) << file;
        EXPECT_EQ(prepared.Images().Picture(index)->Normal().toImage(), plain.Images().Picture(index)->Normal().toImage()) << file;
        EXPECT_EQ(prepared.Images().Picture(index)->Doubled().toImage(), plain.Images().Picture(index)->Doubled().toImage()) << file;
    }
    for (int wait = 0; wait < 500 && doneCalls == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(doneCalls, 1);
}

// With someone to tell, a look-up made while the theme is still being listed does not wait: it
// gets the generic picture at once, and the theme's takes its place at the same index when the
// listing is done.
TEST(IconCache, ALookUpBeforeTheListingGetsTheGenericPictureThenTheThemes)
{
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QStringLiteral("hicolor"))
        GTEST_SKIP() << "the application's own icon theme is in use";
    QTemporaryDir folders;
    ASSERT_TRUE(folders.isValid());
    const QDir themeFolder(folders.filePath(QStringLiteral("Fixture")));
    ASSERT_TRUE(themeFolder.mkpath(QStringLiteral("16x16/mimetypes")));
    QFile index(themeFolder.filePath(QStringLiteral("index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Fixture\nDirectories=16x16/mimetypes\n\n[16x16/mimetypes]\nSize=16\n");
    index.close();
    ASSERT_TRUE(Square(Qt::red).save(themeFolder.filePath(QStringLiteral("16x16/mimetypes/audio-mpeg.png"))));

    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    IconCache cache({folders.path()}, {QStringLiteral("Fixture")}, [released] { released.wait(); });
    int changes = 0;
    cache.OnPicturesChanged([&] { ++changes; });
    cache.PrepareInBackground([] {});

    const int first = cache.ImageIndexFor("a.mp3");
    ASSERT_EQ(first, 0);
    EXPECT_EQ(cache.Images().Pixmap(first).toImage(), IconCache::GenericFilePicture(".mp3").toImage());
    EXPECT_FALSE(cache.PicturesFinal());
    EXPECT_EQ(cache.ImageIndexFor("b.mp3"), first);

    release.set_value();
    for (int wait = 0; wait < 500 && !cache.PicturesFinal(); ++wait) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(cache.PicturesFinal());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(cache.EntryCount(), 1);
    EXPECT_EQ(cache.Images().Count(), 1);
    EXPECT_EQ(cache.Images().Pixmap(first).toImage().convertToFormat(QImage::Format_RGB32),
              Square(Qt::red).toImage().convertToFormat(QImage::Format_RGB32));
    // Later look-ups find the theme's picture at once.
    EXPECT_EQ(cache.ImageIndexFor("c.mp3"), first);
}

TEST(LoadFolderPictures, CutsTheStripWithTheBottomLeftColorTransparent)
{
    const QColor mask(0, 128, 128);
    QImage strip(128, 16, QImage::Format_RGB32);
    for (int n = 0; n < 8; ++n) {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                strip.setPixel(n * 16 + x, y, qRgb(20 + n * 25, 200 - n * 20, 50));
        }
    }
    strip.setPixel(0, 15, mask.rgb());       // first in the file: the mask colour
    strip.setPixel(0, 0, qRgb(255, 255, 0)); // the top-left corner is an ordinary pixel
    strip.setPixel(3 * 16 + 5, 7, mask.rgb());
    strip.setPixel(7 * 16 + 15, 0, mask.rgb());

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("220.bmp"));
    ASSERT_TRUE(strip.save(path, "BMP"));

    const ImageList pictures = LoadFolderPictures(path);
    ASSERT_EQ(pictures.Count(), 8);
    for (int n = 0; n < 8; ++n) {
        const QImage picture = pictures.Pixmap(n).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), QSize(16, 16)) << n;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb source = strip.pixel(n * 16 + x, y);
                const QRgb expected = source == mask.rgb() ? 0u : source;
                const QRgb actual = picture.pixel(x, y);
                ASSERT_EQ(qAlpha(actual) == 0 ? 0u : actual, expected)
                    << "picture " << n << " at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(LoadFolderPictures, TakesTheTwiceSizeStripBesideIt)
{
    const QColor mask(0, 128, 128);
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(qRgb(10, 20, 30));
    strip.setPixel(0, 15, mask.rgb());
    QImage doubled(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x)
            doubled.setPixel(x, y, qRgb(x * 3, y * 5, 200));
    }
    doubled.setPixel(33, 1, mask.rgb()); // transparent in the second picture

    struct Case {
        const char* name;
        QImage doubled; // null: no file
        bool kept;
    };
    const Case cases[] = {
        {"twice the size", doubled, true},
        {"another size", doubled.copy(0, 0, 62, 32), false},
        {"no file", QImage(), false},
    };
    for (const Case& c : cases) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("220.bmp"));
        ASSERT_TRUE(strip.save(path, "BMP"));
        if (!c.doubled.isNull()) {
            ASSERT_TRUE(c.doubled.save(folder.filePath(QStringLiteral("220@2x.bmp")), "BMP"));
        }
        const ImageList pictures = LoadFolderPictures(path);
        ASSERT_EQ(pictures.Count(), 2) << c.name;
        for (int n = 0; n < 2; ++n) {
            const QPixmap twice = pictures.Picture(n)->Doubled();
            ASSERT_EQ(!twice.isNull(), c.kept) << c.name << " " << n;
            if (!c.kept)
                continue;
            const QImage image = twice.toImage().convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(image.size(), QSize(32, 32));
            for (const QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(31, 31)}) {
                const QRgb source = doubled.pixel(32 * n + at.x(), at.y());
                const QRgb expected = source == mask.rgb() ? 0u : source;
                const QRgb actual = image.pixel(at);
                EXPECT_EQ(qAlpha(actual) == 0 ? 0u : actual, expected)
                    << c.name << " picture " << n << " at " << at.x() << ", " << at.y();
            }
        }
    }
}

TEST(LoadFolderPictures, NothingWhenTheStripDoesNotLoad)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(LoadFolderPictures(folder.filePath(QStringLiteral("missing.bmp"))).Count(), 0);
}

} // namespace
