#include "control/module/propertyexchange.h"

#include "control/module/automationtext.h"

namespace velkan::control {

void PropertyExchange::Text(std::u16string_view name, std::string& value)
{
    if (m_loading) {
        if (std::optional<std::string> read = LoadOnly(name)) {
            value = std::move(*read);
        }
        return;
    }
    SaveOnly(name, value);
}

std::optional<std::string> PropertyExchange::LoadOnly(std::u16string_view name)
{
    com::Bstr read;
    if (!m_loading || com::Failed(m_bag.Read(std::u16string(name), &read))) {
        return std::nullopt;
    }
    return ToCp949(read);
}

void PropertyExchange::SaveOnly(std::u16string_view name, const std::string& value)
{
    if (m_loading) {
        return;
    }
    const com::HRESULT result = m_bag.Write(std::u16string(name), FromCp949(value));
    if (com::Failed(result) && com::Succeeded(m_result)) {
        m_result = result;
    }
}

} // namespace velkan::control
