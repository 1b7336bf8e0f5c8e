#include "ui/bitmapbutton.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

using velkan::ui::BitmapButton;

namespace {

const QColor kTransparent(255, 0, 255);
const QColor kHoverBackground(0, 0, 200);
const QColor kRestBackground(90, 90, 90);
const QColor kFocusBackground(230, 200, 0);
const QColor kInColor(220, 0, 0);
const QColor kOutColor(0, 160, 0);
const QColor kDisabledColor(150, 150, 150);

// A picture of one colour whose top-left pixel has the transparent colour.
QImage Picture(QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.setPixel(0, 0, kTransparent.rgb());
    return image;
}

// A picture whose every pixel differs from the others, none of them transparent.
QImage Gradient(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(10 * x + 5, 10 * y + 5, 77));
    }
    return image;
}

QString ColorName(QRgb rgb)
{
    return QColor(rgb).name();
}

// Every pixel of the shot: `picture` at `origin` where it covers the button (its transparent
// pixels showing `background`), `background` everywhere else.
::testing::AssertionResult DrawnAs(const QImage& shot, const QColor& background,
                                   const QImage& picture, QPoint origin)
{
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QPoint inPicture = QPoint(x, y) - origin;
            QRgb expected = background.rgb();
            if (!picture.isNull() && picture.rect().contains(inPicture)) {
                const QRgb pixel = picture.pixel(inPicture) | 0xff000000u;
                if (pixel != kTransparent.rgb())
                    expected = pixel;
            }
            const QRgb actual = image.pixel(x, y) | 0xff000000u;
            if (actual != expected) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << ColorName(actual).toStdString()
                       << ", expected " << ColorName(expected).toStdString();
            }
        }
    }
    return ::testing::AssertionSuccess();
}

void SendMove(QWidget* widget, QPoint position, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A window with, in focus order: a line edit before the button, the button (20 x 20 at
// (10, 10)), a label, a disabled and a hidden line edit, a click-only line edit, and the
// line edit Tab reaches next.
class BitmapButtonTest : public ::testing::Test {
public:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(200, 100);
        m_before = new QLineEdit(m_window.get());
        m_before->setGeometry(40, 10, 40, 20);
        m_button = new BitmapButton(m_window.get());
        m_button->setGeometry(10, 10, 20, 20);
        auto* label = new QLabel(QStringLiteral("검색"), m_window.get());
        label->setGeometry(90, 10, 30, 20);
        auto* disabled = new QLineEdit(m_window.get());
        disabled->setEnabled(false);
        disabled->setGeometry(10, 40, 20, 20);
        auto* hidden = new QLineEdit(m_window.get());
        hidden->hide();
        auto* clickOnly = new QLineEdit(m_window.get());
        clickOnly->setFocusPolicy(Qt::ClickFocus);
        clickOnly->setGeometry(40, 40, 20, 20);
        m_next = new QLineEdit(m_window.get());
        m_next->setGeometry(70, 40, 40, 20);

        m_button->SetColor(BitmapButton::kHoverBackground, kHoverBackground, false);
        m_button->SetColor(BitmapButton::kOutBackground, kRestBackground, false);
        m_button->SetColor(BitmapButton::kFocusBackground, kFocusBackground, false);
        ASSERT_EQ(m_button->SetBitmaps(InPicture(), OutPicture(), DisabledPicture(), kTransparent),
                  BitmapButton::kOk);

        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        m_before->setFocus();
        ASSERT_TRUE(m_before->hasFocus());
    }

    void TearDown() override
    {
        if (m_leftHeld)
            Release();
    }

    static QImage InPicture() { return Picture({4, 4}, kInColor); }
    static QImage OutPicture() { return Picture({4, 4}, kOutColor); }
    static QImage DisabledPicture() { return Picture({4, 4}, kDisabledColor); }

    void Press()
    {
        QTest::mousePress(m_button, Qt::LeftButton);
        m_leftHeld = true;
    }
    void Release()
    {
        QTest::mouseRelease(m_button, Qt::LeftButton);
        m_leftHeld = false;
    }
    void Hover() { SendMove(m_button, {5, 5}, Qt::NoButton); }

    QImage Shot() const { return m_button->grab().toImage(); }

    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_before = nullptr;
    BitmapButton* m_button = nullptr;
    QLineEdit* m_next = nullptr;
    bool m_leftHeld = false;
};

TEST_F(BitmapButtonTest, ClickIsReportedAndTakesTheFocus)
{
    QSignalSpy clicked(m_button, &QAbstractButton::clicked);
    QTest::mouseClick(m_button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(m_button->hasFocus());
}

TEST_F(BitmapButtonTest, DoubleClickIsTwoClicks)
{
    QSignalSpy clicked(m_button, &QAbstractButton::clicked);
    // Through the window system, which turns the second press into a double click.
    QWindow* window = m_window->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 2);

    // And as widgets receive it: press, release, double click, release.
    clicked.clear();
    QTest::mouseClick(m_button, Qt::LeftButton);
    QTest::mouseDClick(m_button, Qt::LeftButton);
    QTest::mouseRelease(m_button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 2);
}

struct DrawCase {
    std::string name;
    std::function<void(BitmapButtonTest&)> prepare;
    QColor background;
    QColor picture; // the picture's colour; the picture itself is 4 x 4
    QPoint origin;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DrawCase& c, std::ostream* out)
{
    *out << c.name;
}

class BitmapButtonDrawTest : public BitmapButtonTest,
                             public ::testing::WithParamInterface<DrawCase> {};

TEST_P(BitmapButtonDrawTest, DrawsBackgroundAndPictureOfTheState)
{
    const DrawCase& c = GetParam();
    c.prepare(*this);
    EXPECT_TRUE(DrawnAs(Shot(), c.background, Picture({4, 4}, c.picture), c.origin));
}

INSTANTIATE_TEST_SUITE_P(
    States, BitmapButtonDrawTest,
    ::testing::Values(
        DrawCase{"AtRest", [](BitmapButtonTest&) {}, kRestBackground, kOutColor, {8, 8}},
        DrawCase{
            "Hovering", [](BitmapButtonTest& f) { f.Hover(); }, kHoverBackground, kInColor, {8, 8}},
        DrawCase{
            "Pressed", [](BitmapButtonTest& f) { f.Press(); }, kHoverBackground, kInColor, {9, 9}},
        DrawCase{"Focused",
                 [](BitmapButtonTest& f) { f.m_button->setFocus(); },
                 kFocusBackground,
                 kOutColor,
                 {8, 8}},
        DrawCase{"FocusedAndHovering",
                 [](BitmapButtonTest& f) {
                     f.m_button->setFocus();
                     f.Hover();
                 },
                 kHoverBackground,
                 kInColor,
                 {8, 8}},
        DrawCase{"Disabled",
                 [](BitmapButtonTest& f) { f.m_button->setEnabled(false); },
                 kRestBackground,
                 kDisabledColor,
                 {8, 8}},
        DrawCase{"DisabledWhileHovering",
                 [](BitmapButtonTest& f) {
                     f.Hover();
                     f.m_button->setEnabled(false);
                     f.Hover();
                 },
                 kRestBackground,
                 kDisabledColor,
                 {8, 8}},
        DrawCase{"DisabledAndHeldDown",
                 [](BitmapButtonTest& f) {
                     f.m_button->setEnabled(false);
                     f.m_button->setDown(true);
                 },
                 kRestBackground,
                 kDisabledColor,
                 {8, 8}},
        DrawCase{"AtRestWithoutOutPicture",
                 [](BitmapButtonTest& f) {
                     f.m_button->SetBitmaps(BitmapButtonTest::InPicture(), std::nullopt,
                                            std::nullopt, kTransparent);
                 },
                 kRestBackground,
                 kInColor,
                 {8, 8}},
        DrawCase{"DisabledWithoutDisabledPicture",
                 [](BitmapButtonTest& f) {
                     f.m_button->SetBitmaps(BitmapButtonTest::InPicture(),
                                            BitmapButtonTest::OutPicture(), std::nullopt,
                                            kTransparent);
                     f.m_button->setEnabled(false);
                 },
                 kRestBackground,
                 kOutColor,
                 {8, 8}}),
    [](const ::testing::TestParamInfo<DrawCase>& param) { return param.param.name; });

TEST_F(BitmapButtonTest, CentresWithTheRemainderDroppedTowardZero)
{
    struct Case {
        QSize button;
        QSize picture;
        QPoint origin;
    };
    const Case cases[] = {
        {{20, 20}, {4, 4}, {8, 8}},     {{21, 20}, {4, 5}, {8, 7}},
        {{10, 10}, {13, 13}, {-1, -1}}, // overhangs by 3: one pixel left and top, two right
        {{10, 12}, {15, 13}, {-2, 0}},  {{9, 9}, {9, 9}, {0, 0}},
    };
    for (const Case& c : cases) {
        const QImage picture = Gradient(c.picture);
        m_button->resize(c.button);
        ASSERT_EQ(m_button->SetBitmaps(picture, picture, std::nullopt, kTransparent),
                  BitmapButton::kOk);
        const QImage shot = Shot();
        ASSERT_EQ(shot.size(), c.button);
        EXPECT_TRUE(DrawnAs(shot, kRestBackground, picture, c.origin))
            << c.button.width() << "x" << c.button.height() << " button, " << c.picture.width()
            << "x" << c.picture.height() << " picture";
    }
}

TEST_F(BitmapButtonTest, HoverStartsOnlyOnAMoveWithoutTheLeftButton)
{
    struct Case {
        const char* name;
        bool hoveringBefore;
        Qt::MouseButtons buttons;
        bool hoveringAfter;
    };
    const Case cases[] = {
        {"no button", false, Qt::NoButton, true},
        {"left held: a drag from elsewhere", false, Qt::LeftButton, false},
        {"left held while hovering", true, Qt::LeftButton, true},
        {"right held", false, Qt::RightButton, true},
        {"left and right held", false, Qt::LeftButton | Qt::RightButton, false},
    };
    for (const Case& c : cases) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(m_button, &leave);
        ASSERT_FALSE(m_button->IsHovering()) << c.name;
        if (c.hoveringBefore)
            Hover();
        SendMove(m_button, {10, 10}, c.buttons);
        EXPECT_EQ(m_button->IsHovering(), c.hoveringAfter) << c.name;
    }
}

TEST_F(BitmapButtonTest, HoverFollowsTheMouseThroughTheWindowSystem)
{
    QWindow* window = m_window->windowHandle();
    QTest::mouseMove(window, QPoint(150, 80));
    ASSERT_FALSE(m_button->IsHovering());
    QTest::mouseMove(window, QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_button->IsHovering(); }, 1000));
    EXPECT_TRUE(DrawnAs(Shot(), kHoverBackground, InPicture(), {8, 8}));
    // Onto the line edit beside it.
    QTest::mouseMove(window, QPoint(60, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_button->IsHovering(); }, 1000));
    EXPECT_TRUE(DrawnAs(Shot(), kRestBackground, OutPicture(), {8, 8}));

    // A drag that began on the line edit does not light the button up on its way across.
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, QPoint(60, 20));
    QTest::mouseMove(window, QPoint(20, 20));
    QTest::mouseMove(window, QPoint(21, 21));
    EXPECT_FALSE(m_button->IsHovering());
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(21, 21));
}

TEST_F(BitmapButtonTest, HoverEnds)
{
    QWidget other;
    other.resize(50, 50);
    struct Case {
        const char* name;
        std::function<void()> end;
    };
    const Case cases[] = {
        {"leave",
         [&] {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(m_button, &leave);
         }},
        {"move off while holding the mouse",
         [&] {
             Press();
             SendMove(m_button, {25, 5}, Qt::LeftButton);
         }},
        {"focus loss",
         [&] {
             m_button->setFocus();
             ASSERT_TRUE(m_button->IsHovering());
             m_next->setFocus();
         }},
        {"window deactivation",
         [&] {
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
        {"disabling", [&] { m_button->setEnabled(false); }},
    };
    for (const Case& c : cases) {
        m_button->setEnabled(true);
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get())) << c.name;
        Hover();
        ASSERT_TRUE(m_button->IsHovering()) << c.name;
        c.end();
        EXPECT_FALSE(m_button->IsHovering()) << c.name;
        if (m_leftHeld)
            Release();
        other.hide();
    }
}

TEST_F(BitmapButtonTest, DisablingPassesTheFocusToTheNextTabStop)
{
    // The button does not have the focus: the line edit before it has.
    m_button->setEnabled(false);
    EXPECT_EQ(m_window->focusWidget(), m_next);

    // Focused itself.
    m_button->setEnabled(true);
    m_button->setFocus();
    ASSERT_TRUE(m_button->hasFocus());
    m_button->setEnabled(false);
    EXPECT_EQ(m_window->focusWidget(), m_next);
    EXPECT_TRUE(m_next->hasFocus());
}

TEST_F(BitmapButtonTest, DisablingFocusesTheParentWhenItHasNoOtherTabStop)
{
    // A panel holding the button and a label; the window's other line edits are outside it.
    auto* panel = new QWidget(m_window.get());
    panel->setGeometry(120, 40, 60, 40);
    auto* button = new BitmapButton(panel);
    button->setGeometry(0, 0, 20, 20);
    new QLabel(QStringLiteral("라벨"), panel);
    panel->show();
    ASSERT_EQ(panel->focusPolicy(), Qt::NoFocus);

    button->setEnabled(false);
    EXPECT_EQ(m_window->focusWidget(), panel);
}

TEST_F(BitmapButtonTest, ColorIndexesPastFiveAreRefused)
{
    const QColor before = m_button->Color(BitmapButton::kFocusText);
    EXPECT_EQ(m_button->SetColor(6, Qt::red), BitmapButton::kBadColorIndex);
    EXPECT_EQ(m_button->SetColor(255, Qt::red), BitmapButton::kBadColorIndex);
    EXPECT_FALSE(m_button->Color(6).isValid());
    EXPECT_EQ(m_button->SetColor(5, Qt::red), BitmapButton::kOk);
    EXPECT_EQ(m_button->Color(5), QColor(Qt::red));
    EXPECT_NE(before, QColor(Qt::red));
}

TEST_F(BitmapButtonTest, PaletteChangeRestoresTheDefaultColors)
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::ButtonText, QColor(4, 5, 6));
    const QPalette original = QApplication::palette();

    struct Case {
        const char* name;
        std::function<void()> change;
        std::function<void()> undo;
    };
    const Case cases[] = {
        {"the system's palette", [&] { QApplication::setPalette(palette); },
         [&] { QApplication::setPalette(original); }},
        {"the button's palette", [&] { m_button->setPalette(palette); },
         [&] { m_button->setPalette(QPalette()); }},
    };
    for (const Case& c : cases) {
        for (quint8 index = 0; index < BitmapButton::kColorCount; ++index)
            ASSERT_EQ(m_button->SetColor(index, QColor(200, 100, index), false), BitmapButton::kOk);
        c.change();
        // The system's change arrives as a posted event.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return m_button->Color(0) != QColor(200, 100, 0); }, 1000))
            << c.name;
        for (quint8 index = 0; index < BitmapButton::kColorCount; ++index) {
            EXPECT_EQ(m_button->Color(index), index % 2 == 0 ? QColor(1, 2, 3) : QColor(4, 5, 6))
                << c.name << ", colour " << int(index);
        }
        EXPECT_TRUE(DrawnAs(Shot(), QColor(1, 2, 3), OutPicture(), {8, 8})) << c.name;
        c.undo();
        QCoreApplication::sendPostedEvents();
    }
}

TEST_F(BitmapButtonTest, TooltipIsShownOnlyWhenActive)
{
    const auto ask = [&] {
        QHelpEvent help(QEvent::ToolTip, {5, 5}, m_button->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_button, &help);
    };

    m_button->SetTooltipText(QStringLiteral("검색 시작"), true);
    EXPECT_EQ(m_button->toolTip(), QStringLiteral("검색 시작"));
    EXPECT_TRUE(m_button->IsTooltipActive());
    ask();
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("검색 시작"));
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));

    m_button->SetTooltipText(QStringLiteral("중지"), false);
    EXPECT_EQ(m_button->toolTip(), QStringLiteral("중지"));
    EXPECT_FALSE(m_button->IsTooltipActive());
    ask();
    EXPECT_FALSE(QToolTip::isVisible());

    // An empty text changes nothing.
    m_button->SetTooltipText(QString(), true);
    EXPECT_EQ(m_button->toolTip(), QStringLiteral("중지"));
    EXPECT_FALSE(m_button->IsTooltipActive());
}

TEST_F(BitmapButtonTest, DisabledButtonShowsNoTooltip)
{
    // The window has a tooltip of its own, which must not come up in the button's place.
    m_window->setToolTip(QStringLiteral("창"));
    m_button->SetTooltipText(QStringLiteral("검색중지"), true);
    struct Case {
        bool enabled;
        bool shown;
    };
    for (const Case c : {Case{true, true}, Case{false, false}, Case{true, true}}) {
        m_button->setEnabled(c.enabled);
        QHelpEvent help(QEvent::ToolTip, {5, 5}, m_button->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_button, &help);
        EXPECT_EQ(QToolTip::isVisible(), c.shown) << "enabled " << c.enabled;
        if (c.shown) {
            EXPECT_EQ(QToolTip::text(), QStringLiteral("검색중지"));
        }
        QToolTip::hideText();
        ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    }
}

TEST_F(BitmapButtonTest, AccessibleNameIsTheTooltipText)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_button);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    for (const bool activate : {true, false}) {
        const QString text = activate ? QStringLiteral("다운로드") : QStringLiteral("서버정보");
        m_button->SetTooltipText(text, activate);
        EXPECT_EQ(accessible->text(QAccessible::Name), text);
    }
    // Disabled, it keeps its name.
    m_button->setEnabled(false);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("서버정보"));
    EXPECT_TRUE(accessible->state().disabled);
}

TEST_F(BitmapButtonTest, SetBitmapsStatuses)
{
    const QImage in = InPicture();
    const QImage out = OutPicture();
    const QImage disabled = DisabledPicture();
    struct Case {
        const char* name;
        QImage in;
        std::optional<QImage> out;
        std::optional<QImage> disabled;
        QColor transparent;
        int status;
        bool kept[3];
    };
    const Case cases[] = {
        {"all three", in, out, disabled, kTransparent, BitmapButton::kOk, {true, true, true}},
        {"in only",
         in,
         std::nullopt,
         std::nullopt,
         kTransparent,
         BitmapButton::kOk,
         {true, false, false}},
        {"no in picture",
         QImage(),
         out,
         disabled,
         kTransparent,
         BitmapButton::kOk,
         {false, false, false}},
        {"empty out picture",
         in,
         QImage(),
         disabled,
         kTransparent,
         BitmapButton::kNoBitmapSize,
         {false, false, false}},
        {"empty disabled picture",
         in,
         out,
         QImage(),
         kTransparent,
         BitmapButton::kNoBitmapSize,
         {false, false, false}},
        {"no transparent colour",
         in,
         out,
         disabled,
         QColor(),
         BitmapButton::kNoMask,
         {false, false, false}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(m_button->SetBitmaps(in, out, disabled, kTransparent), BitmapButton::kOk);
        EXPECT_EQ(m_button->SetBitmaps(c.in, c.out, c.disabled, c.transparent), c.status) << c.name;
        for (int index = 0; index < 3; ++index)
            EXPECT_EQ(!m_button->Bitmap(index).isNull(), c.kept[index]) << c.name << " " << index;
        if (!c.kept[0]) {
            // Nothing to draw: the background alone.
            EXPECT_TRUE(DrawnAs(Shot(), kRestBackground, QImage(), {})) << c.name;
        }
    }
}

TEST_F(BitmapButtonTest, KeptPicturesHaveTheTransparentColorMaskedOut)
{
    QImage in(3, 1, QImage::Format_RGB32);
    in.setPixel(0, 0, kTransparent.rgb());
    in.setPixel(1, 0, qRgb(255, 0, 254)); // one step off: stays
    in.setPixel(2, 0, kInColor.rgb());
    ASSERT_EQ(m_button->SetBitmaps(in, std::nullopt, std::nullopt, kTransparent),
              BitmapButton::kOk);
    const QImage kept = m_button->Bitmap(BitmapButton::kInImage).toImage();
    ASSERT_EQ(kept.size(), QSize(3, 1));
    EXPECT_EQ(qAlpha(kept.pixel(0, 0)), 0);
    EXPECT_EQ(kept.pixel(1, 0), qRgb(255, 0, 254));
    EXPECT_EQ(kept.pixel(2, 0), kInColor.rgb());
}

TEST_F(BitmapButtonTest, SetBitmapResourcesLoadsFromTheResources)
{
    const QImage strip(QStringLiteral(":/bitmaps/220.bmp"));
    ASSERT_FALSE(strip.isNull()) << "the folder strip is not among the resources";
    EXPECT_EQ(m_button->SetBitmapResources(220, 0, 0, kTransparent), BitmapButton::kOk);
    EXPECT_EQ(m_button->Bitmap(BitmapButton::kInImage).size(), strip.size());
    EXPECT_TRUE(m_button->Bitmap(BitmapButton::kOutImage).isNull());

    // A picture that is not there: as an in picture it leaves the button without pictures,
    // as an out picture it has no size.
    EXPECT_EQ(m_button->SetBitmapResources(99999, 220, 0, kTransparent), BitmapButton::kOk);
    EXPECT_TRUE(m_button->Bitmap(BitmapButton::kInImage).isNull());
    EXPECT_TRUE(m_button->Bitmap(BitmapButton::kOutImage).isNull());
    EXPECT_EQ(m_button->SetBitmapResources(220, 99999, 0, kTransparent),
              BitmapButton::kNoBitmapSize);
    EXPECT_TRUE(m_button->Bitmap(BitmapButton::kInImage).isNull());
}

} // namespace
