// RegistryFile::Parse reads the per-user registry file, which any program of the user may have
// written, at every host's start-up.
#include "fuzz/fuzz_check.h"
#include "control/registry/registryfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using velkan::registry::ParseError;
using velkan::registry::RegistryFile;

namespace {

constexpr std::string_view kContinued = "a value continued ('\\' at the end of its line) past the end of the file";
// Edits tried on a parsed file, each checked against the plain model.
constexpr std::size_t kEdits = 48;

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

bool Same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Every ASCII letter in the other case, so that no lookup spells a name as it is stored.
std::string OtherCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    return out;
}

// The registry as a plain list searched from the front, as it was kept before it had an index.
class PlainRegistry {
public:
    explicit PlainRegistry(std::vector<RegistryFile::Key> initial) : keys(std::move(initial)) {}

    RegistryFile::Key* Find(std::string_view key)
    {
        for (RegistryFile::Key& entry : keys) {
            if (Same(entry.path, key)) {
                return &entry;
            }
        }
        return nullptr;
    }
    static bool Below(std::string_view key, std::string_view parent)
    {
        return key.size() > parent.size() && key[parent.size()] == '\\' && Same(key.substr(0, parent.size()), parent);
    }
    bool KeyExists(std::string_view key)
    {
        return std::any_of(keys.begin(), keys.end(), [&](const auto& k) { return Same(k.path, key) || Below(k.path, key); });
    }
    RegistryFile::Key& Create(std::string_view key)
    {
        RegistryFile::Key* found = Find(key);
        return found != nullptr ? *found : keys.emplace_back(RegistryFile::Key{.path = std::string(key)});
    }
    bool RemoveKey(std::string_view key)
    {
        return std::erase_if(keys, [&](const auto& k) { return Same(k.path, key) || Below(k.path, key); }) > 0;
    }
    std::optional<std::string> GetString(std::string_view key, std::string_view name)
    {
        if (RegistryFile::Key* found = Find(key)) {
            for (const RegistryFile::Value& value : found->values) {
                if (Same(value.name, name)) {
                    return value.isString ? std::optional(value.data) : std::nullopt;
                }
            }
        }
        return std::nullopt;
    }
    void SetString(std::string_view key, std::string_view name, std::string_view data)
    {
        RegistryFile::Key& entry = Create(key);
        for (RegistryFile::Value& value : entry.values) {
            if (Same(value.name, name)) {
                value.isString = true;
                value.data = data;
                return;
            }
        }
        entry.values.push_back({.name = std::string(name), .isString = true, .data = std::string(data)});
    }
    bool RemoveValue(std::string_view key, std::string_view name)
    {
        RegistryFile::Key* found = Find(key);
        return found != nullptr &&
               std::erase_if(found->values, [&](const auto& value) { return Same(value.name, name); }) > 0;
    }

    std::vector<RegistryFile::Key> keys;
};

std::size_t LineCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
           (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// A refused text: its line is one of the text's, and every line before it reads.
void CheckRefusal(std::string_view text, const ParseError& error)
{
    VELKAN_FUZZ_CHECK(!error.reason.empty());
    VELKAN_FUZZ_CHECK(error.line >= 1 && error.line <= LineCount(text));
    std::size_t start = 0;
    for (std::size_t line = 1; line < error.line; ++line) {
        start = text.find('\n', start) + 1;
    }
    ParseError before;
    // Cut there, a value continued into the bad line is left open at the end instead.
    VELKAN_FUZZ_CHECK(RegistryFile::Parse(text.substr(0, start), &before) ||
                      (before.line < error.line && before.reason == kContinued));
}

// Keys once each in any case, and so the values of each key; everything found in any case.
void CheckLimits(const RegistryFile& file)
{
    std::vector<std::string> paths;
    for (const RegistryFile::Key& key : file.Keys()) {
        VELKAN_FUZZ_CHECK(!key.path.empty() && key.path.find('\n') == std::string::npos);
        paths.push_back(Lowered(key.path));
        std::vector<std::string> names;
        for (const RegistryFile::Value& value : key.values) {
            names.push_back(Lowered(value.name));
            VELKAN_FUZZ_CHECK(file.GetString(OtherCase(key.path), OtherCase(value.name)) ==
                              (value.isString ? std::optional(value.data) : std::nullopt));
            VELKAN_FUZZ_CHECK(value.isString || !value.data.ends_with('\\'));
        }
        std::sort(names.begin(), names.end());
        VELKAN_FUZZ_CHECK(std::adjacent_find(names.begin(), names.end()) == names.end());
        VELKAN_FUZZ_CHECK(file.KeyExists(OtherCase(key.path)));
    }
    std::sort(paths.begin(), paths.end());
    VELKAN_FUZZ_CHECK(std::adjacent_find(paths.begin(), paths.end()) == paths.end());
}

// Edits picked by the input's own bytes, on the file and on the plain model alike.
void CheckEdits(RegistryFile file, const std::uint8_t* data, std::size_t size)
{
    PlainRegistry plain(file.Keys());
    for (std::size_t step = 0; step < kEdits; ++step) {
        const std::uint8_t pick = data[(step * 7) % size];
        const std::string path = plain.keys.empty() ? std::string("K")
                                                    : plain.keys[(pick * 131 + step) % plain.keys.size()].path;
        const std::string spelled = OtherCase(path);
        const std::string name = plain.keys.empty() || plain.keys.front().values.empty()
                                     ? std::string("N")
                                     : plain.keys.front().values.front().name;
        switch (pick % 6) {
        case 0:
            VELKAN_FUZZ_CHECK(file.RemoveKey(spelled) == plain.RemoveKey(spelled));
            break;
        case 1: {
            // A subtree: everything below the key's parent.
            const std::string parent = path.substr(0, path.find_last_of('\\') == std::string::npos
                                                          ? path.size()
                                                          : path.find_last_of('\\'));
            VELKAN_FUZZ_CHECK(file.RemoveKey(parent) == plain.RemoveKey(parent));
            break;
        }
        case 2:
            file.SetString(spelled, OtherCase(name), "set " + std::to_string(step));
            plain.SetString(spelled, OtherCase(name), "set " + std::to_string(step));
            break;
        case 3:
            file.CreateKey(spelled + "\\Sub" + std::to_string(pick % 3));
            plain.Create(spelled + "\\Sub" + std::to_string(pick % 3));
            break;
        case 4:
            VELKAN_FUZZ_CHECK(file.RemoveValue(spelled, OtherCase(name)) == plain.RemoveValue(spelled, OtherCase(name)));
            break;
        default:
            file.SetString("New\\" + std::to_string(pick), {}, "new");
            plain.SetString("New\\" + std::to_string(pick), {}, "new");
            break;
        }
        VELKAN_FUZZ_CHECK(file.Keys() == plain.keys);
        VELKAN_FUZZ_CHECK(file.GetString(path, name) == plain.GetString(path, name));
        VELKAN_FUZZ_CHECK(file.KeyExists(spelled) == plain.KeyExists(spelled));
    }
}

} // namespace

// The whole input is the file's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseError error;
    const std::optional<RegistryFile> file = RegistryFile::Parse(text, &error);
    if (!file) {
        CheckRefusal(text, error);
        return 0;
    }
    CheckLimits(*file);

    // Saved and read again, the file is the same, and saves to the same bytes.
    const std::string saved = file->Serialize();
    const std::optional<RegistryFile> again = RegistryFile::Parse(saved);
    VELKAN_FUZZ_CHECK(again && *again == *file);
    VELKAN_FUZZ_CHECK(again->Serialize() == saved);

    if (size > 0) {
        CheckEdits(*file, data, size);
    }
    return 0;
}
