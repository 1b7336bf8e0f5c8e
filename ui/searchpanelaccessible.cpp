#include "ui/searchpanelaccessible.h"

#include "ui/searchpanel.h"

#include <QLabel>

namespace velkan::ui {

namespace {

QAccessibleInterface* CreatePanelAccessible(const QString& key, QObject* object)
{
    auto* panel = qobject_cast<SearchPanel*>(object);
    if (panel == nullptr || key != QLatin1String(SearchPanel::staticMetaObject.className())) {
        return nullptr;
    }
    return new SearchPanelAccessible(panel);
}

} // namespace

SearchPanelAccessible::SearchPanelAccessible(SearchPanel* panel) : QAccessibleWidget(panel), m_panel(panel) {}

void SearchPanelAccessible::Install()
{
    // Qt keeps factories for the whole process and asks every one for each object.
    static const bool installed = [] {
        QAccessible::installFactory(&CreatePanelAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

int SearchPanelAccessible::childCount() const
{
    return QAccessibleWidget::childCount() - (LabelIndex() >= 0 ? 1 : 0);
}

QAccessibleInterface* SearchPanelAccessible::child(int index) const
{
    if (index < 0) {
        return nullptr;
    }
    const int label = LabelIndex();
    return QAccessibleWidget::child(label >= 0 && index >= label ? index + 1 : index);
}

int SearchPanelAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const int index = QAccessibleWidget::indexOfChild(child);
    const int label = LabelIndex();
    if (index < 0 || label < 0 || index < label) {
        return index;
    }
    return index == label ? -1 : index - 1;
}

int SearchPanelAccessible::LabelIndex() const
{
    const QAccessibleInterface* label = QAccessible::queryAccessibleInterface(&m_panel->IdentityLabel());
    return label != nullptr ? QAccessibleWidget::indexOfChild(label) : -1;
}

} // namespace velkan::ui
