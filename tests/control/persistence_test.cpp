#include "velkanfilesearch/bstrconvert.h"
#include "velkanfilesearch/comhost.h"
#include "channel/cp949convert.h"
#include "ui/searchpanel.h"
#include "tests/control/testsupport.h"
#include "control/module/velkanfilesearchctrl.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>

using namespace velkan;
using com::Bstr;
using comhost::MemoryPropertyBag;
using control::CVelkanFileSearchCtrl;

namespace {

using Values = std::map<com::DISPID, std::string>; // UTF-8

class PersistenceTest : public ::testing::Test {
protected:
    void SetAll(const Values& values)
    {
        for (const auto& [dispid, text] : values) {
            m_control->SetProperty(dispid, cp949::FromUtf8(text));
        }
    }
    Values All() const
    {
        Values values;
        for (const com::DISPID dispid : {control::DISPID_PARAM, control::DISPID_SEARCH, control::DISPID_BANWORD,
                                         control::DISPID_SEARCHBANWORD, control::DISPID_REPLACEPARAM}) {
            values[dispid] = cp949::ToUtf8(m_control->GetProperty(dispid));
        }
        return values;
    }
    static int Himetric(int pixels) { return static_cast<int>(std::lround(pixels * 2540.0 / 96.0)); }

    test::ScopedRegistry m_registry;
    com::ComPtr<CVelkanFileSearchCtrl> m_control = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
};

const Values kStart = {{control::DISPID_PARAM, "p0"},
                       {control::DISPID_SEARCH, "s0"},
                       {control::DISPID_BANWORD, "b0"},
                       {control::DISPID_SEARCHBANWORD, "sb0"},
                       {control::DISPID_REPLACEPARAM, "r0"}};

TEST_F(PersistenceTest, LoadTakesTheNamesTheBagHoldsAndKeepsTheRest)
{
    struct Case {
        const char* what;
        std::map<std::u16string, Bstr> bag;
        Values expected;
    };
    const std::vector<Case> cases = {
        {"empty bag", {}, kStart},
        {"all five",
         {{u"param", u"파라미터"}, {u"search", u"노래"}, {u"banWord", u"b1"}, {u"bansearch", u"*금지,어"}, {u"replaceParam", u"azb"}},
         {{control::DISPID_PARAM, "파라미터"},
          {control::DISPID_SEARCH, "노래"},
          {control::DISPID_BANWORD, "b1"},
          {control::DISPID_SEARCHBANWORD, "*금지,어"},
          {control::DISPID_REPLACEPARAM, "azb"}}},
        // The property's own name is not what pages use: only bansearch reaches SearchBanWord.
        {"SearchBanWord by its property name",
         {{u"SearchBanWord", u"ignored"}, {u"search", u""}},
         {{control::DISPID_PARAM, "p0"},
          {control::DISPID_SEARCH, ""},
          {control::DISPID_BANWORD, "b0"},
          {control::DISPID_SEARCHBANWORD, "sb0"},
          {control::DISPID_REPLACEPARAM, "r0"}}},
        {"bansearch only",
         {{u"bansearch", u"x"}, {u"_Version", u"65536"}},
         {{control::DISPID_PARAM, "p0"},
          {control::DISPID_SEARCH, "s0"},
          {control::DISPID_BANWORD, "b0"},
          {control::DISPID_SEARCHBANWORD, "x"},
          {control::DISPID_REPLACEPARAM, "r0"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetAll(kStart);
        ASSERT_EQ(m_control->IsDirty(), com::S_OK);
        MemoryPropertyBag bag;
        bag.values = c.bag;
        ASSERT_EQ(m_control->Load(&bag), com::S_OK);
        EXPECT_EQ(All(), c.expected);
        EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
    }
}

TEST_F(PersistenceTest, SaveWritesTheNineNames)
{
    SetAll({{control::DISPID_PARAM, "파라미터"},
            {control::DISPID_SEARCH, "노래"},
            {control::DISPID_BANWORD, "b"},
            {control::DISPID_SEARCHBANWORD, "*금지"},
            {control::DISPID_REPLACEPARAM, "z"}});
    MemoryPropertyBag bag;
    ASSERT_EQ(m_control->Save(&bag, false, true), com::S_OK);
    EXPECT_EQ(m_control->IsDirty(), com::S_OK);

    // Without a window the extent is the panel template's.
    const QSize templateSize = ui::SearchPanel().TemplateSize();
    const std::map<std::u16string, Bstr> expected = {
        {u"_Version", u"65536"},
        {u"_ExtentX", com::FromUtf8(std::to_string(Himetric(templateSize.width())))},
        {u"_ExtentY", com::FromUtf8(std::to_string(Himetric(templateSize.height())))},
        {u"_StockProps", u"0"},
        {u"param", u"파라미터"},
        {u"search", u"노래"},
        {u"banWord", u"b"},
        {u"bansearch", u"*금지"},
        {u"replaceParam", u"z"},
    };
    EXPECT_EQ(bag.values, expected);

    MemoryPropertyBag again;
    ASSERT_EQ(m_control->Save(&again, true, false), com::S_OK);
    EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
    EXPECT_EQ(again.values, expected);
}

TEST_F(PersistenceTest, ExtentFollowsTheSizeTheHostGave)
{
    QWidget host;
    ASSERT_EQ(m_control->CreateWindow(&host), com::S_OK);
    ASSERT_EQ(m_control->SetSize(800, 600), com::S_OK);
    MemoryPropertyBag bag;
    ASSERT_EQ(m_control->Save(&bag, true, false), com::S_OK);
    EXPECT_EQ(bag.values[u"_ExtentX"], com::FromUtf8(std::to_string(Himetric(800))));
    EXPECT_EQ(bag.values[u"_ExtentY"], com::FromUtf8(std::to_string(Himetric(600))));
}

TEST_F(PersistenceTest, StoredExtentComesBackAsItWasWithoutAWindow)
{
    for (const auto& [x, y] : {std::pair<Bstr, Bstr>{u"12345", u"678"}, {u"2147483647", u"1"}, {u"26", u"26"}}) {
        SCOPED_TRACE(com::ToUtf8(x + u" x " + y));
        auto control = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
        MemoryPropertyBag stored;
        stored.values = {{u"_ExtentX", x}, {u"_ExtentY", y}, {u"search", u"노래"}};
        ASSERT_EQ(control->Load(&stored), com::S_OK);
        MemoryPropertyBag saved;
        ASSERT_EQ(control->Save(&saved, true, false), com::S_OK);
        EXPECT_EQ(saved.values[u"_ExtentX"], x);
        EXPECT_EQ(saved.values[u"_ExtentY"], y);

        // And again through a second control, as a page saved and opened twice.
        auto again = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
        ASSERT_EQ(again->Load(&saved), com::S_OK);
        MemoryPropertyBag resaved;
        ASSERT_EQ(again->Save(&resaved, true, false), com::S_OK);
        EXPECT_EQ(resaved.values, saved.values);
    }
}

TEST_F(PersistenceTest, InvalidStoredExtentIsNeverTaken)
{
    const QSize templateSize = ui::SearchPanel().TemplateSize();
    const std::pair<Bstr, Bstr> templateExtent = {com::FromUtf8(std::to_string(Himetric(templateSize.width()))),
                                                  com::FromUtf8(std::to_string(Himetric(templateSize.height())))};
    struct Case {
        const char* what;
        std::optional<Bstr> x;
        std::optional<Bstr> y;
    };
    const Case cases[] = {
        {"what a window-less save used to write", u"-26", u"-26"},
        {"negative", u"-1", u"500"},
        {"zero width", u"0", u"500"},
        {"zero height", u"500", u"0"},
        {"words", u"abc", u"500"},
        {"trailing garbage", u"12x", u"500"},
        {"empty", u"", u"500"},
        {"leading space", u" 12", u"500"},
        {"plus sign", u"+12", u"500"},
        {"fraction", u"1.5", u"500"},
        {"full-width digits", u"１２", u"500"},
        {"one past 32 bits", u"2147483648", u"500"},
        {"far past 64 bits", u"99999999999999999999999", u"500"},
        {"width only", u"500", std::nullopt},
        {"height only", std::nullopt, u"500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryPropertyBag invalid;
        if (c.x) {
            invalid.values[u"_ExtentX"] = *c.x;
        }
        if (c.y) {
            invalid.values[u"_ExtentY"] = *c.y;
        }
        // A control that knew nothing still writes the template's extent.
        auto fresh = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
        ASSERT_EQ(fresh->Load(&invalid), com::S_OK);
        MemoryPropertyBag saved;
        ASSERT_EQ(fresh->Save(&saved, true, false), com::S_OK);
        EXPECT_EQ(std::pair(saved.values[u"_ExtentX"], saved.values[u"_ExtentY"]), templateExtent);

        // A control that had a valid extent keeps it.
        auto sized = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
        MemoryPropertyBag valid;
        valid.values = {{u"_ExtentX", u"1000"}, {u"_ExtentY", u"2000"}};
        ASSERT_EQ(sized->Load(&valid), com::S_OK);
        ASSERT_EQ(sized->Load(&invalid), com::S_OK);
        ASSERT_EQ(sized->Save(&saved, true, false), com::S_OK);
        EXPECT_EQ(saved.values[u"_ExtentX"], u"1000");
        EXPECT_EQ(saved.values[u"_ExtentY"], u"2000");
    }
}

TEST_F(PersistenceTest, ExtentIsWhatTheHostLastGave)
{
    using Extent = std::pair<std::string, std::string>;
    const auto saved = [&] {
        MemoryPropertyBag bag;
        EXPECT_EQ(m_control->Save(&bag, true, false), com::S_OK);
        return std::pair(com::ToUtf8(bag.values[u"_ExtentX"]), com::ToUtf8(bag.values[u"_ExtentY"]));
    };
    QWidget host;
    ASSERT_EQ(m_control->CreateWindow(&host), com::S_OK);
    ASSERT_EQ(m_control->SetSize(96, 48), com::S_OK);
    EXPECT_EQ(saved(), Extent("2540", "1270"));

    // A loaded set is the host's word too, until it sizes the window again.
    MemoryPropertyBag stored;
    stored.values = {{u"_ExtentX", u"5000"}, {u"_ExtentY", u"4000"}};
    ASSERT_EQ(m_control->Load(&stored), com::S_OK);
    EXPECT_EQ(saved(), Extent("5000", "4000"));

    // Sizes that cannot be recorded leave it alone.
    for (const QSize size : {QSize(0, 300), QSize(300, 0), QSize(0, 0), QSize(100'000'000, 300)}) {
        ASSERT_EQ(m_control->SetSize(size.width(), size.height()), com::S_OK);
        EXPECT_EQ(saved(), Extent("5000", "4000")) << size.width() << "x" << size.height();
    }
    // The largest width that fits, and one pixel more.
    ASSERT_EQ(m_control->SetSize(81'164'736, 1), com::S_OK);
    EXPECT_EQ(saved(), Extent("2147483640", "26"));
    ASSERT_EQ(m_control->SetSize(81'164'737, 2), com::S_OK);
    EXPECT_EQ(saved(), Extent("2147483640", "26"));

    ASSERT_EQ(m_control->SetSize(1, 2), com::S_OK);
    ASSERT_EQ(m_control->DestroyWindow(), com::S_OK);
    EXPECT_EQ(saved(), Extent("26", "53"));
}

TEST_F(PersistenceTest, InitNewKeepsThePropertiesAndClearsTheFlag)
{
    SetAll(kStart);
    ASSERT_EQ(m_control->InitNew(), com::S_OK);
    m_control->OnResetState();
    EXPECT_EQ(All(), kStart);
    EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
}

TEST_F(PersistenceTest, SavedPropertySetLoadsIntoAnotherControl)
{
    SetAll({{control::DISPID_PARAM, "line1\nline2\\x"},
            {control::DISPID_SEARCH, "노래 = 좋아"},
            {control::DISPID_BANWORD, "\r"},
            {control::DISPID_SEARCHBANWORD, "sb"},
            {control::DISPID_REPLACEPARAM, ""}});
    MemoryPropertyBag saved;
    ASSERT_EQ(m_control->Save(&saved, true, false), com::S_OK);
    const std::filesystem::path file = m_registry.Directory() / "control.properties";
    std::string error;
    ASSERT_TRUE(comhost::SavePropertySet(file, saved, &error)) << error;

    MemoryPropertyBag loaded;
    ASSERT_TRUE(comhost::LoadPropertySet(file, loaded, &error)) << error;
    EXPECT_EQ(loaded.values, saved.values);
    auto other = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
    ASSERT_EQ(other->Load(&loaded), com::S_OK);
    for (const auto& [dispid, text] : All()) {
        EXPECT_EQ(cp949::ToUtf8(other->GetProperty(dispid)), text) << dispid;
    }
}

class FailingBag final : public com::IPropertyBag {
public:
    com::HRESULT Read(const std::u16string&, Bstr*) override { return com::E_FAIL; }
    com::HRESULT Write(const std::u16string& name, const Bstr&) override
    {
        written.push_back(name);
        return name == u"search" ? com::E_UNEXPECTED : com::S_OK;
    }
    std::vector<std::u16string> written;
};

TEST_F(PersistenceTest, FailuresOfTheBagKeepValuesAndTheFlag)
{
    SetAll(kStart);
    FailingBag bag;
    EXPECT_EQ(m_control->Load(&bag), com::S_OK);
    EXPECT_EQ(All(), kStart);
    m_control->SetModifiedFlag(true);
    EXPECT_EQ(m_control->Save(&bag, true, false), com::E_UNEXPECTED);
    EXPECT_EQ(m_control->IsDirty(), com::S_OK); // a failed save does not clear it
    EXPECT_EQ(bag.written.size(), 9U);
    EXPECT_EQ(m_control->Load(nullptr), com::E_POINTER);
    EXPECT_EQ(m_control->Save(nullptr, true, false), com::E_POINTER);
}

} // namespace
