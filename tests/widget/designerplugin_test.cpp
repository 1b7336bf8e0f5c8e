#include "velkanfilesearch/filesearchwidget.h"
#include "tests/widget/widgetfixture.h"

#include <QFile>
#include <QPluginLoader>
#include <QSignalSpy>
#include <QUiLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <memory>

using namespace velkan;
using test::kWaitMs;

namespace {

class DesignerPluginTest : public test::WidgetFixture {};

// A form made in Designer, loaded at run time through QUiLoader with the plugin on Qt's plugin
// path: the values written in the form reach the control, and the panel searches as they say.
TEST_F(DesignerPluginTest, FormPropertiesReachTheControl)
{
    Register();
    // The plugin's folder on Qt's plugin path, as a user who installed it elsewhere sets it.
    QCoreApplication::addLibraryPath(QStringLiteral(VELKAN_DESIGNER_PLUGIN_ROOT));
    QUiLoader loader;
    ASSERT_TRUE(loader.availableWidgets().contains(QStringLiteral("velkan::FileSearchWidget")))
        << loader.pluginPaths().join(QLatin1Char(' ')).toStdString();
    QFile form(QStringLiteral(VELKAN_TEST_FORM));
    ASSERT_TRUE(form.open(QIODevice::ReadOnly));
    const std::unique_ptr<QWidget> root(loader.load(&form));
    ASSERT_NE(root, nullptr) << loader.errorString().toStdString();
    auto* widget = root->findChild<FileSearchWidget*>(QStringLiteral("searchWidget"));
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isValid()) << widget->lastError().toStdString();

    // As the control persists them, under its own names.
    const QVariantMap saved = widget->saveProperties();
    const std::pair<const char*, QString> written[] = {
        {"param", QStringLiteral("c2VjcmV0LWZvcm0tcGFyYW0")},
        {"search", QStringLiteral("song")},
        {"banWord", QStringLiteral("양식")},
        {"bansearch", QStringLiteral("광고,*스팸")},
        {"replaceParam", QStringLiteral("z-z_")},
    };
    for (const auto& [name, value] : written) {
        EXPECT_EQ(saved.value(QString::fromLatin1(name)).toString(), value) << name;
    }

    // Loaded at run time, not in Designer: the form's search goes out when the form is shown.
    widget->setAppServer(QStringLiteral("127.0.0.1"), AppServerPort());
    QSignalSpy idle(widget, &FileSearchWidget::searchIdle);
    root->show();
    ASSERT_TRUE(idle.wait(kWaitMs));
    EXPECT_EQ(widget->rowCount(), 3);
}

TEST_F(DesignerPluginTest, PluginDescribesTheWidgetForDesigner)
{
    Register();
    QPluginLoader plugin(QStringLiteral(VELKAN_DESIGNER_PLUGIN));
    auto* face = qobject_cast<QDesignerCustomWidgetInterface*>(plugin.instance());
    ASSERT_NE(face, nullptr) << plugin.errorString().toStdString();
    EXPECT_EQ(face->name(), QStringLiteral("velkan::FileSearchWidget"));
    EXPECT_EQ(face->group(), QStringLiteral("VelkanFileSearch"));
    EXPECT_EQ(face->includeFile(), QStringLiteral("velkanfilesearch/filesearchwidget.h"));
    EXPECT_FALSE(face->isContainer());
    EXPECT_TRUE(face->domXml().contains(QStringLiteral("class=\"velkan::FileSearchWidget\"")));

    // The toolbox picture, its ground see-through.
    const QImage icon = face->icon().pixmap(QSize(16, 15)).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            opaque += qAlpha(icon.pixel(x, y)) == 255 ? 1 : 0;
        }
    }
    EXPECT_GT(opaque, 20);

    // Only Designer calls initialize; its widgets are for showing, not searching.
    EXPECT_FALSE(face->isInitialized());
    face->initialize(nullptr);
    EXPECT_TRUE(face->isInitialized());
    QWidget parent;
    auto* widget = qobject_cast<FileSearchWidget*>(face->createWidget(&parent));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), &parent);
    EXPECT_TRUE(widget->isValid());
}

} // namespace
