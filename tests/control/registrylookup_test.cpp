#include "velkanfilesearch/comhost.h"
#include "control/registry/registrychain.h"
#include "control/registry/registryfile.h"
#include "tests/control/testsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace velkan;
using registry::RegistryChain;

namespace {

const std::filesystem::path kModulePath = VELKAN_MODULE_PATH;
const std::filesystem::path kPackageRegistry = VELKAN_PACKAGE_REGISTRY;

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good());
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A registry naming the control's class and its module.
std::string Registration(const std::string& clsid, const std::string& module)
{
    std::string text = "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CLASSES_ROOT\\VELKANFILESEARCH.VelkanFileSearchCtrl.1\\CLSID]\n@=\"" +
                       clsid + "\"\n\n";
    if (!module.empty()) {
        text += "[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]\n@=\"" + module + "\"\n";
    }
    return text;
}

const std::string kClsid = control::CLSID_VelkanFileSearch.ToString();

// The per-user file is read first and wins; the package's fills in what it lacks; files that are
// missing or broken are passed over but named.
TEST(RegistryChainTest, FirstFileHoldingAValueWins)
{
    test::ScopedRegistry scope;
    const std::filesystem::path user = scope.Directory() / "user.reg";
    const std::filesystem::path package = scope.Directory() / "lib/velkanfilesearch/registry.reg";
    const std::filesystem::path broken = scope.Directory() / "broken.reg";
    const std::filesystem::path missing = scope.Directory() / "missing.reg";
    WriteFile(user, Registration(kClsid, "/home/user/own.so"));
    WriteFile(package, Registration(kClsid, "libvelkanfilesearch.so") +
                           "\n[HKEY_CLASSES_ROOT\\Package.Only]\n@=\"from the package\"\n");
    WriteFile(broken, "not a registry\n");

    const std::string server = registry::ClassesRootKey("CLSID\\" + kClsid + "\\InprocServer32");
    struct Case {
        const char* why;
        std::vector<std::filesystem::path> files;
        std::string key;
        std::optional<std::string> value;
        std::filesystem::path from;
    };
    const Case cases[] = {
        {"the user's registration overrides the package's", {user, package}, server, "/home/user/own.so", user},
        {"without the user's, the package's", {missing, package}, server, "libvelkanfilesearch.so", package},
        {"a broken file is passed over", {broken, package}, server, "libvelkanfilesearch.so", package},
        {"what only the package has", {user, package}, registry::ClassesRootKey("Package.Only"), "from the package",
         package},
        {"nothing anywhere", {user, package}, registry::ClassesRootKey("Nothing.Here"), std::nullopt, {}},
    };
    for (const Case& c : cases) {
        const RegistryChain chain = RegistryChain::Load(c.files);
        const std::optional<RegistryChain::Found> found = chain.GetString(c.key);
        ASSERT_EQ(found.has_value(), c.value.has_value()) << c.why;
        if (found) {
            EXPECT_EQ(found->value, *c.value) << c.why;
            EXPECT_EQ(found->file, c.from) << c.why;
        }
    }

    const std::string described = RegistryChain::Load({missing, broken, package}).Describe();
    EXPECT_NE(described.find(missing.string() + " (no such file)"), std::string::npos) << described;
    EXPECT_NE(described.find(broken.string() + " ("), std::string::npos) << described;
    EXPECT_NE(described.find(package.string()), std::string::npos) << described;
}

TEST(RegistryChainTest, HostsReadTheUsersFileThenTheInstalledOne)
{
    test::ScopedRegistry scope;
    const std::vector<std::filesystem::path> paths = comhost::RegistryPaths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], scope.Path());
    // Beside the library that holds the lookup (here the test program itself).
    EXPECT_EQ(paths[1].filename(), "registry.reg");
    EXPECT_EQ(paths[1].parent_path().filename(), "velkanfilesearch");
    EXPECT_TRUE(paths[1].is_absolute());
}

// The registry file the package ships names the module by a path from its own folder: the
// control is created wherever the package's files were put.
TEST(RegistryLookupTest, PackageRegistryFindsTheModuleBesideIt)
{
    test::ScopedRegistry scope;
    const std::filesystem::path folder = scope.Directory() / "unpacked/lib/velkanfilesearch";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(std::filesystem::absolute(kModulePath), folder / kModulePath.filename());
    WriteFile(folder / "registry.reg", ReadFile(kPackageRegistry));
    test::ScopedRegistry::Point(folder / "registry.reg");

    comhost::CreatedObject created;
    std::string error;
    ASSERT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created, &error), com::S_OK)
        << error;
    EXPECT_EQ(created.module->Path(), folder / kModulePath.filename());
    EXPECT_TRUE(comhost::IsRegistered(control::kControlProgId));
}

// Every way the registry can fail to lead to the control says which way, where it looked and,
// for a module that does not load, the loader's own reason.
TEST(RegistryLookupTest, FailuresSayWhy)
{
    test::ScopedRegistry scope;
    const std::filesystem::path registry = scope.Path();
    const std::filesystem::path gone = scope.Directory() / "gone/libvelkanfilesearch.so";
    const std::filesystem::path notModule = scope.Directory() / "not-a-module.so";
    WriteFile(notModule, std::string(4096, 'x'));
    struct Case {
        const char* why;
        std::optional<std::string> registryText; // nothing: no file at all
        com::HRESULT result;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {"no registry file", std::nullopt, com::REGDB_E_CLASSNOTREG,
         {"\"VELKANFILESEARCH.VelkanFileSearchCtrl.1\" is not registered", registry.string() + " (no such file)"}},
        {"a class identifier that is not one", Registration("{not-a-guid}", ""), com::REGDB_E_CLASSNOTREG,
         {"is not one: \"{not-a-guid}\" in " + registry.string()}},
        {"a class without a module", Registration(kClsid, ""), com::REGDB_E_CLASSNOTREG,
         {"the class " + kClsid + " has no module in the registry", registry.string()}},
        {"a module that moved away", Registration(kClsid, gone.string()), com::E_FAIL,
         {"cannot load the module " + gone.string() + " (named by " + registry.string() + "): ",
          "No such file or directory"}},
        {"a file that is no module", Registration(kClsid, notModule.string()), com::E_FAIL,
         {"cannot load the module " + notModule.string(), "invalid ELF header"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(registry);
        if (c.registryText) {
            WriteFile(registry, *c.registryText);
        }
        comhost::CreatedObject created;
        std::string error;
        EXPECT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created, &error), c.result)
            << c.why;
        EXPECT_FALSE(created.object) << c.why;
        for (const std::string& mention : c.mentions) {
            EXPECT_NE(error.find(mention), std::string::npos) << c.why << ": " << error;
        }
    }
}

} // namespace
