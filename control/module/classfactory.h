#pragma once

// The module's class objects: one factory for the control and one for its property page.

#include "velkanfilesearch/velkanfilesearch.h"

namespace velkan::control {

// What DllGetClassObject answers: a new factory for clsid, asked for iid.
HRESULT GetClassObject(const Guid& clsid, const Guid& iid, void** object);

// S_OK when no object of the module is alive and no server lock is held, else S_FALSE.
HRESULT CanUnloadNow();

} // namespace velkan::control
