#pragma once

#include "velkanfilesearch/velkancom.h"

#include <optional>
#include <string>
#include <string_view>

namespace velkan::control {

// Reads or writes the control's persistent properties over a property bag, one name at a time.
class PropertyExchange {
public:
    PropertyExchange(com::IPropertyBag& bag, bool loading) : m_bag(bag), m_loading(loading) {}

    [[nodiscard]] bool IsLoading() const { return m_loading; }
    // A CP949 property: loading keeps value when the bag lacks name.
    void Text(std::u16string_view name, std::string& value);
    // Written on save only.
    void SaveOnly(std::u16string_view name, const std::string& value);
    // Read on load only: the value, or nothing when saving or when the bag lacks name.
    [[nodiscard]] std::optional<std::string> LoadOnly(std::u16string_view name);
    // The first failure of a write, S_OK when none failed.
    [[nodiscard]] com::HRESULT Result() const { return m_result; }

private:
    com::IPropertyBag& m_bag;
    bool m_loading;
    com::HRESULT m_result = com::S_OK;
};

} // namespace velkan::control
