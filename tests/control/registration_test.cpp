#include "velkanfilesearch/comhost.h"
#include "control/module/registration.h"
#include "control/registry/registryfile.h"
#include "tests/control/testsupport.h"
#include "control/module/typelibrary.h"
#include "control/module/velkanfilesearchctrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velkan;
using test::ReadFile;
using test::WriteFile;
using registry::RegistryFile;

namespace {

const std::filesystem::path kModulePath = VELKAN_MODULE_PATH;

std::string RegisteredPath()
{
    return std::filesystem::weakly_canonical(kModulePath).string();
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Entries of others: a neighbour whose name starts like the control's class key, another
// version of the type library, values of other types and escapes.
constexpr const char* kForeignEntries = R"(Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT\Other.Thing.1]
@="Other \"quoted\" thing"
"Path"="C:\\dir\\file"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}X]
@="neighbour"

[HKEY_CLASSES_ROOT\TypeLib\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\2.0]
@="another version"

[HKEY_CURRENT_USER\Software\Velkan]
"Count"=dword:00000002
"Blob"=hex:01,02,\
  03

)";

// Everything registration adds, MODULE standing for the module's path.
constexpr const char* kRegisteredEntries = R"([HKEY_CLASSES_ROOT\TypeLib\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\1.0]
@="VelkanFileSearch ActiveX Control module"

[HKEY_CLASSES_ROOT\TypeLib\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\1.0\0\linux64]
@="MODULE"

[HKEY_CLASSES_ROOT\TypeLib\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\1.0\FLAGS]
@="0"

[HKEY_CLASSES_ROOT\TypeLib\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\1.0\HELPDIR]
@=""

[HKEY_CLASSES_ROOT\VELKANFILESEARCH.VelkanFileSearchCtrl.1]
@="VelkanFileSearch Control"

[HKEY_CLASSES_ROOT\VELKANFILESEARCH.VelkanFileSearchCtrl.1\CLSID]
@="{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}]
@="VelkanFileSearch Control"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\ProgID]
@="VELKANFILESEARCH.VelkanFileSearchCtrl.1"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\InprocServer32]
@="MODULE"
"ThreadingModel"="Apartment"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\ToolboxBitmap32]
@="MODULE, 1"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\MiscStatus]
@="0"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\MiscStatus\1]
@="131473"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\Control]
@=""

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\TypeLib]
@="{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}"

[HKEY_CLASSES_ROOT\CLSID\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}\Version]
@="1.0"

[HKEY_CLASSES_ROOT\CLSID\{50CCCA16-8FF6-4AA6-967A-A6AFBD6B454E}]
@="VelkanFileSearch Property Page"

[HKEY_CLASSES_ROOT\CLSID\{50CCCA16-8FF6-4AA6-967A-A6AFBD6B454E}\InprocServer32]
@="MODULE"

)";

class RegistrationTest : public ::testing::Test {
protected:
    test::ScopedRegistry m_registry;
};

TEST_F(RegistrationTest, RegisteringTwiceWritesTheSameEntriesAndUnregisteringTakesThemOut)
{
    WriteFile(m_registry.Path(), kForeignEntries);
    const std::string registered = kForeignEntries + ReplaceAll(kRegisteredEntries, "MODULE", RegisteredPath());

    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(m_registry.Path()), registered);
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(m_registry.Path()), registered);

    ASSERT_EQ(comhost::UnregisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(m_registry.Path()), kForeignEntries);
    ASSERT_EQ(comhost::UnregisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(m_registry.Path()), kForeignEntries);
}

TEST_F(RegistrationTest, RegistrationWritesExactlyTheListedEntries)
{
    struct Entry {
        std::string key; // below HKEY_CLASSES_ROOT
        std::string name; // empty for the default value
        std::string data;
        auto operator<=>(const Entry&) const = default;
    };
    const std::string module = RegisteredPath();
    const std::string control = "CLSID\\{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}";
    const std::string page = "CLSID\\{50CCCA16-8FF6-4AA6-967A-A6AFBD6B454E}";
    const std::string typeLibrary = "TypeLib\\{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}\\1.0";
    std::vector<Entry> expected = {
        {"VELKANFILESEARCH.VelkanFileSearchCtrl.1", "", "VelkanFileSearch Control"},
        {"VELKANFILESEARCH.VelkanFileSearchCtrl.1\\CLSID", "", "{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}"},
        {control, "", "VelkanFileSearch Control"},
        {control + "\\ProgID", "", "VELKANFILESEARCH.VelkanFileSearchCtrl.1"},
        {control + "\\InprocServer32", "", module},
        {control + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {control + "\\ToolboxBitmap32", "", module + ", 1"},
        {control + "\\MiscStatus", "", "0"},
        {control + "\\MiscStatus\\1", "", "131473"},
        {control + "\\Control", "", ""},
        {control + "\\TypeLib", "", "{FEB0DC15-38F5-4C7D-B9EA-7DCAF6D9688A}"},
        {control + "\\Version", "", "1.0"},
        {page, "", "VelkanFileSearch Property Page"},
        {page + "\\InprocServer32", "", module},
        // The type library, filed by its identifier and version.
        {typeLibrary, "", "VelkanFileSearch ActiveX Control module"},
        {typeLibrary + "\\0\\linux64", "", module},
        {typeLibrary + "\\FLAGS", "", "0"},
        {typeLibrary + "\\HELPDIR", "", ""},
    };
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    const std::optional<RegistryFile> file = RegistryFile::Load(m_registry.Path());
    ASSERT_TRUE(file);
    std::vector<Entry> written;
    const std::string root = registry::ClassesRootKey("");
    for (const RegistryFile::Key& key : file->Keys()) {
        ASSERT_TRUE(key.path.starts_with(root)) << key.path;
        EXPECT_FALSE(key.values.empty()) << key.path;
        for (const RegistryFile::Value& value : key.values) {
            EXPECT_TRUE(value.isString) << key.path;
            written.push_back({key.path.substr(root.size()), value.name, value.data});
        }
    }
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
}

TEST_F(RegistrationTest, UnregisteringTakesOutThePageProgIdOfOlderBuilds)
{
    // What builds before this one left: the page also had a ProgID key.
    const std::string older = std::string(kForeignEntries) + R"([HKEY_CLASSES_ROOT\VELKANFILESEARCH.VelkanFileSearchPropPage.1]
@="VelkanFileSearch Property Page"

[HKEY_CLASSES_ROOT\VELKANFILESEARCH.VelkanFileSearchPropPage.1\CLSID]
@="{50CCCA16-8FF6-4AA6-967A-A6AFBD6B454E}"

)";
    WriteFile(m_registry.Path(), older);
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    ASSERT_EQ(comhost::UnregisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(m_registry.Path()), kForeignEntries);
}

TEST_F(RegistrationTest, FirstRegistrationMakesTheFileAndItsDirectory)
{
    const std::filesystem::path path = m_registry.Directory() / "new" / "dir" / "registry.reg";
    test::ScopedRegistry::Point(path);
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(ReadFile(path), "Windows Registry Editor Version 5.00\n\n" +
                                  ReplaceAll(kRegisteredEntries, "MODULE", RegisteredPath()));
    EXPECT_TRUE(comhost::IsRegistered(control::kControlProgId));
    // The page is reached by its class identifier only.
    EXPECT_FALSE(comhost::IsRegistered(control::kPropPageProgId));
    // Nothing but the file itself and its lock is left in its directory.
    EXPECT_EQ(test::FileNames(path.parent_path()), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistrationTest, RegistryThatCannotBeReadOrWrittenFailsTheTypeLibraryStep)
{
    // A malformed file is left as it is.
    const std::string malformed = "Windows Registry Editor Version 5.00\n\n@=\"value outside a key\"\n";
    WriteFile(m_registry.Path(), malformed);
    EXPECT_EQ(comhost::RegisterModule(kModulePath), com::SELFREG_E_TYPELIB);
    EXPECT_EQ(comhost::UnregisterModule(kModulePath), com::SELFREG_E_TYPELIB);
    EXPECT_EQ(ReadFile(m_registry.Path()), malformed);

    // A directory where the file should be can be neither read nor replaced.
    std::filesystem::remove(m_registry.Path());
    std::filesystem::create_directory(m_registry.Path());
    EXPECT_EQ(comhost::RegisterModule(kModulePath), com::SELFREG_E_TYPELIB);

    // Below a regular file no directory can be made (not even by root).
    const std::filesystem::path blocker = m_registry.Directory() / "plain-file";
    WriteFile(blocker, "x");
    test::ScopedRegistry::Point(blocker / "registry.reg");
    EXPECT_EQ(comhost::RegisterModule(kModulePath), com::SELFREG_E_TYPELIB);
    EXPECT_FALSE(comhost::IsRegistered(control::kControlProgId));
}

TEST_F(RegistrationTest, WritesThroughALinkAndKeepsTheFileMode)
{
    // The file lives in another folder, reached through a relative link, with a mode of its own.
    const std::filesystem::path target = m_registry.Directory() / "real" / "registry.reg";
    std::filesystem::create_directories(target.parent_path());
    WriteFile(target, kForeignEntries);
    using std::filesystem::perms;
    const perms mode = perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
    std::filesystem::permissions(target, mode);
    std::filesystem::create_symlink(std::filesystem::path("real") / "registry.reg", m_registry.Path());

    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(m_registry.Path()));
    EXPECT_EQ(ReadFile(target), kForeignEntries + ReplaceAll(kRegisteredEntries, "MODULE", RegisteredPath()));
    EXPECT_EQ(std::filesystem::status(target).permissions(), mode);
    // The lock and the temporary file go beside the file, not beside the link.
    EXPECT_EQ(test::FileNames(target.parent_path()), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
    EXPECT_EQ(test::FileNames(m_registry.Directory()), (std::set<std::string>{"real", "registry.reg"}));

    ASSERT_EQ(comhost::UnregisterModule(kModulePath), com::S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(m_registry.Path()));
    EXPECT_EQ(ReadFile(target), kForeignEntries);
    EXPECT_EQ(std::filesystem::status(target).permissions(), mode);
}

TEST_F(RegistrationTest, ANewFileGetsTheModeTheUserMakesFilesWith)
{
    const mode_t previous = ::umask(027);
    const com::HRESULT result = comhost::RegisterModule(kModulePath);
    ::umask(previous);
    ASSERT_EQ(result, com::S_OK);
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(m_registry.Path()).permissions(),
              perms::owner_read | perms::owner_write | perms::group_read);
}

TEST_F(RegistrationTest, AWriterGivesUpOnALockHeldTooLongAndSaysSo)
{
    // Another program holds the lock of the file the registry's link leads to.
    const std::filesystem::path target = m_registry.Directory() / "real.reg";
    WriteFile(target, kForeignEntries);
    std::filesystem::create_symlink(target, m_registry.Path());
    const int held = ::open((target.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    control::FileRegistryStore store(m_registry.Path(), std::chrono::milliseconds(100));
    std::string reason;
    EXPECT_EQ(control::RegisterServer("/lib/module.so", store, &reason), com::SELFREG_E_TYPELIB);
    EXPECT_EQ(reason, "cannot write " + target.string() + ": registry file locked by another process");
    EXPECT_EQ(ReadFile(target), kForeignEntries);
    // Readers take no lock.
    EXPECT_EQ(RegistryFile::Load(m_registry.Path()), RegistryFile::Parse(kForeignEntries));

    ::close(held);
    control::FileRegistryStore later(m_registry.Path(), std::chrono::milliseconds(100));
    EXPECT_EQ(control::RegisterServer("/lib/module.so", later, &reason), com::S_OK);
    EXPECT_TRUE(control::IsTypeLibraryRegistered(*RegistryFile::Load(target)));
}

// A registry in memory whose n-th load or save fails.
class MemoryStore final : public control::RegistryStore {
public:
    std::optional<RegistryFile> Load(std::string* error) override
    {
        ++loads;
        if (loads == failLoad) {
            *error = "load " + std::to_string(loads) + " failed";
            return std::nullopt;
        }
        return file;
    }
    bool Save(const RegistryFile& registry, std::string* error) override
    {
        ++saves;
        if (saves == failSave) {
            *error = "save " + std::to_string(saves) + " failed";
            return false;
        }
        file = registry;
        return true;
    }

    RegistryFile file;
    int failLoad = 0;
    int failSave = 0;
    int loads = 0;
    int saves = 0;
};

bool HasTypeLibrary(const RegistryFile& file)
{
    return control::IsTypeLibraryRegistered(file);
}

bool HasClasses(const RegistryFile& file)
{
    return file.KeyExists(registry::ClassesRootKey(control::kControlProgId)) ||
           file.KeyExists(registry::ClassesRootKey("CLSID\\" + control::CLSID_VelkanFileSearch.ToString())) ||
           file.KeyExists(registry::ClassesRootKey(control::kPropPageProgId)) ||
           file.KeyExists(registry::ClassesRootKey("CLSID\\" + control::CLSID_VelkanFileSearchPropPage.ToString()));
}

TEST(SelfRegistrationStepsTest, EachStepFailsWithItsOwnCode)
{
    struct Case {
        const char* what;
        int failLoad;
        int failSave;
        com::HRESULT expected;
        bool typeLibraryChanged;
        bool classesChanged;
        std::string reason; // the failing step's own words, passed on as they are
    };
    const Case cases[] = {
        {"nothing fails", 0, 0, com::S_OK, true, true, ""},
        {"type library load", 1, 0, com::SELFREG_E_TYPELIB, false, false, "load 1 failed"},
        {"type library save", 0, 1, com::SELFREG_E_TYPELIB, false, false, "save 1 failed"},
        {"class load", 2, 0, com::SELFREG_E_CLASS, true, false, "load 2 failed"},
        {"class save", 0, 2, com::SELFREG_E_CLASS, true, false, "save 2 failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStore store;
        store.failLoad = c.failLoad;
        store.failSave = c.failSave;
        std::string reason;
        EXPECT_EQ(control::RegisterServer("/lib/module.so", store, &reason), c.expected);
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(HasTypeLibrary(store.file), c.typeLibraryChanged);
        EXPECT_EQ(HasClasses(store.file), c.classesChanged);

        MemoryStore registered;
        control::AddTypeLibraryEntries(registered.file, "/lib/module.so");
        control::AddClassEntries(registered.file, "/lib/module.so");
        registered.failLoad = c.failLoad;
        registered.failSave = c.failSave;
        std::string unregisterReason;
        EXPECT_EQ(control::UnregisterServer(registered, &unregisterReason), c.expected);
        EXPECT_EQ(unregisterReason, c.reason);
        EXPECT_EQ(HasTypeLibrary(registered.file), !c.typeLibraryChanged);
        EXPECT_EQ(HasClasses(registered.file), !c.classesChanged);
    }
}

TEST(SelfRegistrationStepsTest, AModulePathWithALineBreakIsRefusedBeforeAnythingIsWritten)
{
    for (const char* path : {"/lib/a\nb/module.so", "/lib/module.so\r"}) {
        SCOPED_TRACE(path);
        MemoryStore store;
        std::string reason;
        EXPECT_EQ(control::RegisterServer(path, store, &reason), com::SELFREG_E_TYPELIB);
        EXPECT_EQ(reason, "the module's path holds a line break, which the registry file cannot record");
        EXPECT_EQ(store.saves, 0);
        EXPECT_TRUE(store.file.Keys().empty());
    }
}

TEST(SelfRegistrationStepsTest, StepsThatChangeNothingWriteNothing)
{
    MemoryStore store;
    ASSERT_EQ(control::RegisterServer("/lib/module.so", store), com::S_OK);
    EXPECT_EQ(store.saves, 2);
    ASSERT_EQ(control::RegisterServer("/lib/module.so", store), com::S_OK);
    EXPECT_EQ(store.saves, 2);
    // A new path is a change.
    ASSERT_EQ(control::RegisterServer("/other/module.so", store), com::S_OK);
    EXPECT_EQ(store.saves, 4);
    EXPECT_EQ(store.file.GetString(registry::ClassesRootKey("CLSID\\" + control::CLSID_VelkanFileSearch.ToString() +
                                                            "\\InprocServer32")),
              "/other/module.so");
    ASSERT_EQ(control::UnregisterServer(store), com::S_OK);
    EXPECT_EQ(store.saves, 6);
    EXPECT_TRUE(store.file.Keys().empty());
    ASSERT_EQ(control::UnregisterServer(store), com::S_OK);
    EXPECT_EQ(store.saves, 6);
}

TEST_F(RegistrationTest, TypeInformationNeedsTheRegisteredLibrary)
{
    auto control = com::ComPtr<control::CVelkanFileSearchCtrl>::Adopt(control::CVelkanFileSearchCtrl::Create());
    std::uint32_t count = 0;
    ASSERT_EQ(control->GetTypeInfoCount(&count), com::S_OK);
    EXPECT_EQ(count, 1U);
    com::ComPtr<com::ITypeInfo> info;
    EXPECT_EQ(control->GetTypeInfo(0, 0, info.Put()), com::TYPE_E_LIBNOTREGISTERED);
    EXPECT_FALSE(info);
    // Members work without it.
    ASSERT_EQ(control->Invoke(control::DISPID_SEARCH, 0, com::DISPATCH_PROPERTYPUT, {com::Bstr(u"x")}, nullptr), com::S_OK);
    com::Variant value;
    ASSERT_EQ(control->Invoke(control::DISPID_SEARCH, 0, com::DISPATCH_PROPERTYGET, {}, &value), com::S_OK);
    EXPECT_EQ(value, com::Variant(com::Bstr(u"x")));

    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(control->GetTypeInfo(1, 0, info.Put()), com::DISP_E_BADINDEX);
    ASSERT_EQ(control->GetTypeInfo(0, 0x409, info.Put()), com::S_OK);
    EXPECT_EQ(info->TypeGuid(), control::DIID__DVelkanFileSearch);
    EXPECT_EQ(info->Name(), u"_DVelkanFileSearch");
    EXPECT_EQ(info->HelpString(), u"Dispatch interface for VelkanFileSearch Control");
    using Kind = com::MemberDescription::Kind;
    std::vector<std::tuple<std::u16string, com::DISPID, Kind, std::vector<std::u16string>>> members;
    for (const com::MemberDescription& member : info->Members()) {
        members.emplace_back(member.name, member.dispid, member.kind, member.parameters);
    }
    const decltype(members) expected = {
        {u"param", 1, Kind::Property, {}},        {u"search", 2, Kind::Property, {}},
        {u"banWord", 3, Kind::Property, {}},      {u"SearchBanWord", 4, Kind::Property, {}},
        {u"replaceParam", 5, Kind::Property, {}}, {u"VelkanSearch", 6, Kind::Method, {u"text"}},
        {u"StopSearch", 7, Kind::Method, {}},     {u"AboutBox", com::DISPID_ABOUTBOX, Kind::Method, {}},
    };
    EXPECT_EQ(members, expected);
    void* typeInfo = nullptr;
    EXPECT_EQ(info->QueryInterface(control::IID_ITypeInfo, &typeInfo), com::S_OK);
    static_cast<com::IUnknown*>(typeInfo)->Release();

    ASSERT_EQ(comhost::UnregisterModule(kModulePath), com::S_OK);
    com::ComPtr<com::ITypeInfo> after;
    EXPECT_EQ(control->GetTypeInfo(0, 0, after.Put()), com::TYPE_E_LIBNOTREGISTERED);
    // Information already handed out stays good.
    EXPECT_EQ(info->Name(), u"_DVelkanFileSearch");
}

TEST(TypeLibraryTest, DescribesTheLibraryItsEventsAndItsClass)
{
    const control::TypeLibraryDescription& library = control::VelkanTypeLibrary();
    EXPECT_EQ(library.libid, control::LIBID_VELKANFILESEARCHLib);
    EXPECT_EQ(library.name, u"VELKANFILESEARCHLib");
    EXPECT_EQ(library.majorVersion, 1);
    EXPECT_EQ(library.minorVersion, 0);
    EXPECT_EQ(library.locale, 0x409U);
    EXPECT_EQ(library.helpString, u"VelkanFileSearch ActiveX Control module");
    ASSERT_EQ(library.types.size(), 3U);

    const control::TypeDescription* dispatch = control::FindType(control::DIID__DVelkanFileSearch);
    ASSERT_NE(dispatch, nullptr);
    EXPECT_TRUE(dispatch->hidden);

    const control::TypeDescription* events = control::FindType(control::DIID__DVelkanFileSearchEvents);
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(events->name, u"_DVelkanFileSearchEvents");
    EXPECT_EQ(events->helpString, u"Event interface for VelkanFileSearch Control");
    EXPECT_FALSE(events->hidden);
    ASSERT_EQ(events->members.size(), 3U);
    EXPECT_EQ(events->members[0].name, u"Connect");
    EXPECT_EQ(events->members[0].dispid, control::DISPID_EVENT_CONNECT);
    EXPECT_EQ(events->members[0].parameters, (std::vector<std::u16string>{u"nick", u"folder"}));
    EXPECT_EQ(events->members[1].name, u"Login");
    EXPECT_EQ(events->members[1].dispid, control::DISPID_EVENT_LOGIN);
    EXPECT_EQ(events->members[2].name, u"ChkAdult");
    EXPECT_EQ(events->members[2].dispid, control::DISPID_EVENT_CHKADULT);

    const control::TypeDescription* coclass = control::FindType(control::CLSID_VelkanFileSearch);
    ASSERT_NE(coclass, nullptr);
    EXPECT_EQ(coclass->name, u"VelkanFileSearch");
    EXPECT_EQ(coclass->helpString, u"VelkanFileSearch Control");
    EXPECT_EQ(coclass->kind, control::TypeDescription::Kind::Class);
    EXPECT_TRUE(coclass->creatable);
    EXPECT_TRUE(coclass->control);
    ASSERT_EQ(coclass->interfaces.size(), 2U);
    EXPECT_EQ(coclass->interfaces[0].iid, control::DIID__DVelkanFileSearch);
    EXPECT_TRUE(coclass->interfaces[0].isDefault);
    EXPECT_FALSE(coclass->interfaces[0].isSource);
    EXPECT_EQ(coclass->interfaces[1].iid, control::DIID__DVelkanFileSearchEvents);
    EXPECT_TRUE(coclass->interfaces[1].isDefault);
    EXPECT_TRUE(coclass->interfaces[1].isSource);
    EXPECT_EQ(control::FindType(com::IID_IDispatch), nullptr);
}

} // namespace
