#include "registryfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace velkan::registry {

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

// True when key lies below parent (not equal to it).
bool IsBelow(std::string_view key, std::string_view parent)
{
    return key.size() > parent.size() && key[parent.size()] == '\\' &&
           SameText(key.substr(0, parent.size()), parent);
}

void SetError(std::string* error, std::string text)
{
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// Reads a quoted string at the front of text (escapes \\ and \"); the rest follows it.
std::optional<std::string> Unquote(std::string_view& text)
{
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 >= text.size()) {
                return std::nullopt;
            }
            out += text[++i];
        } else if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

std::string ErrnoText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::filesystem::path DefaultRegistryPath()
{
    if (const char* explicitPath = std::getenv("VELKAN_REGISTRY"); explicitPath != nullptr && *explicitPath != 0) {
        return explicitPath;
    }
    std::filesystem::path dataHome;
    // Only an absolute XDG_DATA_HOME counts; a relative one is ignored, as XDG hosts do.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        dataHome = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == 0) {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : "/";
        }
        dataHome = std::filesystem::path(home) / ".local" / "share";
    }
    return dataHome / "velkan" / "registry.reg";
}

std::string ClassesRootKey(std::string_view key)
{
    return std::string(kClassesRoot) + "\\" + std::string(key);
}

std::optional<RegistryFile> RegistryFile::Load(const std::filesystem::path& path, std::string* error)
{
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (status.type() == std::filesystem::file_type::not_found) {
        return RegistryFile{};
    }
    if (code || status.type() != std::filesystem::file_type::regular) {
        SetError(error, path.string() + " is not a readable file");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(error, "cannot read " + path.string());
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        SetError(error, "cannot read " + path.string());
        return std::nullopt;
    }
    return Parse(text.str(), error);
}

std::optional<RegistryFile> RegistryFile::Parse(std::string_view text, std::string* error)
{
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }

    RegistryFile file;
    bool sawHeader = false;
    Key* current = nullptr;
    for (std::size_t number = 0; number < lines.size(); ++number) {
        const std::string& line = lines[number];
        const auto fail = [&](const std::string& what) {
            SetError(error, "line " + std::to_string(number + 1) + ": " + what);
            return std::nullopt;
        };
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!sawHeader) {
            if (line != kHeader) {
                return fail("not a registry file");
            }
            sawHeader = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                return fail("malformed key");
            }
            if (line[1] == '-') {
                // A file that deletes keys is a change to apply, not a registry to keep.
                return fail("key deletions are not kept in the registry");
            }
            current = &file.FindOrCreate(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        if (current == nullptr) {
            return fail("value outside a key");
        }
        std::string_view rest = line;
        std::string name;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            const std::optional<std::string> quoted = Unquote(rest);
            if (!quoted) {
                return fail("malformed value name");
            }
            name = *quoted;
        }
        if (rest.empty() || rest.front() != '=') {
            return fail("missing '='");
        }
        rest.remove_prefix(1);
        Value value{.name = name};
        if (!rest.empty() && rest.front() == '"') {
            const std::optional<std::string> data = Unquote(rest);
            if (!data || !rest.empty()) {
                return fail("malformed string value");
            }
            value.data = *data;
        } else if (rest == "-") {
            return fail("value deletions are not kept in the registry");
        } else {
            // dword:, hex: and the like, kept as written, continuation lines included.
            value.isString = false;
            value.data = rest;
            while (!value.data.empty() && value.data.back() == '\\' && number + 1 < lines.size()) {
                value.data += '\n';
                value.data += lines[++number];
            }
        }
        const auto existing = std::find_if(current->values.begin(), current->values.end(),
                                           [&](const Value& v) { return SameText(v.name, name); });
        if (existing != current->values.end()) {
            *existing = std::move(value);
        } else {
            current->values.push_back(std::move(value));
        }
    }
    return file;
}

std::string RegistryFile::Serialize() const
{
    std::string out(kHeader);
    out += "\n\n";
    for (const Key& key : m_keys) {
        out += '[';
        out += key.path;
        out += "]\n";
        for (const Value& value : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            out += value.isString ? Quote(value.data) : value.data;
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

bool RegistryFile::Save(const std::filesystem::path& path, std::string* error) const
{
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (code) {
        SetError(error, "cannot create " + directory.string() + ": " + code.message());
        return false;
    }
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        SetError(error, ErrnoText("cannot create a file beside " + path.string()));
        return false;
    }
    const std::string text = Serialize();
    bool ok = WriteAll(fd, text);
    if (!ok) {
        SetError(error, ErrnoText("cannot write " + temporary));
    }
    if (ok && ::fsync(fd) != 0) {
        SetError(error, ErrnoText("cannot write " + temporary));
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        SetError(error, ErrnoText("cannot write " + temporary));
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        SetError(error, ErrnoText("cannot replace " + path.string()));
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

const RegistryFile::Key* RegistryFile::Find(std::string_view key) const
{
    const auto found = std::find_if(m_keys.begin(), m_keys.end(),
                                    [&](const Key& entry) { return SameText(entry.path, key); });
    return found != m_keys.end() ? &*found : nullptr;
}

RegistryFile::Key* RegistryFile::Find(std::string_view key)
{
    const auto found = std::find_if(m_keys.begin(), m_keys.end(),
                                    [&](const Key& entry) { return SameText(entry.path, key); });
    return found != m_keys.end() ? &*found : nullptr;
}

RegistryFile::Key& RegistryFile::FindOrCreate(std::string_view key)
{
    if (Key* found = Find(key)) {
        return *found;
    }
    return m_keys.emplace_back(Key{.path = std::string(key)});
}

bool RegistryFile::KeyExists(std::string_view key) const
{
    return std::any_of(m_keys.begin(), m_keys.end(), [&](const Key& entry) {
        return SameText(entry.path, key) || IsBelow(entry.path, key);
    });
}

void RegistryFile::CreateKey(std::string_view key)
{
    FindOrCreate(key);
}

bool RegistryFile::RemoveKey(std::string_view key)
{
    const auto removed = std::erase_if(m_keys, [&](const Key& entry) {
        return SameText(entry.path, key) || IsBelow(entry.path, key);
    });
    return removed > 0;
}

std::optional<std::string> RegistryFile::GetString(std::string_view key, std::string_view name) const
{
    const Key* entry = Find(key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    for (const Value& value : entry->values) {
        if (SameText(value.name, name)) {
            return value.isString ? std::optional(value.data) : std::nullopt;
        }
    }
    return std::nullopt;
}

void RegistryFile::SetString(std::string_view key, std::string_view name, std::string_view data)
{
    Key& entry = FindOrCreate(key);
    for (Value& value : entry.values) {
        if (SameText(value.name, name)) {
            value.isString = true;
            value.data = data;
            return;
        }
    }
    entry.values.push_back(Value{.name = std::string(name), .isString = true, .data = std::string(data)});
}

bool RegistryFile::RemoveValue(std::string_view key, std::string_view name)
{
    Key* found = Find(key);
    if (found == nullptr) {
        return false;
    }
    return std::erase_if(found->values, [&](const Value& value) { return SameText(value.name, name); }) > 0;
}

} // namespace velkan::registry
