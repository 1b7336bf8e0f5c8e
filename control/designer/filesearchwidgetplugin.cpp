#include "control/designer/filesearchwidgetplugin.h"

#include "velkanfilesearch/filesearchwidget.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace velkan {

FileSearchWidgetPlugin::FileSearchWidgetPlugin(QObject* parent) : QObject(parent) {}

QString FileSearchWidgetPlugin::name() const
{
    return QStringLiteral("velkan::FileSearchWidget");
}

QString FileSearchWidgetPlugin::group() const
{
    return QStringLiteral("VelkanFileSearch");
}

QString FileSearchWidgetPlugin::toolTip() const
{
    return QStringLiteral("VelkanFileSearch Control");
}

QString FileSearchWidgetPlugin::whatsThis() const
{
    return QStringLiteral("Searches the file-sharing service's users for files and lists what they offer.");
}

QString FileSearchWidgetPlugin::includeFile() const
{
    return QStringLiteral("velkanfilesearch/filesearchwidget.h");
}

QIcon FileSearchWidgetPlugin::icon() const
{
    // The control's toolbox picture. As containers show such pictures, the colour of its first
    // stored pixel (the bottom-left one: the file is stored bottom-up) is its see-through ground.
    const QImage picture(QStringLiteral(":/bitmaps/1.bmp"));
    if (picture.isNull()) {
        return {};
    }
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setMask(pixmap.createMaskFromColor(picture.pixelColor(0, picture.height() - 1)));
    return QIcon(pixmap);
}

bool FileSearchWidgetPlugin::isContainer() const
{
    return false;
}

QString FileSearchWidgetPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
 <widget class="velkan::FileSearchWidget" name="fileSearchWidget">
  <property name="geometry"><rect><x>0</x><y>0</y><width>728</width><height>534</height></rect></property>
 </widget>
</ui>
)");
}

bool FileSearchWidgetPlugin::isInitialized() const
{
    return m_inDesigner;
}

void FileSearchWidgetPlugin::initialize(QDesignerFormEditorInterface*)
{
    m_inDesigner = true;
}

QWidget* FileSearchWidgetPlugin::createWidget(QWidget* parent)
{
    auto* widget = new FileSearchWidget(parent);
    widget->setDesignMode(m_inDesigner);
    return widget;
}

} // namespace velkan
