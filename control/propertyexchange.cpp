#include "propertyexchange.h"

#include "automationtext.h"

namespace velkan::control {

void PropertyExchange::Text(std::u16string_view name, std::string& value)
{
    const std::u16string key(name);
    if (m_loading) {
        com::Bstr read;
        if (com::Succeeded(m_bag.Read(key, &read))) {
            value = ToCp949(read);
        }
        return;
    }
    SaveOnly(name, value);
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
