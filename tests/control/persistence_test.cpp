#include "bstrconvert.h"
#include "comhost.h"
#include "cp949convert.h"
#include "searchpanel.h"
#include "testsupport.h"
#include "velkanfilesearchctrl.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <map>

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
