#pragma once

#include "velkanfilesearch/comhost.h"

class QSettings;

namespace velkan::host {

// The control's properties kept in the user's settings between runs of the desktop host, under
// the names the control persists them by, in the group "properties".
comhost::MemoryPropertyBag ReadStoredProperties(QSettings& settings);
void WriteStoredProperties(QSettings& settings, const comhost::MemoryPropertyBag& properties);

} // namespace velkan::host
