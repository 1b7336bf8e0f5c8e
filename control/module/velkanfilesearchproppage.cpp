#include "control/module/velkanfilesearchproppage.h"

#include "control/module/aboutdialog.h"
#include "ui/dialogunits.h"

#include <QLabel>
#include <QWidget>

namespace velkan::control {

CVelkanFileSearchPropPage* CVelkanFileSearchPropPage::Create()
{
    return new CVelkanFileSearchPropPage();
}

HRESULT CVelkanFileSearchPropPage::QueryInterface(const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    if (iid == com::IID_IUnknown || iid == IID_IPropertyPageWindow) {
        *object = static_cast<IPropertyPageWindow*>(this);
        AddRef();
        return com::S_OK;
    }
    *object = nullptr;
    return com::E_NOINTERFACE;
}

std::uint32_t CVelkanFileSearchPropPage::AddRef()
{
    return ++m_references;
}

std::uint32_t CVelkanFileSearchPropPage::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

QWidget* CVelkanFileSearchPropPage::CreatePage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    page->setFont(ui::ControlDialogFont());
    const ui::DialogUnits units(page->font());
    page->setWindowTitle(QStringLiteral("General"));
    page->setFixedSize(units.X(250), units.Y(62));
    auto* text = new QLabel(
        QStringLiteral("TODO: Place controls to manipulate properties of VelkanFileSearch Control on this dialog."),
        page);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(units.Rect(7, 25, 229, 16));
    return page;
}

} // namespace velkan::control
