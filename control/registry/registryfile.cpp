#include "control/registry/registryfile.h"

#include "control/registry/registrytext.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkan::registry {

namespace {

// True when key lies below parent (not equal to it).
bool IsBelow(std::string_view key, std::string_view parent)
{
    return key.size() > parent.size() && key[parent.size()] == '\\' &&
           SameName(key.substr(0, parent.size()), parent);
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

// The whole file; "cannot read PATH: REASON" when it cannot be read.
std::optional<std::string> ReadAll(const std::filesystem::path& path, std::string* error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, ErrnoText("cannot read " + path.string()));
        return std::nullopt;
    }
    std::string text;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0) {
        text.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            SetError(error, ErrnoText("cannot read " + path.string()));
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// A temporary file is the registry file's name, ".tmp-" and six letters or digits: a name no
// one else uses, so that a writer holding the lock can tell the ones a killed writer left.
constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporaryLetters = 6;
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool IsTemporaryOf(const std::string& name, const std::string& fileName)
{
    const std::string prefix = fileName + std::string(kTemporaryInfix);
    return name.size() == prefix.size() + kTemporaryLetters && name.starts_with(prefix) &&
           name.find_first_not_of(kLetters, prefix.size()) == std::string::npos;
}

// Creates a new temporary file beside file, readable and writable as the user's umask allows;
// its descriptor, or -1 with errno set.
int CreateTemporary(const std::filesystem::path& file, std::string& temporary)
{
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = file.string() + std::string(kTemporaryInfix);
        for (std::size_t i = 0; i < kTemporaryLetters; ++i) {
            temporary += kLetters[pick(random)];
        }
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Only while the lock is held: no other writer can be using one then.
void RemoveStaleTemporaries(const std::filesystem::path& file)
{
    const std::string fileName = file.filename().string();
    std::error_code code;
    for (std::filesystem::directory_iterator entry(FolderOf(file), code), end; !code && entry != end;
         entry.increment(code)) {
        if (IsTemporaryOf(entry->path().filename().string(), fileName)) {
            ::unlink(entry->path().c_str());
        }
    }
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
    if (code) {
        SetError(error, "cannot read " + path.string() + ": " + code.message());
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        // A directory or a pipe in its place is no registry, and reading a pipe could block.
        SetError(error, "cannot read " + path.string() + ": " +
                            (status.type() == std::filesystem::file_type::directory ? std::strerror(EISDIR)
                                                                                    : "not a regular file"));
        return std::nullopt;
    }
    const std::optional<std::string> text = ReadAll(path, error);
    if (!text) {
        return std::nullopt;
    }
    ParseError parseError;
    std::optional<RegistryFile> file = Parse(*text, &parseError);
    if (!file) {
        SetError(error, path.string() + ":" + std::to_string(parseError.line) + ": " + parseError.reason);
    }
    return file;
}

std::optional<RegistryFile> RegistryFile::Parse(std::string_view text, ParseError* error)
{
    std::optional<RegistryKeys> keys = RegistryParser(text).Parse(error);
    if (!keys) {
        return std::nullopt;
    }
    return RegistryFile(std::move(*keys));
}

std::string RegistryFile::Serialize() const
{
    std::string out(kHeader);
    out += "\n\n";
    for (const Key& key : m_keys.All()) {
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

bool RegistryFile::Save(const RegistryLock& lock, std::string* error) const
{
    const std::filesystem::path& file = lock.File();
    RemoveStaleTemporaries(file);
    const std::optional<std::string> temporary = WriteBeside(file, error);
    if (!temporary) {
        return false;
    }
    if (::rename(temporary->c_str(), file.c_str()) != 0) {
        SetError(error, ErrnoText("cannot write " + file.string()));
        ::unlink(temporary->c_str());
        return false;
    }
    // The rename is only durable once the folder that records it is.
    const std::filesystem::path directory = FolderOf(file);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        SetError(error, ErrnoText("cannot write " + file.string() + ": cannot sync " + directory.string()));
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::close(fd);
    return true;
}

bool RegistryFile::Save(const std::filesystem::path& path, std::string* error) const
{
    const std::optional<RegistryLock> lock = RegistryLock::Take(path, RegistryLock::kWait, error);
    return lock && Save(*lock, error);
}

std::optional<std::string> RegistryFile::FindProblem(const std::filesystem::path& path)
{
    std::string error;
    const std::optional<RegistryFile> file = Load(path, &error);
    if (!file) {
        return error;
    }
    const std::optional<RegistryLock> lock = RegistryLock::Take(path, std::chrono::milliseconds(0), &error);
    if (!lock) {
        return error;
    }
    const std::optional<std::string> temporary = file->WriteBeside(lock->File(), &error);
    if (!temporary) {
        return error;
    }
    ::unlink(temporary->c_str());
    return std::nullopt;
}

std::optional<std::string> RegistryFile::WriteBeside(const std::filesystem::path& file, std::string* error) const
{
    std::string temporary;
    const int fd = CreateTemporary(file, temporary);
    if (fd < 0) {
        SetError(error, ErrnoText("cannot write " + file.string() + ": cannot create a temporary file in " +
                                  FolderOf(file).string()));
        return std::nullopt;
    }
    // A new file gets the mode any new file of the user's gets (the temporary file was made so);
    // a replaced one keeps its own.
    struct stat old {};
    bool ok = ::stat(file.c_str(), &old) != 0 || !S_ISREG(old.st_mode) || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, Serialize()) && ::fsync(fd) == 0;
    if (!ok) {
        SetError(error, ErrnoText("cannot write " + file.string()));
    }
    if (::close(fd) != 0 && ok) {
        SetError(error, ErrnoText("cannot write " + file.string()));
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return temporary;
}

bool RegistryFile::KeyExists(std::string_view key) const
{
    return m_keys.Find(key) != nullptr || std::any_of(m_keys.All().begin(), m_keys.All().end(),
                                                     [&](const Key& entry) { return IsBelow(entry.path, key); });
}

void RegistryFile::CreateKey(std::string_view key)
{
    m_keys.FindOrCreate(key);
}

bool RegistryFile::RemoveKey(std::string_view key)
{
    return m_keys.RemoveIf([&](const Key& entry) { return SameName(entry.path, key) || IsBelow(entry.path, key); }) >
           0;
}

std::optional<std::string> RegistryFile::GetString(std::string_view key, std::string_view name) const
{
    const Key* entry = m_keys.Find(key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    for (const Value& value : entry->values) {
        if (SameName(value.name, name)) {
            return value.isString ? std::optional(value.data) : std::nullopt;
        }
    }
    return std::nullopt;
}

void RegistryFile::SetString(std::string_view key, std::string_view name, std::string_view data)
{
    Key& entry = m_keys.At(m_keys.FindOrCreate(key));
    for (Value& value : entry.values) {
        if (SameName(value.name, name)) {
            value.isString = true;
            value.data = data;
            return;
        }
    }
    entry.values.push_back(Value{.name = std::string(name), .isString = true, .data = std::string(data)});
}

bool RegistryFile::RemoveValue(std::string_view key, std::string_view name)
{
    Key* found = m_keys.Find(key);
    if (found == nullptr) {
        return false;
    }
    return std::erase_if(found->values, [&](const Value& value) { return SameName(value.name, name); }) > 0;
}

} // namespace velkan::registry
