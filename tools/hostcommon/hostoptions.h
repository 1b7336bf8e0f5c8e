#pragma once

#include "velkancom.h"

#include <optional>
#include <string>
#include <utility>

namespace velkan::host {

// "HOST:PORT" as the hosts' --app-server takes it; nothing for anything else.
std::optional<std::pair<std::string, int>> ParseHostPort(const std::string& text);

// The object's interface iid, with a reference the caller releases; null when it has none.
template <typename Interface> Interface* Query(com::IUnknown* object, const com::Guid& iid)
{
    void* pointer = nullptr;
    return object != nullptr && com::Succeeded(object->QueryInterface(iid, &pointer))
               ? static_cast<Interface*>(pointer)
               : nullptr;
}

} // namespace velkan::host
