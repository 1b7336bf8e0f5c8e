#include "control/module/aboutdialog.h"

#include "ui/abouttext.h"
#include "ui/dialogunits.h"

#include <QLabel>
#include <QPushButton>

namespace velkan::control {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setFont(ui::ControlDialogFont());
    const ui::DialogUnits units(font());
    setWindowTitle(QString::fromUtf8(ui::kAboutTitle));
    setFixedSize(units.X(260), units.Y(55));

    // An icon control takes the picture's own size.
    const QPixmap icon(QStringLiteral(":/icons/velkanfilesearch.png"));
    m_icon = new QLabel(this);
    m_icon->setPixmap(icon);
    m_icon->setGeometry(units.X(10), units.Y(10), icon.width(), icon.height());

    m_version = new QLabel(QString::fromUtf8(ui::kAboutVersion), this);
    m_version->setGeometry(units.Rect(40, 10, 170, 8));

    m_ok = new QPushButton(QString::fromUtf8(ui::kAboutOk), this);
    m_ok->setGeometry(units.Rect(221, 7, 32, 14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace velkan::control
