#pragma once

// What a registry file holds: its keys in their order, each with its values in theirs, and an
// index that finds a key by its path without regard to ASCII case. The reader fills it and the
// file edits it; neither needs the other for that.

#include "control/registry/nameindex.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::registry {

struct RegistryValue {
    std::string name;  // empty for the default value ("@")
    bool isString = true;
    std::string data;  // the text of a string, or the raw text after '=' of any other type
    bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
    std::string path;  // e.g. "HKEY_CLASSES_ROOT\CLSID\{...}"
    std::vector<RegistryValue> values;
    bool operator==(const RegistryKey&) const = default;
};

class RegistryKeys {
public:
    [[nodiscard]] const std::vector<RegistryKey>& All() const { return m_keys; }
    [[nodiscard]] RegistryKey& At(std::size_t position) { return m_keys[position]; }

    [[nodiscard]] const RegistryKey* Find(std::string_view path) const;
    [[nodiscard]] RegistryKey* Find(std::string_view path);
    // The key's position, appending it without values when it is not there.
    std::size_t FindOrCreate(std::string_view path);
    // Room for count keys without growing.
    void Reserve(std::size_t count);

    // Removes the keys remove picks; how many there were.
    template <class Predicate> std::size_t RemoveIf(const Predicate& remove)
    {
        const std::size_t removed = std::erase_if(m_keys, remove);
        if (removed > 0) {
            Reindex();
        }
        return removed;
    }

    bool operator==(const RegistryKeys& other) const { return m_keys == other.m_keys; }

private:
    void Reindex();

    std::vector<RegistryKey> m_keys;
    NameIndex m_index; // paths -> positions in m_keys
};

} // namespace velkan::registry
