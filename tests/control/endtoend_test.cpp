#include "velkanfilesearch/bstrconvert.h"
#include "velkanfilesearch/comhost.h"
#include "channel/cp949convert.h"
#include "tools/velkan-localnet/network.h"
#include "control/registry/registryfile.h"
#include "tests/control/testsupport.h"
#include "velkanversion.h"

#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <fstream>
#include <sstream>

using namespace velkan;
using com::Bstr;
using com::ComPtr;
using com::Variant;
using test::kWaitMs;

namespace {

const std::filesystem::path kModulePath = VELKAN_MODULE_PATH;
const std::filesystem::path kRegsvrPath = VELKAN_REGSVR_PATH;

using GetClassObjectFunction = com::HRESULT (*)(const com::Guid&, const com::Guid&, void**);
using CanUnloadNowFunction = com::HRESULT (*)();

// The module's own entry points, for what a host never calls directly.
struct ModuleEntryPoints {
    std::shared_ptr<comhost::Module> module = comhost::Module::Load(kModulePath);
    GetClassObjectFunction getClassObject =
        module ? reinterpret_cast<GetClassObjectFunction>(module->Symbol("DllGetClassObject")) : nullptr;
    CanUnloadNowFunction canUnloadNow =
        module ? reinterpret_cast<CanUnloadNowFunction>(module->Symbol("DllCanUnloadNow")) : nullptr;
};

class EndToEndTest : public ::testing::Test {
protected:
    test::ScopedRegistry m_registry;
};

TEST_F(EndToEndTest, HostFindsTheControlThroughTheRegistryAndRunsASearch)
{
    test::RecordingSink sink; // outlives the control, which holds it while advised
    comhost::CreatedObject created;
    EXPECT_FALSE(comhost::IsRegistered(control::kControlProgId));
    EXPECT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created), com::REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(created.object);
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(comhost::CreateByProgId("VELKANFILESEARCH.Unknown.1", com::IID_IDispatch, &created), com::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_IClassFactory, &created), com::E_NOINTERFACE);

    localnet::Network network;
    const std::string nick = cp949::FromUtf8("박영");
    network.AddPeer({.nick = nick, .speed = 150,
                     .files = {{.path = cp949::FromUtf8("C:\\share\\노래.mp3"), .date = "2004-01-02 10:11", .size = 4096}}});
    network.Start();

    ModuleEntryPoints entry;
    ASSERT_NE(entry.canUnloadNow, nullptr);
    {
        ASSERT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_IDispatch, &created), com::S_OK);
        ASSERT_TRUE(created.module);
        EXPECT_EQ(entry.canUnloadNow(), com::S_FALSE);
        com::IDispatch* dispatch = created.As<com::IDispatch>();

        // Automation by name, as a script would.
        const Bstr names[] = {u"param", u"search", u"VelkanSearch"};
        com::DISPID ids[3] = {};
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(dispatch->GetIDsOfNames(&names[i], 1, 0, &ids[i]), com::S_OK);
        }
        ASSERT_EQ(dispatch->Invoke(ids[0], 0, com::DISPATCH_PROPERTYPUT, {com::FromUtf8(test::Param("host"))}, nullptr),
                  com::S_OK);
        ASSERT_EQ(dispatch->Invoke(ids[1], 0, com::DISPATCH_PROPERTYPUT, {Bstr(u"노래")}, nullptr), com::S_OK);

        auto window = test::Query<control::IControlWindow>(dispatch, control::IID_IControlWindow);
        auto access = test::Query<control::IVelkanPanelAccess>(dispatch, control::IID_IVelkanPanelAccess);
        auto container = test::Query<com::IConnectionPointContainer>(dispatch, com::IID_IConnectionPointContainer);
        ASSERT_TRUE(window && access && container);
        ComPtr<com::IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, point.Put()), com::S_OK);
        std::uint32_t cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);

        int idles = 0;
        std::vector<std::string> messages;
        access->SetAppServer("127.0.0.1", network.AppServerPort());
        access->SetIdleHandler([&] { ++idles; });
        access->SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
        QWidget host;
        ASSERT_EQ(window->CreateWindow(&host), com::S_OK);
        ASSERT_EQ(window->SetSize(640, 480), com::S_OK);
        EXPECT_EQ(window->Window()->parentWidget(), &host);
        EXPECT_EQ(window->Window()->geometry(), QRect(0, 0, 640, 480));

        // The stored search ran at once.
        int rows = 0;
        ASSERT_TRUE(QTest::qWaitFor([&] { return idles > 0 && access->RowCount(&rows) == com::S_OK && rows == 2; }, kWaitMs));
        std::vector<std::string> cells;
        for (int row = 0; row < rows; ++row) {
            control::RowView view;
            ASSERT_EQ(access->Row(row, &view), com::S_OK);
            EXPECT_EQ(view.nick, "박영");
            cells.push_back(view.name + "|" + view.size);
        }
        std::sort(cells.begin(), cells.end());
        EXPECT_EQ(cells, (std::vector<std::string>{"C:\\share|[폴더]", "노래.mp3|4KB"}));
        std::string found;
        ASSERT_EQ(access->FoundText(&found), com::S_OK);
        EXPECT_EQ(found, "2 개");

        ASSERT_EQ(access->ConnectToRow(0), com::S_OK);
        ASSERT_EQ(sink.calls.size(), 1U);
        EXPECT_EQ(sink.calls[0].dispid, control::DISPID_EVENT_CONNECT);
        ASSERT_EQ(sink.calls[0].arguments.size(), 2U);
        EXPECT_EQ(sink.calls[0].arguments[0], Variant(Bstr(u"박영")));
        EXPECT_EQ(access->ConnectToRow(rows), com::E_INVALIDARG);
        EXPECT_EQ(messages, std::vector<std::string>{"파일을 선택하세요"});

        // The about box comes from the module too, with its picture.
        test::ModalCloser closer([](QWidget& modal) {
            EXPECT_EQ(modal.windowTitle(), QStringLiteral("About VelkanFileSearch Control"));
            bool picture = false;
            for (const QLabel* label : modal.findChildren<QLabel*>()) {
                picture = picture || !label->pixmap().isNull();
            }
            EXPECT_TRUE(picture);
        });
        EXPECT_EQ(dispatch->Invoke(com::DISPID_ABOUTBOX, 0, com::DISPATCH_METHOD, {}, nullptr), com::S_OK);
        EXPECT_EQ(closer.Seen(), 1);

        ASSERT_EQ(window->DestroyWindow(), com::S_OK);
        EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
        EXPECT_EQ(point->Unadvise(cookie), com::S_OK);
        EXPECT_EQ(sink.references, 0U);
        created = {};
        EXPECT_EQ(entry.canUnloadNow(), com::S_FALSE); // the interfaces above are still held
    }
    EXPECT_EQ(entry.canUnloadNow(), com::S_OK);
    network.Stop();
}

TEST_F(EndToEndTest, PropertyPageComesFromTheClassIdentifierTheControlNames)
{
    comhost::CreatedObject created;
    EXPECT_EQ(comhost::CreateByClsid(control::CLSID_VelkanFileSearchPropPage, control::IID_IPropertyPageWindow, &created),
              com::REGDB_E_CLASSNOTREG);
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    EXPECT_EQ(comhost::CreateByClsid(com::IID_IDispatch, com::IID_IUnknown, &created), com::REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(created.object);

    // As a container does: the control names its pages, each is made from its identifier.
    ASSERT_EQ(comhost::CreateByProgId(control::kControlProgId, com::IID_ISpecifyPropertyPages, &created), com::S_OK);
    std::vector<com::Guid> pages;
    ASSERT_EQ(created.As<com::ISpecifyPropertyPages>()->GetPages(&pages), com::S_OK);
    ASSERT_EQ(pages.size(), 1U);
    EXPECT_EQ(comhost::CreateByClsid(pages[0], com::IID_IDispatch, &created), com::E_NOINTERFACE);
    ASSERT_EQ(comhost::CreateByClsid(pages[0], control::IID_IPropertyPageWindow, &created), com::S_OK);
    ASSERT_TRUE(created.module);
    QWidget sheet;
    QWidget* page = created.As<control::IPropertyPageWindow>()->CreatePage(&sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("General"));
    EXPECT_EQ(page->findChildren<QLabel*>().size(), 1);
}

TEST_F(EndToEndTest, ClassFactoriesAndTheUnloadAnswer)
{
    ModuleEntryPoints entry;
    ASSERT_NE(entry.getClassObject, nullptr);
    ASSERT_EQ(entry.canUnloadNow(), com::S_OK);

    void* object = &entry;
    EXPECT_EQ(entry.getClassObject(com::IID_IDispatch, com::IID_IClassFactory, &object), com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(entry.getClassObject(control::CLSID_VelkanFileSearch, com::IID_IDispatch, &object), com::E_NOINTERFACE);
    EXPECT_EQ(entry.canUnloadNow(), com::S_OK);

    for (const com::Guid& clsid : {control::CLSID_VelkanFileSearch, control::CLSID_VelkanFileSearchPropPage}) {
        SCOPED_TRACE(clsid.ToString());
        ComPtr<com::IClassFactory> factory;
        ASSERT_EQ(entry.getClassObject(clsid, com::IID_IClassFactory, factory.PutVoid()), com::S_OK);
        EXPECT_EQ(entry.canUnloadNow(), com::S_FALSE);
        test::RecordingSink outer;
        ComPtr<com::IUnknown> made;
        EXPECT_EQ(factory->CreateInstance(&outer, com::IID_IUnknown, made.PutVoid()), com::CLASS_E_NOAGGREGATION);
        EXPECT_FALSE(made);
        EXPECT_EQ(factory->CreateInstance(nullptr, com::IID_IClassFactory, made.PutVoid()), com::E_NOINTERFACE);
        ASSERT_EQ(factory->CreateInstance(nullptr, com::IID_IUnknown, made.PutVoid()), com::S_OK);

        // A lock keeps the module in use after every object is gone.
        ASSERT_EQ(factory->LockServer(true), com::S_OK);
        made.Reset();
        factory.Reset();
        EXPECT_EQ(entry.canUnloadNow(), com::S_FALSE);
        ASSERT_EQ(entry.getClassObject(clsid, com::IID_IUnknown, factory.PutVoid()), com::S_OK);
        auto unlocking = test::Query<com::IClassFactory>(factory.Get(), com::IID_IClassFactory);
        ASSERT_EQ(unlocking->LockServer(false), com::S_OK);
        unlocking.Reset();
        factory.Reset();
        EXPECT_EQ(entry.canUnloadNow(), com::S_OK);
    }
}

// ---- velkan-regsvr ----

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProgramRun RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted(kWaitMs));
    EXPECT_TRUE(process.waitForFinished(kWaitMs * 3));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

ProgramRun RunRegsvr(const QStringList& arguments)
{
    return RunProgram(QString::fromStdString(kRegsvrPath.string()), arguments);
}

// A loadable library that is not a control module: the one Qt's core lives in.
std::string QtCoreLibrary()
{
    Dl_info info{};
    EXPECT_NE(::dladdr(reinterpret_cast<void*>(&qVersion), &info), 0);
    return info.dli_fname;
}

class RegsvrTest : public EndToEndTest {
protected:
    const QString m_module = QString::fromStdString(kModulePath.string());
    const std::string m_shown = std::filesystem::absolute(kModulePath).lexically_normal().string();
};

TEST_F(RegsvrTest, RegistersAndUnregistersAndSaysSo)
{
    ProgramRun run = RunRegsvr({m_module});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "DllRegisterServer in " + m_shown + " succeeded.\n");
    EXPECT_TRUE(comhost::IsRegistered(control::kControlProgId));

    run = RunRegsvr({QStringLiteral("-u"), m_module});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "DllUnregisterServer in " + m_shown + " succeeded.\n");
    EXPECT_FALSE(comhost::IsRegistered(control::kControlProgId));
}

TEST_F(RegsvrTest, BadUsageAndModulesThatCannotBeCalled)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        std::string message;
    };
    const QString missing = QString::fromStdString((m_registry.Directory() / "missing.so").string());
    const std::vector<Case> cases = {
        {{}, 2, "usage: velkan-regsvr [-u] MODULE"},
        {{QStringLiteral("-u")}, 2, "usage:"},
        {{m_module, m_module}, 2, "usage:"},
        {{QStringLiteral("-x"), m_module}, 2, "usage:"},
        {{QStringLiteral("-u"), QStringLiteral("-u"), m_module}, 2, "usage:"},
        {{missing}, 1, "velkan-regsvr: cannot load " + missing.toStdString()},
        {{QString::fromStdString(QtCoreLibrary())}, 1, "has no entry point DllRegisterServer"},
        {{QStringLiteral("-u"), QString::fromStdString(QtCoreLibrary())}, 1, "has no entry point DllUnregisterServer"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = RunRegsvr(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(m_registry.Path()));
}

TEST_F(RegsvrTest, PrintsTheModulesVersionAndItsOwn)
{
    ProgramRun run = RunRegsvr({QStringLiteral("--module-version"), m_module});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "FixedFileVersion: 1.8.1.0\n"
                       "FixedProductVersion: 1.8.1.0\n"
                       "Language: 040904b0\n"
                       "FileVersion: 1, 8, 1, 0\n"
                       "ProductVersion: 1, 8, 1, 0\n"
                       "FileDescription: VelkanFileSearch ActiveX Control Module\n"
                       "ProductName: VelkanFileSearch ActiveX Control Module\n"
                       "InternalName: VelkanFileSearch\n"
                       "OriginalFilename: VelkanFileSearch.OCX\n");
    EXPECT_EQ(run.err, "");
    // Reading registers nothing.
    EXPECT_FALSE(std::filesystem::exists(m_registry.Path()));

    run = RunRegsvr({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "velkan-regsvr " + std::string(version::kProjectVersion) + "\n");

    const std::filesystem::path text = m_registry.Directory() / "notes.txt";
    std::ofstream(text) << "hi\n";
    run = RunRegsvr({QStringLiteral("--module-version"), QString::fromStdString(text.string())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velkan-regsvr: cannot read the version information of " + text.string() + ": not an ELF file\n");

    for (const QStringList& wrong : {QStringList{QStringLiteral("--module-version")},
                                     QStringList{QStringLiteral("--version"), m_module}}) {
        run = RunRegsvr(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(u' ').toStdString();
        EXPECT_NE(run.err.find("usage: velkan-regsvr [-u] MODULE"), std::string::npos) << run.err;
    }
}

TEST_F(RegsvrTest, SaysOnceWhyAStepFailed)
{
    // The type library step cannot save below a regular file.
    const std::filesystem::path blocker = m_registry.Directory() / "plain-file";
    std::ofstream(blocker) << "x";
    test::ScopedRegistry::Point(blocker / "registry.reg");
    ProgramRun run = RunRegsvr({m_module});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "velkan-regsvr: DllRegisterServer in " + m_shown + " failed: cannot write " +
                           (blocker / "registry.reg").string() + ": cannot create " + blocker.string() +
                           ": Not a directory\n");

    // With the type library already filed, only the class step writes; a file-size limit too
    // small for its file fails that write alone.
    test::ScopedRegistry::Point(m_registry.Path());
    ASSERT_EQ(comhost::RegisterModule(kModulePath), com::S_OK);
    {
        std::optional<registry::RegistryFile> file = registry::RegistryFile::Load(m_registry.Path());
        ASSERT_TRUE(file);
        file->RemoveKey(registry::ClassesRootKey(control::kControlProgId));
        file->RemoveKey(registry::ClassesRootKey("CLSID"));
        ASSERT_TRUE(file->Save(m_registry.Path()));
        ASSERT_LT(std::filesystem::file_size(m_registry.Path()), 512U);
    }
    const std::string before = [&] {
        std::ifstream in(m_registry.Path());
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }();
    // The tool is not ended by the limit's signal: the write fails, and the module's reason is
    // what the tool says, although a trial write of the file as it stands would fit.
    run = RunProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("ulimit -f 1 && exec \"$0\" \"$1\""),
                                                 QString::fromStdString(kRegsvrPath.string()), m_module});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(run.err, "velkan-regsvr: DllRegisterServer in " + m_shown + " failed: cannot write " +
                           m_registry.Path().string() + ": File too large\n");
    std::ifstream in(m_registry.Path());
    std::ostringstream after;
    after << in.rdbuf();
    EXPECT_EQ(after.str(), before);
    EXPECT_FALSE(comhost::IsRegistered(control::kControlProgId));
    // No temporary file is left beside it.
    EXPECT_EQ(test::FileNames(m_registry.Directory()),
              (std::set<std::string>{"registry.reg", "registry.reg.lock", "plain-file"}));
}

} // namespace
