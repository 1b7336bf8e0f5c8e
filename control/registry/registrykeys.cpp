#include "control/registry/registrykeys.h"

#include <utility>

namespace velkan::registry {

const RegistryKey* RegistryKeys::Find(std::string_view path) const
{
    const std::optional<std::size_t> found = m_index.Find(path, [this](std::size_t at) -> std::string_view {
        return m_keys[at].path;
    });
    return found ? &m_keys[*found] : nullptr;
}

RegistryKey* RegistryKeys::Find(std::string_view path)
{
    return const_cast<RegistryKey*>(std::as_const(*this).Find(path));
}

std::size_t RegistryKeys::FindOrCreate(std::string_view path)
{
    if (const RegistryKey* found = Find(path)) {
        return static_cast<std::size_t>(found - m_keys.data());
    }
    m_index.Insert(path, m_keys.size());
    m_keys.push_back(RegistryKey{.path = std::string(path)});
    return m_keys.size() - 1;
}

void RegistryKeys::Reserve(std::size_t count)
{
    m_keys.reserve(count);
    m_index.Reserve(count);
}

void RegistryKeys::Reindex()
{
    m_index.Clear();
    m_index.Reserve(m_keys.size());
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        m_index.Insert(m_keys[i].path, i);
    }
}

} // namespace velkan::registry
