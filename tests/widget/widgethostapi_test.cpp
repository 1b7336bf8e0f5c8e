// What a host reads from the widget besides the panel itself: change signals, the meta-object's
// methods, the progress, the found count, the selection, the rows as a model and the outcomes.

#include "velkanfilesearch/filesearchwidget.h"
#include "tests/widget/widgetfixture.h"

#include <velkanfilesearch/version.h>

#include <QAbstractItemModelTester>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <set>

using namespace velkan;
using test::kWaitMs;

namespace {

using Role = FileSearchWidget::ResultRole;

class WidgetHostApiTest : public test::WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        Register();
    }

    // Starts the stored search against the local network and waits for it to come to rest.
    bool SearchAndWait(FileSearchWidget& widget)
    {
        widget.setSearch(QStringLiteral("song"));
        widget.setAppServer(QStringLiteral("127.0.0.1"), AppServerPort());
        QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
        widget.resize(800, 600);
        widget.show();
        return idle.wait(kWaitMs);
    }
};

TEST_F(WidgetHostApiTest, EachPropertyNotifiesARealChangeOnly)
{
    FileSearchWidget widget;
    const char* const names[] = {"param", "search", "banWord", "searchBanWord", "replaceParam"};
    for (const char* name : names) {
        const QMetaProperty property = widget.metaObject()->property(widget.metaObject()->indexOfProperty(name));
        ASSERT_TRUE(property.hasNotifySignal()) << name;
        QSignalSpy changed(&widget, property.notifySignal());
        ASSERT_TRUE(widget.setProperty(name, QStringLiteral("값 %1").arg(QLatin1StringView(name))));
        ASSERT_EQ(changed.size(), 1) << name;
        EXPECT_EQ(changed.front().front().toString(), QStringLiteral("값 %1").arg(QLatin1StringView(name)));
        widget.setProperty(name, widget.property(name));
        EXPECT_EQ(changed.size(), 1) << name << ": the same value again is no change";
    }

    // A loaded set notifies what it changes and nothing else.
    QSignalSpy search(&widget, &FileSearchWidget::searchChanged);
    QSignalSpy searchBanWord(&widget, &FileSearchWidget::searchBanWordChanged);
    QSignalSpy param(&widget, &FileSearchWidget::paramChanged);
    QVariantMap saved = widget.saveProperties();
    saved[QStringLiteral("search")] = QStringLiteral("노래");
    saved[QStringLiteral("bansearch")] = QStringLiteral("a,b");
    ASSERT_TRUE(widget.loadProperties(saved));
    ASSERT_EQ(search.size(), 1);
    EXPECT_EQ(search.front().front().toString(), QStringLiteral("노래"));
    ASSERT_EQ(searchBanWord.size(), 1);
    EXPECT_EQ(searchBanWord.front().front().toString(), QStringLiteral("a,b"));
    EXPECT_EQ(param.size(), 0);
}

// A form loaded at run time or a script binding reaches the methods by name alone.
TEST_F(WidgetHostApiTest, MethodsAreReachableThroughTheMetaObject)
{
    FileSearchWidget widget;
    widget.setSearch(QStringLiteral("song"));
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "setAppServer", Q_ARG(QString, QStringLiteral("127.0.0.1")),
                                          Q_ARG(quint16, AppServerPort())));
    QVariantMap saved;
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "saveProperties", Q_RETURN_ARG(QVariantMap, saved)));
    EXPECT_EQ(saved.value(QStringLiteral("search")).toString(), QStringLiteral("song"));
    saved[QStringLiteral("search")] = QStringLiteral("bin");
    bool loaded = false;
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "loadProperties", Q_RETURN_ARG(bool, loaded), Q_ARG(QVariantMap, saved)));
    EXPECT_TRUE(loaded);

    QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
    widget.show();
    ASSERT_TRUE(idle.wait(kWaitMs));
    int rows = 0;
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "rowCount", Q_RETURN_ARG(int, rows)));
    EXPECT_EQ(rows, 1) << "only lee's song.bin matches \"bin\"";
    QSignalSpy connects(&widget, &FileSearchWidget::connectRequested);
    bool connected = false;
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "connectToRow", Q_RETURN_ARG(bool, connected), Q_ARG(int, 0)));
    EXPECT_TRUE(connected);
    EXPECT_EQ(connects.size(), 1);
    QVariantList outcomes;
    ASSERT_TRUE(QMetaObject::invokeMethod(&widget, "outcomes", Q_RETURN_ARG(QVariantList, outcomes)));
    EXPECT_EQ(outcomes.size(), 2);
}

// The rows as a model: the fields of each under its roles, in the panel's order before and
// after the user sorts, each row the one connectToRow takes.
TEST_F(WidgetHostApiTest, ResultsModelIsThePanelsRowsInItsOrder)
{
    FileSearchWidget widget;
    QAbstractItemModel* model = widget.resultsModel();
    ASSERT_NE(model, nullptr);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model->rowCount(), 0);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(SearchAndWait(widget));
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_GE(inserted.size(), 2) << "one batch per reply";

    const QHash<int, QByteArray> names = model->roleNames();
    const std::pair<int, const char*> roles[] = {
        {Role::NickRole, "nick"},   {Role::NameRole, "name"},   {Role::SizeRole, "size"},
        {Role::DateRole, "date"},   {Role::SpeedLevelRole, "speedLevel"}, {Role::KindRole, "kind"},
        {Role::FolderRole, "folder"}, {Role::RawFolderRole, "rawFolder"},
    };
    for (const auto& [role, name] : roles) {
        EXPECT_EQ(names.value(role), QByteArray(name)) << name;
    }
    EXPECT_EQ(Role::NickRole, Qt::UserRole + 1);

    // kind nick name size folder rawFolder, in whatever order the replies came.
    using Row = std::tuple<QString, QString, QString, QVariant, QString, QString>;
    const auto rowAt = [model](int row) {
        const QModelIndex index = model->index(row, 0);
        return Row{index.data(Role::KindRole).toString(),  index.data(Role::NickRole).toString(),
                   index.data(Role::NameRole).toString(),  index.data(Role::SizeRole),
                   index.data(Role::FolderRole).toString(), index.data(Role::RawFolderRole).toString()};
    };
    const QString kimFolder = QStringLiteral("D:\\음악");
    const QString kimBase64 = QString::fromLatin1(
        QByteArray::fromStdString(cp949::FromUtf8(kimFolder.toStdString())).toBase64(QByteArray::OmitTrailingEquals));
    const Row kimFolderRow{QStringLiteral("folder"), QStringLiteral("kim"), QStringLiteral("D:\\음악"), QVariant(), kimFolder, kimBase64};
    const Row kimFileRow{QStringLiteral("file"), QStringLiteral("kim"), QStringLiteral("song 노래.mp3"),
                         QVariant(qint64(3072)), kimFolder, kimBase64};
    const Row leeFileRow{QStringLiteral("file"), QStringLiteral("lee"), QStringLiteral("song.bin"),
                         QVariant(qint64(10)), QStringLiteral("song.bin"), QStringLiteral("song.bin")};
    std::vector<Row> rows;
    for (int row = 0; row < 3; ++row) {
        rows.push_back(rowAt(row));
    }
    const auto kimAt = std::find(rows.begin(), rows.end(), kimFolderRow);
    ASSERT_NE(kimAt, rows.end()) << "no folder row for kim";
    ASSERT_NE(kimAt + 1, rows.end());
    EXPECT_EQ(*(kimAt + 1), kimFileRow) << "a folder row comes just before its file";
    EXPECT_EQ(std::count(rows.begin(), rows.end(), leeFileRow), 1);
    const QModelIndex kimFile = model->index(static_cast<int>(kimAt - rows.begin()) + 1, 0);
    EXPECT_EQ(kimFile.data(Role::DateRole).toString(), model->index(kimFile.row(), 3).data().toString());
    EXPECT_EQ(kimFile.data(Role::SpeedLevelRole).toInt(), 3); // kim's speed of 150
    EXPECT_FALSE(model->setData(kimFile, QStringLiteral("x"), Qt::EditRole));

    // The user sorts by nickname, descending: the model follows with a layout change.
    QSignalSpy layout(model, &QAbstractItemModel::layoutChanged);
    auto* list = widget.findChild<QTableView*>();
    ASSERT_NE(list, nullptr);
    list->sortByColumn(0, Qt::DescendingOrder);
    ASSERT_GE(layout.size(), 1);
    EXPECT_EQ(rowAt(0), leeFileRow);
    EXPECT_EQ(rowAt(1), kimFolderRow);
    EXPECT_EQ(rowAt(2), kimFileRow);

    QSignalSpy connects(&widget, &FileSearchWidget::connectRequested);
    QSignalSpy selection(&widget, &FileSearchWidget::selectionChanged);
    for (int row : {2, 0}) {
        ASSERT_TRUE(widget.connectToRow(row));
        ASSERT_EQ(connects.size(), 1);
        const QList<QVariant> arguments = connects.takeFirst();
        const QModelIndex index = model->index(row, 0);
        EXPECT_EQ(arguments.at(0).toString(), index.data(Role::NickRole).toString());
        EXPECT_EQ(arguments.at(1).toString(), index.data(Role::FolderRole).toString());
        EXPECT_EQ(arguments.at(2).toByteArray(), index.data(Role::RawFolderRole).toString().toUtf8());
        EXPECT_EQ(widget.selectedRow(), row);
        ASSERT_FALSE(selection.isEmpty());
        EXPECT_EQ(selection.takeLast().front().toInt(), row);
    }
    // The selected row moves with a sort, and the host hears where to.
    selection.clear();
    list->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(widget.selectedRow(), 2);
    ASSERT_EQ(selection.size(), 1);
    EXPECT_EQ(selection.front().front().toInt(), 2);
    EXPECT_EQ(model->index(2, 0).data(Role::NickRole).toString(), QStringLiteral("lee"));

    // A new search empties the list and the selection.
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    widget.velkanSearch(QStringLiteral("nothing-matches-this"));
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(widget.selectedRow(), -1);
}

TEST_F(WidgetHostApiTest, ProgressAndFoundCountStartAtZeroWithEachSearch)
{
    FileSearchWidget widget;
    QSignalSpy progress(&widget, &FileSearchWidget::progressChanged);
    QSignalSpy found(&widget, &FileSearchWidget::foundCountChanged);
    ASSERT_TRUE(SearchAndWait(widget));
    EXPECT_EQ(widget.progress(), 100);
    EXPECT_EQ(widget.foundCount(), 3);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().front().toInt(), 100);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.last().front().toInt(), 3);

    progress.clear();
    found.clear();
    QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
    widget.velkanSearch(QStringLiteral("nothing-matches-this"));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.front().front().toInt(), 0);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.front().front().toInt(), 0);
    ASSERT_TRUE(idle.wait(kWaitMs));
    EXPECT_EQ(widget.foundCount(), 0);
    EXPECT_EQ(widget.progress(), 100);
}

TEST_F(WidgetHostApiTest, OutcomesAreKeyedAsTheSearchToolsRecords)
{
    FileSearchWidget widget;
    EXPECT_TRUE(widget.outcomes().isEmpty());
    EXPECT_TRUE(widget.fetchOutcome().isEmpty());
    ASSERT_TRUE(SearchAndWait(widget));

    const QVariantList outcomes = widget.outcomes();
    ASSERT_EQ(outcomes.size(), 2);
    const QStringList keys = {QStringLiteral("adult"),     QStringLiteral("banWords"),      QStringLiteral("bytesReceived"),
                              QStringLiteral("bytesSent"), QStringLiteral("closeMs"),       QStringLiteral("end"),
                              QStringLiteral("error"),     QStringLiteral("findLines"),     QStringLiteral("firstByteMs"),
                              QStringLiteral("host"),      QStringLiteral("items"),         QStringLiteral("nick"),
                              QStringLiteral("otherLines"), QStringLiteral("outcome"),      QStringLiteral("personFolder"),
                              QStringLiteral("port"),      QStringLiteral("rowLimit"),      QStringLiteral("rows"),
                              QStringLiteral("strictBanWords")};
    std::map<QString, int> rowsByNick;
    for (const QVariant& entry : outcomes) {
        const QVariantMap outcome = entry.toMap();
        for (const QString& key : keys) {
            EXPECT_TRUE(outcome.contains(key)) << key.toStdString();
        }
        EXPECT_FALSE(outcome.contains(QStringLiteral("type")));
        EXPECT_EQ(outcome.value(QStringLiteral("outcome")).toString(), QStringLiteral("answered"));
        EXPECT_EQ(outcome.value(QStringLiteral("host")).toString(), QStringLiteral("127.0.0.1"));
        rowsByNick[outcome.value(QStringLiteral("nick")).toString()] = outcome.value(QStringLiteral("rows")).toInt();
    }
    const std::map<QString, int> expected = {{QStringLiteral("kim"), 2}, {QStringLiteral("lee"), 1}};
    EXPECT_EQ(rowsByNick, expected);

    const QVariantMap fetch = widget.fetchOutcome();
    EXPECT_EQ(fetch.value(QStringLiteral("outcome")).toString(), QStringLiteral("listed"));
    EXPECT_EQ(fetch.value(QStringLiteral("kept")).toInt(), 2);
    EXPECT_FALSE(fetch.contains(QStringLiteral("type")));
}

// VELKAN_APP_SERVER points any host at a server without code; the host's own choice wins, and a
// value that is not HOST:PORT is ignored with a warning that names it.
TEST_F(WidgetHostApiTest, EnvironmentNamesTheServerUnlessTheHostDoes)
{
    static QStringList warnings;
    // The warnings Qt's handler would print, collected instead; the handler and the environment
    // are put back however the test ends.
    struct Restore {
        QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) {
                warnings.append(text);
            }
        });
        ~Restore()
        {
            qInstallMessageHandler(previous);
            qunsetenv("VELKAN_APP_SERVER");
        }
    } restore;
    struct Case {
        QString environment;
        bool hostSetsServer;
        int rows; // -1: not searched against the local network
        QString warning;
    };
    const QString local = QStringLiteral("127.0.0.1:%1").arg(AppServerPort());
    const Case cases[] = {
        {local, false, 3, {}},
        {QStringLiteral("nowhere.invalid:1"), true, 3, {}},
        {QStringLiteral("127.0.0.1"), false, -1, QStringLiteral("VELKAN_APP_SERVER=\"127.0.0.1\" is not HOST:PORT")},
        {local + QStringLiteral("0000"), false, -1, QStringLiteral("VELKAN_APP_SERVER=\"%1\" is not").arg(local + QStringLiteral("0000"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment.toStdString());
        warnings.clear();
        qputenv("VELKAN_APP_SERVER", c.environment.toUtf8());
        FileSearchWidget widget;
        widget.setSearch(QStringLiteral("song"));
        if (c.hostSetsServer) {
            widget.setAppServer(QStringLiteral("127.0.0.1"), AppServerPort());
        }
        QSignalSpy idle(&widget, &FileSearchWidget::searchIdle);
        widget.show();
        if (c.rows >= 0) {
            ASSERT_TRUE(idle.wait(kWaitMs));
            EXPECT_EQ(widget.rowCount(), c.rows);
            EXPECT_EQ(widget.lastError(), QString());
            EXPECT_TRUE(warnings.filter(QStringLiteral("VELKAN_APP_SERVER")).isEmpty());
        } else {
            EXPECT_TRUE(widget.isValid());
            EXPECT_TRUE(widget.lastError().startsWith(c.warning)) << widget.lastError().toStdString();
            EXPECT_EQ(warnings.filter(c.warning).size(), 1) << warnings.join(QLatin1Char('\n')).toStdString();
        }
    }
}

TEST(WidgetVersion, HeaderAndLibraryAgree)
{
    const QString composed = QStringLiteral("%1.%2.%3")
                                 .arg(VELKANFILESEARCH_VERSION_MAJOR)
                                 .arg(VELKANFILESEARCH_VERSION_MINOR)
                                 .arg(VELKANFILESEARCH_VERSION_PATCH);
    EXPECT_EQ(composed, QStringLiteral(VELKANFILESEARCH_VERSION_STRING));
    EXPECT_EQ(QString::fromUtf8(velkan::versionString()), composed);
}

} // namespace
