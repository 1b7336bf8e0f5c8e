#include "ui/bitmapbutton.h"

#include "ui/enterkey.h"
#include "ui/imagelist.h"

#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace velkan::ui {

BitmapButton::BitmapButton(QWidget* parent)
    : QAbstractButton(parent)
{
    // Clicking takes the focus, and Tab reaches the button as well.
    setFocusPolicy(Qt::StrongFocus);
    // Hovering starts on a move without any button held, which Qt reports only when tracked.
    setMouseTracking(true);
    // The background is filled whole on every paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetDefaultColors(false);
}

void BitmapButton::ReleaseBitmaps()
{
    for (PicturePair& bitmap : m_bitmaps)
        bitmap = PicturePair();
}

int BitmapButton::KeepBitmap(int index, const QImage& image, const QColor& transparent)
{
    if (image.isNull() || image.size().isEmpty())
        return kNoBitmapSize;
    if (!transparent.isValid())
        return kNoMask;
    const QImage masked = WithColorTransparent(image, transparent.rgb());
    if (masked.isNull())
        return kNoMask;
    const QPixmap pixmap = QPixmap::fromImage(masked);
    if (pixmap.isNull())
        return kNoMask;
    m_bitmaps[static_cast<std::size_t>(index)] = PicturePair(pixmap);
    return kOk;
}

void BitmapButton::KeepDoubleSizeBitmap(int index, const QImage& image)
{
    PicturePair& kept = m_bitmaps[static_cast<std::size_t>(index)];
    const QImage masked = image.isNull() ? QImage() : WithColorTransparent(image, m_transparent.rgb());
    if (!kept.IsNull() && !masked.isNull())
        kept = PicturePair(kept.Normal(), QPixmap::fromImage(masked));
}

int BitmapButton::SetBitmaps(const QImage& in, const std::optional<QImage>& out,
                             const std::optional<QImage>& disabled, const QColor& transparent)
{
    ReleaseBitmaps();
    m_transparent = transparent;
    int status = kOk;
    if (!in.isNull()) {
        status = KeepBitmap(kInImage, in, transparent);
        if (status == kOk && out)
            status = KeepBitmap(kOutImage, *out, transparent);
        if (status == kOk && disabled)
            status = KeepBitmap(kDisabledImage, *disabled, transparent);
        if (status != kOk)
            ReleaseBitmaps();
    }
    update();
    return status;
}

int BitmapButton::SetBitmapResources(int inId, int outId, int disabledId, const QColor& transparent)
{
    const auto path = [](int id) { return QStringLiteral(":/bitmaps/%1.bmp").arg(id); };
    const auto load = [&path](int id) -> std::optional<QImage> {
        if (id <= 0)
            return std::nullopt;
        return QImage(path(id));
    };
    const int status =
        SetBitmaps(load(inId).value_or(QImage()), load(outId), load(disabledId), transparent);
    if (status != kOk)
        return status;
    const int ids[] = {inId, outId, disabledId};
    for (int index = kInImage; index <= kDisabledImage; ++index) {
        if (ids[index] > 0)
            KeepDoubleSizeBitmap(index, QImage(DoubleSizePath(path(ids[index]))));
    }
    return status;
}

int BitmapButton::SetColor(quint8 index, const QColor& color, bool repaint)
{
    if (index >= kColorCount)
        return kBadColorIndex;
    m_colors[index] = color;
    if (repaint)
        update();
    return kOk;
}

int BitmapButton::SetDefaultColors(bool repaint)
{
    const QColor background = palette().color(QPalette::Active, QPalette::Button);
    const QColor text = palette().color(QPalette::Active, QPalette::ButtonText);
    for (quint8 index = 0; index < kColorCount; ++index)
        m_colors[index] = index % 2 == 0 ? background : text;
    if (repaint)
        update();
    return kOk;
}

QColor BitmapButton::Color(quint8 index) const
{
    return index < kColorCount ? m_colors[index] : QColor();
}

void BitmapButton::SetTooltipText(const QString& text, bool activate)
{
    if (text.isEmpty())
        return;
    setToolTip(text);
    setAccessibleName(text);
    m_tooltipActive = activate;
}

QPixmap BitmapButton::Bitmap(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_bitmaps.size()))
        return {};
    return m_bitmaps[static_cast<std::size_t>(index)].Normal();
}

QPixmap BitmapButton::DoubleSizeBitmap(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_bitmaps.size()))
        return {};
    return m_bitmaps[static_cast<std::size_t>(index)].Doubled();
}

QSize BitmapButton::sizeHint() const
{
    const PicturePair& in = m_bitmaps[kInImage];
    return in.IsNull() ? QSize() : in.Size();
}

void BitmapButton::SetHovering(bool hovering)
{
    if (hovering && !isEnabled())
        return;
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;
    update();
}

void BitmapButton::PassFocusOn()
{
    QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    // The next widget that Tab would reach among the parent's, wrapping round; the focus chain
    // is a ring through this button, so the walk ends.
    for (QWidget* next = nextInFocusChain(); next != nullptr && next != this;
         next = next->nextInFocusChain()) {
        if (!parent->isAncestorOf(next) || isAncestorOf(next))
            continue;
        if (next->isEnabled() && next->isVisibleTo(parent) &&
            (next->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}

bool BitmapButton::event(QEvent* event)
{
    // Switched off, or disabled (a disabled button hears nothing of the mouse, so its tooltip
    // never comes up): nothing is shown, not even the parent's.
    if (event->type() == QEvent::ToolTip && (!m_tooltipActive || !isEnabled()))
        return true;
    const bool handled = QAbstractButton::event(event);
    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
        // The system's colours changed: the owner's colours give way to the new defaults.
        SetDefaultColors(true);
        break;
    case QEvent::WindowDeactivate:
        SetHovering(false);
        break;
    default:
        break;
    }
    return handled;
}

void BitmapButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
        SetDefaultColors(true);
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            SetHovering(false);
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            PassFocusOn();
            SetHovering(false);
        }
        update();
        break;
    default:
        break;
    }
}

void BitmapButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!rect().contains(event->position().toPoint()))
        SetHovering(false); // moved off while the button holds the mouse
    else if (!(event->buttons() & Qt::LeftButton))
        SetHovering(true); // a drag begun elsewhere does not light the button up
    QAbstractButton::mouseMoveEvent(event);
}

void BitmapButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a click of its own.
    mousePressEvent(event);
}

void BitmapButton::keyPressEvent(QKeyEvent* event)
{
    // Enter on a focused button runs its command, as in a dialog; Space is the base class's.
    if (IsEnterKey(*event)) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void BitmapButton::leaveEvent(QEvent* event)
{
    SetHovering(false);
    QAbstractButton::leaveEvent(event);
}

void BitmapButton::focusOutEvent(QFocusEvent* event)
{
    SetHovering(false);
    QAbstractButton::focusOutEvent(event);
}

void BitmapButton::paintEvent(QPaintEvent* /*event*/)
{
    const bool enabled = isEnabled();
    const bool pressed = enabled && isDown();
    const bool hovering = enabled && m_hovering;
    const bool focused = hasFocus();

    QPainter painter(this);
    const quint8 background = hovering || pressed ? kHoverBackground
                              : focused           ? kFocusBackground
                                                  : kOutBackground;
    painter.fillRect(rect(), m_colors[background]);

    const PicturePair& in = m_bitmaps[kInImage];
    const PicturePair& out = m_bitmaps[kOutImage];
    const PicturePair& disabledImage = m_bitmaps[kDisabledImage];
    const PicturePair* picture = &in;
    if (!pressed && !hovering) {
        if (!enabled && !disabledImage.IsNull())
            picture = &disabledImage;
        else if (!out.IsNull())
            picture = &out;
    }
    if (picture->IsNull())
        return;

    // Centred with the remainder dropped toward zero, so a picture larger than the button
    // overhangs both sides alike.
    int x = (width() - picture->Size().width()) / 2;
    int y = (height() - picture->Size().height()) / 2;
    if (pressed) {
        ++x;
        ++y;
    }
    picture->Draw(painter, QPoint(x, y));
}

} // namespace velkan::ui
