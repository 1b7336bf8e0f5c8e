#pragma once

#include "velkanfilesearch/velkancom.h"

namespace velkan::host {

// The object's interface iid, with a reference the caller releases; null when it has none.
template <typename Interface> Interface* Query(com::IUnknown* object, const com::Guid& iid)
{
    void* pointer = nullptr;
    return object != nullptr && com::Succeeded(object->QueryInterface(iid, &pointer))
               ? static_cast<Interface*>(pointer)
               : nullptr;
}

} // namespace velkan::host
