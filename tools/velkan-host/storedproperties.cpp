#include "tools/velkan-host/storedproperties.h"

#include <QSettings>

namespace velkan::host {

namespace {

const QString kGroup = QStringLiteral("properties");

} // namespace

comhost::MemoryPropertyBag ReadStoredProperties(QSettings& settings)
{
    comhost::MemoryPropertyBag properties;
    settings.beginGroup(kGroup);
    for (const QString& name : settings.childKeys()) {
        properties.values[name.toStdU16String()] = settings.value(name).toString().toStdU16String();
    }
    settings.endGroup();
    return properties;
}

void WriteStoredProperties(QSettings& settings, const comhost::MemoryPropertyBag& properties)
{
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    for (const auto& [name, value] : properties.values) {
        settings.setValue(QString::fromStdU16String(name), QString::fromStdU16String(value));
    }
    settings.endGroup();
    settings.sync();
}

} // namespace velkan::host
