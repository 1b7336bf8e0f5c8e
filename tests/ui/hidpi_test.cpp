// Run once for each screen ratio (QT_SCALE_FACTOR 1, 1.5 and 2, set by CTest): the pictures
// cover the same logical size at every ratio, and above 1 they come from the twice-size
// drawings, never from enlarged ordinary ones.

#include "ui/bitmapbutton.h"
#include "search/compareresults.h"
#include "ui/iconcache.h"
#include "ui/imagelist.h"
#include "ui/resultlistctrl.h"
#include "search/resultmodel.h"
#include "ui/sortheader.h"

#include <QApplication>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace velkan;
using search::ResultRow;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

qreal Ratio()
{
    return qApp->devicePixelRatio();
}

// The source picture as drawn over `ground`: its magenta pixels show the ground.
QImage OverGround(const QImage& source, QRgb ground)
{
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & RGB_MASK) == (kMagenta & RGB_MASK))
                image.setPixel(x, y, ground);
        }
    }
    return image;
}

// The smallest rectangle holding every pixel that is not `ground`.
QRect InkBounds(const QImage& image, QRgb ground)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) | 0xff000000u) != (ground | 0xff000000u))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// Whether `shot` holds `picture` at `origin`, pixel for pixel.
::testing::AssertionResult Holds(const QImage& shot, const QImage& picture, QPoint origin)
{
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb want = picture.pixel(x, y) | 0xff000000u;
            const QRgb got = shot.pixel(origin + QPoint(x, y)) | 0xff000000u;
            if (want != got) {
                return ::testing::AssertionFailure()
                       << "(" << x << ", " << y << ") is " << QColor(got).name().toStdString()
                       << ", the picture has " << QColor(want).name().toStdString();
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// How many 2 x 2 blocks, on the even grid, hold more than one colour: none for a picture
// enlarged by repeating its pixels.
int MixedBlocks(const QImage& image)
{
    int mixed = 0;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            mixed += p != image.pixel(x + 1, y) || p != image.pixel(x, y + 1) ||
                             p != image.pixel(x + 1, y + 1)
                         ? 1
                         : 0;
        }
    }
    return mixed;
}

int Device(qreal logical)
{
    return static_cast<int>(std::lround(logical * Ratio()));
}

TEST(HiDpi, ButtonFacesCoverTheirLogicalSizeFromTheirOwnDrawings)
{
    const QImage normal(QStringLiteral(":/bitmaps/202.bmp"));
    const QImage doubled(QStringLiteral(":/bitmaps/202@2x.bmp"));
    ASSERT_EQ(normal.size(), QSize(83, 23));
    ASSERT_EQ(doubled.size(), QSize(166, 46));
    // The twice-size face is a drawing of its own: a face enlarged by repeating pixels would
    // have no 2 x 2 block of two colours.
    EXPECT_GT(MixedBlocks(OverGround(doubled, kWhite)), 200);

    QWidget window;
    window.resize(120, 40);
    ui::BitmapButton button(&window);
    button.setGeometry(10, 10, 90, 22);
    ASSERT_EQ(button.SetBitmapResources(202, 202, 203, QColor(kMagenta)), ui::BitmapButton::kOk);
    for (const quint8 entry : {ui::BitmapButton::kHoverBackground, ui::BitmapButton::kOutBackground,
                               ui::BitmapButton::kFocusBackground}) {
        button.SetColor(entry, Qt::white, false);
    }
    ASSERT_FALSE(button.DoubleSizeBitmap(ui::BitmapButton::kOutImage).isNull());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QImage shot = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(Device(90), Device(22)));
    // Centred as at ratio 1: (90 - 83) / 2 = 3 across, (22 - 23) / 2 = 0 down.
    if (Ratio() == 1.0) {
        EXPECT_TRUE(Holds(shot, OverGround(normal, kWhite).copy(0, 0, 83, 22), {3, 0}));
    } else if (Ratio() == 2.0) {
        EXPECT_TRUE(Holds(shot, OverGround(doubled, kWhite).copy(0, 0, 166, 44), {6, 0}));
    } else {
        // Scaled to the device from the twice-size face: it spans the face's logical width.
        const QRect ink = InkBounds(shot, kWhite);
        EXPECT_NEAR(ink.width(), 83 * Ratio(), 1.5);
        EXPECT_NEAR(ink.left(), 3 * Ratio(), 1.0);
        // Shades between the face's own colours: the twice-size face scaled down, not the
        // ordinary one enlarged by repeating some of its pixels.
        QSet<QRgb> ordinary = {kWhite};
        const QImage face = OverGround(normal, kWhite);
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x)
                ordinary.insert(face.pixel(x, y));
        }
        int shades = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                shades += ordinary.contains(shot.pixel(x, y)) ? 0 : 1;
        }
        EXPECT_GT(shades, 500);
    }
}

// A list of one row showing a folder picture and a gauge, or a file picture of our own whose
// twice-size form is a checkerboard.
class HiDpiListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_list.SetResultModel(&m_model);
        m_list.resize(400, 120);
        for (int column = 0; column < 5; ++column)
            m_list.setColumnWidth(column, 80);
    }

    void AddRow(int image, int speed)
    {
        const search::SearchResult* record =
            m_model.AddRecord({.nick = "kim", .path = "C:\\d\\a.mp3", .size = 1, .speed = speed});
        m_model.AppendRows({{record, image, ResultRow::Kind::File}});
    }

    // The device pixels of the row's cell, whose ground is white (row 0).
    QImage CellShot(int column)
    {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_list));
        const QImage shot = m_list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect cell = m_list.visualRect(m_model.index(0, column));
        m_cellTop = cell.top();
        m_cellHeight = cell.height();
        return shot.copy(Device(cell.left()), Device(cell.top()), Device(cell.width()), Device(cell.height()));
    }

    search::ResultModel m_model;
    ui::ResultListCtrl m_list;
    int m_cellTop = 0;
    int m_cellHeight = 0;
};

TEST_F(HiDpiListTest, FileTypePicturesAreSixteenLogicalPixels)
{
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    QImage checks(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            checks.setPixel(x, y, (x + y) % 2 == 0 ? qRgb(0, 0, 255) : qRgb(0, 128, 0));
    }
    ui::ImageList images;
    ASSERT_EQ(images.Add(blue, QPixmap::fromImage(checks)), 0);
    m_list.SetSmallImages(&images);
    AddRow(0, 0);
    m_list.show();
    const QImage cell = CellShot(search::NameColumn);
    const QRect ink = InkBounds(cell.copy(0, 0, Device(2 + 16 + 2), cell.height()), kWhite);
    // Two logical pixels in, sixteen across, whatever the ratio.
    EXPECT_NEAR(ink.left(), 2 * Ratio(), 1.0);
    EXPECT_NEAR(ink.width(), 16 * Ratio(), 1.0);
    EXPECT_NEAR(ink.height(), 16 * Ratio(), 1.0);
    if (Ratio() == 1.0) {
        EXPECT_TRUE(Holds(cell, blue.toImage().convertToFormat(QImage::Format_RGB32), ink.topLeft()));
    } else if (Ratio() == 2.0) {
        EXPECT_TRUE(Holds(cell, checks, ink.topLeft()));
    } else {
        // Scaled down from the checkerboard, the blue has green in it.
        const QRgb middle = cell.pixel(ink.center());
        EXPECT_GT(qGreen(middle), 20) << QColor(middle).name().toStdString();
    }
}

TEST_F(HiDpiListTest, TheIconCachesPicturesHaveBothSizes)
{
    ui::IconCache cache;
    for (const char* name : {"song.mp3", "notes.txt", "data.qqqzz", "README"}) {
        const int index = cache.ImageIndexFor(name);
        const ui::PicturePair* picture = cache.Images().Picture(index);
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_EQ(picture->Normal().size(), QSize(16, 16)) << name;
        EXPECT_EQ(picture->Normal().devicePixelRatio(), 1.0) << name;
        EXPECT_EQ(picture->Doubled().size(), QSize(32, 32)) << name;
        EXPECT_EQ(picture->Doubled().devicePixelRatio(), 2.0) << name;
    }
    // Our own picture keeps its one-pixel outline at twice the size.
    const QImage generic = ui::IconCache::GenericFilePicture(".qqqzz", 2).toImage();
    ASSERT_EQ(generic.size(), QSize(32, 32));
    EXPECT_EQ(generic.pixel(4, 16), qRgb(128, 128, 128));
    EXPECT_EQ(generic.pixel(5, 16), kWhite);

    // Drawn in the list, the theme's picture for .mp3 spans more than the 16 device pixels of
    // the ordinary one at ratio 2, and no more than 16 logical pixels.
    m_list.SetSmallImages(&cache.Images());
    AddRow(cache.ImageIndexFor("song.mp3"), 0);
    m_list.show();
    const QImage cell = CellShot(search::NameColumn);
    const QRect ink = InkBounds(cell.copy(0, 0, Device(2 + 16), cell.height()), kWhite);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.width(), Device(16));
    EXPECT_GT(ink.width(), Device(16) * 5 / 8);
}

TEST_F(HiDpiListTest, FolderPicturesAndGaugesFromTheirTwiceSizeStrips)
{
    const ui::ImageList folders = ui::LoadFolderPictures();
    ASSERT_EQ(folders.Count(), 8);
    const QImage strip2x(QStringLiteral(":/bitmaps/220@2x.bmp"));
    ASSERT_EQ(strip2x.size(), QSize(256, 32));
    for (int n = 0; n < 8; ++n) {
        const QImage doubled = folders.Picture(n)->Doubled().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(doubled.size(), QSize(32, 32)) << n;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb source = strip2x.pixel(32 * n + x, y) | 0xff000000u;
                const QRgb kept = doubled.pixel(x, y);
                ASSERT_EQ(qAlpha(kept) == 0 ? kMagenta : kept, source) << n << " at " << x << ", " << y;
            }
        }
    }
    const QImage gauges(QStringLiteral(":/bitmaps/213.bmp"));
    const QImage gauges2x(QStringLiteral(":/bitmaps/213@2x.bmp"));
    ASSERT_EQ(gauges2x.size(), 2 * gauges.size());

    m_list.SetSmallImages(&folders);
    ASSERT_TRUE(m_list.LoadSpeedImages(QStringLiteral(":/bitmaps/213.bmp")));
    AddRow(1, 250); // the closed folder, five bars
    m_list.show();
    const QImage name = CellShot(search::NameColumn);
    const QImage speed = CellShot(search::SpeedColumn);
    // Placed as at ratio 1: two pixels in, centred on the row.
    const int folderTop = (2 * m_cellTop + m_cellHeight) / 2 - 8 - m_cellTop;
    const int gaugeTop = (2 * m_cellTop + m_cellHeight) / 2 - 6 - m_cellTop;
    if (Ratio() == 1.0) {
        EXPECT_TRUE(Holds(name, OverGround(QImage(ui::kFolderPicturesPath).copy(16, 0, 16, 16), kWhite), {2, folderTop}));
        EXPECT_TRUE(Holds(speed, gauges.copy(5 * 33, 0, 33, 12).convertToFormat(QImage::Format_RGB32), {2, gaugeTop}));
    } else if (Ratio() == 2.0) {
        EXPECT_TRUE(Holds(name, OverGround(strip2x.copy(32, 0, 32, 32), kWhite), {4, 2 * folderTop}));
        EXPECT_TRUE(Holds(speed, gauges2x.copy(5 * 66, 0, 66, 24).convertToFormat(QImage::Format_RGB32), {4, 2 * gaugeTop}));
    } else {
        const QRect gauge = InkBounds(speed.copy(0, 0, Device(2 + 33 + 2), speed.height()), kWhite);
        EXPECT_NEAR(gauge.width(), 33 * Ratio(), 1.5);
        EXPECT_NEAR(gauge.height(), 12 * Ratio(), 1.5);
        const QRect folder = InkBounds(name.copy(0, 0, Device(2 + 16), name.height()), kWhite);
        EXPECT_NEAR(folder.left(), 2 * Ratio(), 1.0);
        EXPECT_LE(folder.width(), Device(16));
    }
}

TEST_F(HiDpiListTest, SortArrowLinesAreOneDevicePixelWide)
{
    AddRow(-1, 0);
    m_list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    ui::SortHeader& header = *m_list.Header();
    const int column = 2;
    const int right = header.sectionViewportPosition(column) + header.sectionSize(column);
    const int b = header.viewport()->height();
    const int o = b / 4;
    ASSERT_GE(o, 3);
    const QRgb light = header.palette().color(QPalette::Light).rgb();
    const QRgb dark = header.palette().color(QPalette::Dark).rgb();
    const auto lineColour = [&](QRgb pixel) { return pixel == light || pixel == dark; };

    m_list.SortByColumn(column, true);
    const QImage shot = header.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The base of the upward triangle runs along one device row, and nothing is drawn in the
    // rows just above and below it within its span.
    const int baseY = Device(b - o - 1);
    const int from = Device(right - 3 * o - 1) + 2;
    const int to = Device(right - o) - 1;
    ASSERT_LT(from, to);
    for (int x = from; x < to; ++x) {
        EXPECT_TRUE(lineColour(shot.pixel(x, baseY))) << "x " << x;
        EXPECT_FALSE(lineColour(shot.pixel(x, baseY + 1))) << "x " << x;
    }
    // The apex where the two sides meet, at the same logical place as at ratio 1.
    EXPECT_TRUE(lineColour(shot.pixel(Device(right - 2 * o), Device(o))));
    // Every line pixel of the triangle, counted: the sides are one device pixel wide, so they
    // hold about as many pixels as the triangle is tall and wide in device pixels, not twice.
    int linePixels = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = Device(right - 4 * o); x < std::min(shot.width(), Device(right)); ++x)
            linePixels += lineColour(shot.pixel(x, y)) ? 1 : 0;
    }
    const int height = Device(b - 2 * o);
    const int base = Device(2 * o);
    EXPECT_LE(linePixels, 2 * height + base + 4);
    EXPECT_GE(linePixels, 2 * height + base - 6);
}

} // namespace
