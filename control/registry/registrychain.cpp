#include "control/registry/registrychain.h"

#include <dlfcn.h>

namespace velkan::registry {

RegistryChain RegistryChain::Load(const std::vector<std::filesystem::path>& paths)
{
    RegistryChain chain;
    for (const std::filesystem::path& path : paths) {
        std::error_code code;
        if (!std::filesystem::exists(path, code)) {
            chain.m_looked.push_back(path.string() + " (no such file)");
            continue;
        }
        std::string error;
        std::optional<RegistryFile> file = RegistryFile::Load(path, &error);
        if (!file) {
            chain.m_looked.push_back(path.string() + " (" + (error.empty() ? "cannot be read" : error) + ")");
            continue;
        }
        chain.m_looked.push_back(path.string());
        chain.m_files.push_back(std::move(*file));
        chain.m_paths.push_back(path);
    }
    return chain;
}

RegistryChain RegistryChain::LoadDefault(std::string_view installedRelative)
{
    std::vector<std::filesystem::path> paths = {DefaultRegistryPath()};
    if (std::optional<std::filesystem::path> installed = BesideThisLibrary(installedRelative)) {
        paths.push_back(std::move(*installed));
    }
    return Load(paths);
}

std::optional<std::filesystem::path> RegistryChain::BesideThisLibrary(std::string_view relative)
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&RegistryChain::BesideThisLibrary), &info) == 0 ||
        info.dli_fname == nullptr || info.dli_fname[0] == 0) {
        return std::nullopt;
    }
    // Where it was loaded from, symbolic links left as they are: a package's files sit together.
    std::error_code code;
    const std::filesystem::path library = std::filesystem::absolute(info.dli_fname, code).lexically_normal();
    if (code) {
        return std::nullopt;
    }
    return library.parent_path() / relative;
}

std::optional<RegistryChain::Found> RegistryChain::GetString(std::string_view key, std::string_view name) const
{
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (std::optional<std::string> value = m_files[i].GetString(key, name)) {
            return Found{std::move(*value), m_paths[i]};
        }
    }
    return std::nullopt;
}

std::string RegistryChain::Describe() const
{
    std::string text;
    for (const std::string& line : m_looked) {
        text += (text.empty() ? "" : ", ") + line;
    }
    return text.empty() ? "no registry file" : text;
}

} // namespace velkan::registry
