#include "ui/bitmapbutton.h"
#include "tests/ui/panelfixture.h"

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <initializer_list>
#include <vector>

using namespace velkan;
using search::PanelButton;
using ui::SearchPanel;

namespace {

class PanelAccessibilityTest : public test::PanelFixture {};

QAccessibleInterface* Accessible(QObject* object)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(accessible, nullptr) << object->metaObject()->className();
    return accessible;
}

TEST_F(PanelAccessibilityTest, EveryControlHasAName)
{
    SearchPanel& panel = Panel("velkan");
    ASSERT_TRUE(Search(panel, "song", 4));
    struct Case {
        QWidget* widget;
        QAccessible::Role role;
        QString name;
        QString description; // what the text shows, for the two count texts
    };
    const Case cases[] = {
        {&panel.Button(PanelButton::Download), QAccessible::Button, QStringLiteral("다운로드"), {}},
        {&panel.Button(PanelButton::Stop), QAccessible::Button, QStringLiteral("검색중지"), {}},
        {&panel.Button(PanelButton::Connect), QAccessible::Button, QStringLiteral("서버연결"), {}},
        {&panel.Button(PanelButton::ServerInfo), QAccessible::Button, QStringLiteral("서버정보"), {}},
        {&panel.ResultList(), QAccessible::Table, QStringLiteral("검색 결과"), {}},
        {&panel.ProgressBar(), QAccessible::ProgressBar, QStringLiteral("진행 상황"), {}},
        {&panel.ProgressLabel(), QAccessible::StaticText, QStringLiteral("진행률"), QStringLiteral("100%")},
        {&panel.FoundLabel(), QAccessible::StaticText, QStringLiteral("찾은 파일"), QStringLiteral("4 개")},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* accessible = Accessible(c.widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), c.role) << c.name.toStdString();
        EXPECT_EQ(accessible->text(QAccessible::Name), c.name);
        if (!c.description.isEmpty()) {
            EXPECT_EQ(accessible->text(QAccessible::Description), c.description) << c.name.toStdString();
        }
    }
    // The bar's value is its position.
    QAccessibleValueInterface* bar = Accessible(&panel.ProgressBar())->valueInterface();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->currentValue().toInt(), 100);
}

TEST_F(PanelAccessibilityTest, EveryCellOfARowCanBeRead)
{
    SearchPanel& panel = Panel();
    ASSERT_TRUE(Search(panel, "song", 4));
    QAccessibleInterface* list = Accessible(&panel.ResultList());
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 4);
    ASSERT_EQ(table->columnCount(), 5);
    const int row = RowOf(panel, "kim", false);
    // The speed gauge is read as its level: kim's 150 is the third of five steps.
    const QStringList expected = {QStringLiteral("kim"), QStringLiteral("song.mp3"),
                                  QStringLiteral("2KB"), QStringLiteral("2004-01-02"), QStringLiteral("3/5")};
    const QStringList headings = {QStringLiteral("서버닉네임"), QStringLiteral("파일이름"),
                                  QStringLiteral("파일크기"), QStringLiteral("날짜"), QStringLiteral("속도")};
    QStringList read;
    QStringList readHeadings;
    for (int column = 0; column < 5; ++column) {
        QAccessibleInterface* cell = table->cellAt(row, column);
        ASSERT_NE(cell, nullptr) << column;
        read.append(cell->text(QAccessible::Name));
    }
    // The column headings, which a reader says with a cell, are among the list's children.
    for (int child = 0; child < list->childCount(); ++child) {
        QAccessibleInterface* heading = list->child(child);
        if (heading != nullptr && heading->role() == QAccessible::ColumnHeader) {
            readHeadings.append(heading->text(QAccessible::Name));
        }
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(readHeadings, headings);
    // A server with no statistics is on the lowest step, on its folder row as on its file row.
    for (const bool folder : {true, false}) {
        QAccessibleInterface* speed = table->cellAt(RowOf(panel, "*star", folder), 4);
        ASSERT_NE(speed, nullptr);
        EXPECT_EQ(speed->text(QAccessible::Name), QStringLiteral("1/5")) << folder;
    }
}

TEST_F(PanelAccessibilityTest, TheIdentityLabelIsLeftOutOfTheTreeButStaysOnScreen)
{
    SearchPanel& panel = Panel("velkan");
    QLabel& identity = panel.IdentityLabel();
    QAccessibleInterface* accessible = Accessible(&panel);
    ASSERT_NE(accessible, nullptr);

    std::vector<QObject*> children;
    for (int i = 0; i < accessible->childCount(); ++i) {
        QAccessibleInterface* child = accessible->child(i);
        ASSERT_NE(child, nullptr) << i;
        EXPECT_EQ(accessible->indexOfChild(child), i);
        children.push_back(child->object());
    }
    const auto has = [&](QObject* object) { return std::find(children.begin(), children.end(), object) != children.end(); };
    EXPECT_FALSE(has(&identity));
    // Everything else a reader met before is still there.
    for (QWidget* widget : std::initializer_list<QWidget*>{&panel.ResultList(), &panel.ProgressBar(), &panel.ProgressLabel(),
                                                           &panel.FoundLabel(), &panel.Button(PanelButton::Download),
                                                           &panel.Button(PanelButton::Stop)}) {
        EXPECT_TRUE(has(widget)) << widget->metaObject()->className();
    }
    EXPECT_EQ(children.size() + 1, static_cast<std::size_t>(panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size()));
    // Nor is it found from its place on the panel or by asking its parent for it.
    QAccessibleInterface* label = Accessible(&identity);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(accessible->indexOfChild(label), -1);
    const QPoint centre = identity.mapToGlobal(identity.rect().center());
    QAccessibleInterface* atCentre = accessible->childAt(centre.x(), centre.y());
    EXPECT_TRUE(atCentre == nullptr || atCentre->object() != &identity);

    // On screen it is as it was: shown in its place with the protected text.
    EXPECT_TRUE(identity.isVisible());
    EXPECT_FALSE(identity.text().isEmpty());
    EXPECT_NE(identity.text(), QStringLiteral("VELKAN"));
}

} // namespace
