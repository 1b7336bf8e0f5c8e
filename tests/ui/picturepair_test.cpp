#include "ui/imagelist.h"
#include "ui/picturepair.h"

#include <QPixmap>
#include <gtest/gtest.h>

using velkan::ui::DoubleSizePath;
using velkan::ui::ImageList;
using velkan::ui::PicturePair;

namespace {

QPixmap Filled(int width, int height, const QColor& colour)
{
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pixmap;
}

TEST(DoubleSizePath, PutsTheMarkBeforeTheSuffix)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral(":/bitmaps/202.bmp"), QStringLiteral(":/bitmaps/202@2x.bmp")},
        {QStringLiteral("/tmp/x.y/gauges.strip.bmp"), QStringLiteral("/tmp/x.y/gauges.strip@2x.bmp")},
        {QStringLiteral("/tmp/x.y/plain"), QStringLiteral("/tmp/x.y/plain@2x")},
    };
    for (const auto& [path, doubled] : cases)
        EXPECT_EQ(DoubleSizePath(path), doubled) << path.toStdString();
}

TEST(PicturePair, KeepsOnlyAnExactlyTwiceSizeForm)
{
    struct Case {
        const char* name;
        QSize doubled;
        bool kept;
    };
    const Case cases[] = {
        {"twice", {32, 24}, true},
        {"same size", {16, 12}, false},
        {"too wide", {33, 24}, false},
        {"none", {0, 0}, false},
    };
    for (const Case& c : cases) {
        const QPixmap doubled =
            c.doubled.isEmpty() ? QPixmap() : Filled(c.doubled.width(), c.doubled.height(), Qt::red);
        const PicturePair pair(Filled(16, 12, Qt::blue), doubled);
        EXPECT_EQ(pair.Size(), QSize(16, 12)) << c.name;
        EXPECT_EQ(!pair.Doubled().isNull(), c.kept) << c.name;
        if (c.kept) {
            EXPECT_EQ(pair.Doubled().devicePixelRatio(), 2.0) << c.name;
            EXPECT_EQ(pair.Doubled().deviceIndependentSize(), QSizeF(16, 12)) << c.name;
        }
    }
    // Without the ordinary picture there is nothing.
    const PicturePair empty(QPixmap(), Filled(32, 24, Qt::red));
    EXPECT_TRUE(empty.IsNull());
    EXPECT_TRUE(empty.Doubled().isNull());
}

TEST(ImageList, FitsTheTwiceSizeFormIntoThirtyTwoPixels)
{
    ImageList list;
    ASSERT_EQ(list.Add(Filled(16, 16, Qt::blue), Filled(64, 64, Qt::green)), 0);
    ASSERT_EQ(list.Add(Filled(16, 16, Qt::blue)), 1);
    // A twice-size form that arrives with its own ratio counts by its pixels.
    QPixmap marked = Filled(32, 32, Qt::red);
    marked.setDevicePixelRatio(2);
    ASSERT_EQ(list.Add(Filled(16, 16, Qt::blue), marked), 2);
    ASSERT_EQ(list.Picture(0)->Doubled().size(), QSize(32, 32));
    EXPECT_EQ(list.Picture(0)->Doubled().toImage().pixel(16, 16), QColor(Qt::green).rgba());
    EXPECT_TRUE(list.Picture(1)->Doubled().isNull());
    EXPECT_EQ(list.Picture(2)->Doubled().size(), QSize(32, 32));
    EXPECT_EQ(list.Picture(3), nullptr);
    EXPECT_EQ(list.Picture(-1), nullptr);
}

} // namespace
