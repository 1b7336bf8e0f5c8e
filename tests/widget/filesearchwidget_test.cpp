#include "velkanfilesearch/filesearchwidget.h"
#include "tests/widget/widgetfixture.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include <map>
#include <set>
#include <tuple>

using namespace velkan;
using test::kWaitMs;

namespace {

class FileSearchWidgetTest : public test::WidgetFixture {
protected:
    // Shows the widget with a stored search against the local network and waits for it to end.
    bool ShowSearching(FileSearchWidget& widget)
    {
        widget.setSearch(QStringLiteral("song"));
        widget.setAppServer(QStringLiteral("127.0.0.1"), AppServerPort());
        QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
        widget.show();
        return idle.wait(kWaitMs);
    }
};

// The panel is the widget's one child.
QWidget* Panel(const FileSearchWidget& widget)
{
    const auto children = widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return children.size() == 1 ? children.front() : nullptr;
}

TEST_F(FileSearchWidgetTest, ControlThatCannotBeCreatedIsExplained)
{
    FileSearchWidget widget;
    EXPECT_FALSE(widget.isValid());
    EXPECT_TRUE(widget.lastError().contains(QStringLiteral("VELKANFILESEARCH.VelkanFileSearchCtrl.1")))
        << widget.lastError().toStdString();
    EXPECT_TRUE(widget.lastError().contains(RegistryPath() + QStringLiteral(" (no such file)")))
        << widget.lastError().toStdString();
    // Everything else is harmless.
    widget.setSearch(QStringLiteral("song"));
    EXPECT_EQ(widget.search(), QString());
    EXPECT_TRUE(widget.saveProperties().isEmpty());
    EXPECT_FALSE(widget.loadProperties({{QStringLiteral("search"), QStringLiteral("x")}}));
    widget.show();
    widget.velkanSearch(QStringLiteral("song"));
    EXPECT_EQ(widget.rowCount(), 0);
    EXPECT_FALSE(widget.connectToRow(0));
    EXPECT_EQ(Panel(widget), nullptr);
}

// Properties set from code before the widget is first shown reach the panel: the stored search
// goes out with the user's identity, to the application server the host named.
TEST_F(FileSearchWidgetTest, PropertiesSetBeforeShowingTakeEffect)
{
    Register();
    FileSearchWidget widget;
    ASSERT_TRUE(widget.isValid()) << widget.lastError().toStdString();
    EXPECT_EQ(widget.lastError(), QString());
    struct Property {
        const char* name;
        const char* persistedAs;
        QString value;
    };
    const Property properties[] = {
        {"param", "param", Param("tester")},
        {"search", "search", QStringLiteral("song")},
        {"banWord", "banWord", QStringLiteral("금지")},
        {"searchBanWord", "bansearch", QStringLiteral("무엇,*다른")},
        {"replaceParam", "replaceParam", QStringLiteral("z-z+")},
    };
    for (const Property& property : properties) {
        ASSERT_TRUE(widget.setProperty(property.name, property.value)) << property.name;
    }
    widget.setAppServer(QStringLiteral("127.0.0.1"), AppServerPort());
    for (const Property& property : properties) {
        EXPECT_EQ(widget.property(property.name).toString(), property.value) << property.name;
        EXPECT_EQ(widget.saveProperties().value(QString::fromLatin1(property.persistedAs)).toString(), property.value)
            << property.persistedAs;
    }
    EXPECT_EQ(widget.rowCount(), 0);

    QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
    widget.resize(800, 600);
    widget.show();
    ASSERT_TRUE(idle.wait(kWaitMs));
    // kim's folder and file; lee's file lies in no folder, so no folder row comes before it.
    EXPECT_EQ(widget.rowCount(), 3);
    const auto requests = m_network.PeerCounters(m_kimPort).requests;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].ends_with("|song|tester")) << requests[0];

    // Another search from code replaces the rows.
    widget.velkanSearch(QStringLiteral("nothing-matches-this"));
    ASSERT_TRUE(idle.wait(kWaitMs));
    EXPECT_EQ(widget.rowCount(), 0);
}

// Every row's Connect reaches the host with the folder as text, whatever form the event gave it:
// Base64 of the CP949 folder, or the bare path of a file outside any folder.
TEST_F(FileSearchWidgetTest, ConnectRequestedCarriesTheFolderAsText)
{
    Register();
    FileSearchWidget widget;
    ASSERT_TRUE(ShowSearching(widget));
    ASSERT_EQ(widget.rowCount(), 3);

    const QString kimFolder = QStringLiteral("D:\\음악");
    const QByteArray kimFolderBase64 =
        QByteArray::fromStdString(cp949::FromUtf8(kimFolder.toStdString())).toBase64(QByteArray::OmitTrailingEquals);
    // nick -> (folder, rawFolder)
    const std::map<QString, std::pair<QString, QByteArray>> expected = {
        {QStringLiteral("kim"), {kimFolder, kimFolderBase64}},
        {QStringLiteral("lee"), {QStringLiteral("song.bin"), QByteArrayLiteral("song.bin")}},
    };
    QSignalSpy connects(&widget, &FileSearchWidget::connectRequested);
    std::set<QString> seen;
    for (int row = 0; row < widget.rowCount(); ++row) {
        ASSERT_TRUE(widget.connectToRow(row)) << row;
        ASSERT_EQ(connects.size(), 1) << row;
        const QList<QVariant> arguments = connects.takeFirst();
        const QString nick = arguments.at(0).toString();
        ASSERT_EQ(expected.count(nick), 1u) << nick.toStdString();
        EXPECT_EQ(arguments.at(1).toString(), expected.at(nick).first) << row;
        EXPECT_EQ(arguments.at(2).toByteArray(), expected.at(nick).second) << row;
        seen.insert(nick);
    }
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(widget.connectToRow(widget.rowCount()));
    EXPECT_FALSE(widget.connectToRow(-1));
    EXPECT_EQ(connects.size(), 0);
}

// In a layout the panel follows the widget's size; the widget's own hint is the panel's.
TEST_F(FileSearchWidgetTest, PanelKeepsTheWidgetsSize)
{
    Register();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* widget = new FileSearchWidget(&window);
    layout->addWidget(widget);
    EXPECT_TRUE(widget->sizeHint().isValid());
    for (const QSize size : {QSize(900, 700), QSize(500, 400), QSize(1200, 300)}) {
        window.resize(size);
        window.show();
        QWidget* panel = Panel(*widget);
        ASSERT_NE(panel, nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(panel->size(), size, kWaitMs);
        EXPECT_EQ(panel->pos(), QPoint(0, 0));
    }
}

TEST_F(FileSearchWidgetTest, SavedPropertiesLoadIntoAnotherWidget)
{
    Register();
    FileSearchWidget first;
    first.setParam(Param("saver"));
    first.setSearch(QStringLiteral("노래"));
    first.setSearchBanWord(QStringLiteral("a,b"));
    const QVariantMap saved = first.saveProperties();
    const QStringList names = {QStringLiteral("_ExtentX"), QStringLiteral("_ExtentY"), QStringLiteral("_StockProps"),
                               QStringLiteral("_Version"),  QStringLiteral("banWord"),  QStringLiteral("bansearch"),
                               QStringLiteral("param"),     QStringLiteral("replaceParam"), QStringLiteral("search")};
    EXPECT_EQ(saved.keys(), names);

    FileSearchWidget second;
    second.setBanWord(QStringLiteral("kept when the set lacks it"));
    QVariantMap withoutBanWord = saved;
    withoutBanWord.remove(QStringLiteral("banWord"));
    ASSERT_TRUE(second.loadProperties(withoutBanWord));
    EXPECT_EQ(second.param(), first.param());
    EXPECT_EQ(second.search(), QStringLiteral("노래"));
    EXPECT_EQ(second.searchBanWord(), QStringLiteral("a,b"));
    EXPECT_EQ(second.banWord(), QStringLiteral("kept when the set lacks it"));
}

// Showing the control, searching and destroying it mid-search leave the application's own
// settings as the host made them.
TEST_F(FileSearchWidgetTest, NothingGlobalChanges)
{
    Register();
    const QString theme = QIcon::themeName();
    const QStringList themePaths = QIcon::themeSearchPaths();
    const QString style = QApplication::style()->name();
    const QFont font = QApplication::font();
    const QPalette palette = QApplication::palette();
    const QString styleSheet = qApp->styleSheet();
    {
        FileSearchWidget widget;
        ASSERT_TRUE(ShowSearching(widget));
        widget.velkanSearch(QStringLiteral("song")); // destroyed with this one under way
    }
    EXPECT_EQ(QIcon::themeName(), theme);
    EXPECT_EQ(QIcon::themeSearchPaths(), themePaths);
    EXPECT_EQ(QApplication::style()->name(), style);
    EXPECT_EQ(QApplication::font(), font);
    EXPECT_EQ(QApplication::palette(), palette);
    EXPECT_EQ(qApp->styleSheet(), styleSheet);
}

} // namespace
