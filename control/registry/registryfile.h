#pragma once

// The per-user registry: a text file in the Windows registry-file format that maps class
// identifiers, ProgIDs and type libraries to modules, shared by the control's module and its
// hosts. Keys and value names compare without regard to ASCII case, as the registry's do.

#include "control/registry/registrykeys.h"
#include "control/registry/registrylock.h"
#include "control/registry/registryparser.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkan::registry {

inline constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";

// $VELKAN_REGISTRY if set, else $XDG_DATA_HOME/velkan/registry.reg (XDG_DATA_HOME defaulting
// to ~/.local/share).
std::filesystem::path DefaultRegistryPath();

// "HKEY_CLASSES_ROOT\" followed by the key.
std::string ClassesRootKey(std::string_view key);

// The file's keys in their order, each with its values in theirs. Entries this program never
// writes (values of other types, such as dword: or hex:) are kept byte for byte; comments are
// not kept. Keys are indexed, so loading and every lookup by key take constant time per key.
class RegistryFile {
public:
    using Value = RegistryValue;
    using Key = RegistryKey;

    RegistryFile() = default;

    // A missing file is an empty registry; an unreadable or malformed one is nothing, and error
    // then says why: "PATH:LINE: REASON" for a malformed line, "cannot read PATH: REASON".
    static std::optional<RegistryFile> Load(const std::filesystem::path& path, std::string* error = nullptr);
    static std::optional<RegistryFile> Parse(std::string_view text, ParseError* error = nullptr);

    [[nodiscard]] std::string Serialize() const;
    // Replaces the file the lock guards: writes a temporary file beside it with the old file's
    // mode, syncs it, renames it over the file and syncs the folder, so that once this answers
    // true the new file survives a crash. Temporary files a writer left when it was killed are
    // removed first (the lock keeps any other writer's from being taken for one). The old file
    // stays whole when anything fails, and error then says why ("cannot write FILE: REASON").
    bool Save(const RegistryLock& lock, std::string* error = nullptr) const;
    // Takes the lock of the file at path (RegistryLock::Take, waiting RegistryLock::kWait), then
    // saves as above. A holder of that lock saves through it instead: a second take of the same
    // lock waits for itself.
    bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

    // Why the registry at path cannot be loaded, or could not be saved again now (its lock taken
    // without waiting, then every step of Save but the rename, on a temporary file that is then
    // removed); nothing when both work. The file itself is left as it is. A registration entry
    // point answers only a code; this is how a tool guesses the reason when the module does not
    // say.
    static std::optional<std::string> FindProblem(const std::filesystem::path& path);

    // True for a key written in the file and for every key above one.
    [[nodiscard]] bool KeyExists(std::string_view key) const;
    // Adds the key without values unless it is there already.
    void CreateKey(std::string_view key);
    // Removes the key and every key below it; false when there was none.
    bool RemoveKey(std::string_view key);

    // name empty for the default value; nothing for a missing value or one of another type.
    [[nodiscard]] std::optional<std::string> GetString(std::string_view key, std::string_view name = {}) const;
    // Creates the key when needed; the value keeps its place when it exists. Values hold no line
    // breaks.
    void SetString(std::string_view key, std::string_view name, std::string_view data);
    bool RemoveValue(std::string_view key, std::string_view name);

    [[nodiscard]] const std::vector<Key>& Keys() const { return m_keys.All(); }
    bool operator==(const RegistryFile& other) const { return m_keys == other.m_keys; }

private:
    explicit RegistryFile(RegistryKeys keys) : m_keys(std::move(keys)) {}

    // Writes and syncs a temporary file beside file, as Save does before the rename; the
    // temporary file's path, or nothing.
    std::optional<std::string> WriteBeside(const std::filesystem::path& file, std::string* error) const;

    RegistryKeys m_keys;
};

} // namespace velkan::registry
