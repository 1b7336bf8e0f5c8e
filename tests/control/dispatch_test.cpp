#include "tests/control/argumenttexts.h"
#include "velkanfilesearch/bstrconvert.h"
#include "channel/cp949convert.h"
#include "velkanfilesearch/singleinterfaceobject.h"
#include "tests/control/testsupport.h"
#include "control/module/velkanfilesearchctrl.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velkan;
using com::Bstr;
using com::Variant;
using control::CVelkanFileSearchCtrl;

namespace {

class DispatchTest : public ::testing::Test {
protected:
    com::HRESULT Put(com::DISPID dispid, Variant value)
    {
        return m_control->Invoke(dispid, 0, com::DISPATCH_PROPERTYPUT, {std::move(value)}, nullptr);
    }
    Variant Get(com::DISPID dispid, std::uint16_t flags = com::DISPATCH_PROPERTYGET)
    {
        Variant result;
        EXPECT_EQ(m_control->Invoke(dispid, 0, flags, {}, &result), com::S_OK);
        return result;
    }

    test::ScopedRegistry m_registry;
    com::ComPtr<CVelkanFileSearchCtrl> m_control = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
};

constexpr com::DISPID kProperties[] = {control::DISPID_PARAM, control::DISPID_SEARCH, control::DISPID_BANWORD,
                                       control::DISPID_SEARCHBANWORD, control::DISPID_REPLACEPARAM};

TEST_F(DispatchTest, EachPropertyKeepsItsValueAsCp949)
{
    for (const com::DISPID dispid : kProperties) {
        SCOPED_TRACE(dispid);
        const Bstr value = u"검색 " + com::FromUtf8(std::to_string(dispid));
        ASSERT_EQ(Put(dispid, value), com::S_OK);
        EXPECT_EQ(m_control->GetProperty(dispid), cp949::FromUtf8("검색 " + std::to_string(dispid)));
        EXPECT_EQ(Get(dispid), Variant(value));
        // Script engines read with the method flag as well.
        EXPECT_EQ(Get(dispid, com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET), Variant(value));
    }
    // Every put went to its own property.
    for (const com::DISPID dispid : kProperties) {
        EXPECT_EQ(m_control->GetProperty(dispid), cp949::FromUtf8("검색 " + std::to_string(dispid)));
    }
}

TEST_F(DispatchTest, CharactersCp949LacksBecomeQuestionMarks)
{
    // U+1F600 (a surrogate pair), Thai and an unpaired surrogate.
    ASSERT_EQ(Put(control::DISPID_SEARCH, Bstr(u"a\U0001F600b\u0E01c") + char16_t(0xD800)), com::S_OK);
    EXPECT_EQ(m_control->GetProperty(control::DISPID_SEARCH), "a?b?c?");
    EXPECT_EQ(Get(control::DISPID_SEARCH), Variant(Bstr(u"a?b?c?")));
}

TEST_F(DispatchTest, EveryPutMarksTheControlModifiedEvenWithTheSameValue)
{
    EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
    ASSERT_EQ(Put(control::DISPID_PARAM, Bstr(u"p")), com::S_OK);
    EXPECT_EQ(m_control->IsDirty(), com::S_OK);

    m_control->SetModifiedFlag(false);
    ASSERT_EQ(Put(control::DISPID_PARAM, Bstr(u"p")), com::S_OK);
    EXPECT_EQ(m_control->IsDirty(), com::S_OK);

    // A get or a refused put leaves the flag alone.
    m_control->SetModifiedFlag(false);
    Get(control::DISPID_PARAM);
    EXPECT_EQ(Put(control::DISPID_PARAM, com::Null{}), com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
    EXPECT_EQ(m_control->GetProperty(control::DISPID_PARAM), "p");
}

TEST_F(DispatchTest, PropertyWritesTakeAnyArgumentAsText)
{
    for (const com::DISPID dispid : {control::DISPID_SEARCH, control::DISPID_REPLACEPARAM}) {
        for (const test::ArgumentText& c : test::ArgumentTexts()) {
            SCOPED_TRACE(std::string(c.what) + " into " + std::to_string(dispid));
            m_control->SetProperty(dispid, "before");
            m_control->SetModifiedFlag(false);
            if (!c.text) {
                EXPECT_EQ(Put(dispid, c.value), com::DISP_E_TYPEMISMATCH);
                EXPECT_EQ(m_control->GetProperty(dispid), "before");
                EXPECT_EQ(m_control->IsDirty(), com::S_FALSE);
                continue;
            }
            ASSERT_EQ(Put(dispid, c.value), com::S_OK);
            EXPECT_EQ(m_control->GetProperty(dispid), cp949::FromUtf8(c.held));
            EXPECT_EQ(m_control->IsDirty(), com::S_OK);
            // Reads give text whatever was written.
            EXPECT_EQ(Get(dispid), Variant(com::FromUtf8(c.held)));
        }
    }
}

TEST_F(DispatchTest, NamesFindTheirIdentifiersWithoutRegardToCase)
{
    const std::pair<Bstr, com::DISPID> names[] = {
        {u"param", 1}, {u"SEARCH", 2}, {u"BanWord", 3}, {u"searchbanword", 4}, {u"REPLACEPARAM", 5},
        {u"velkanSearch", 6}, {u"StopSearch", 7}, {u"aboutbox", com::DISPID_ABOUTBOX},
    };
    for (const auto& [name, expected] : names) {
        com::DISPID id = 0;
        EXPECT_EQ(m_control->GetIDsOfNames(&name, 1, 0, &id), com::S_OK);
        EXPECT_EQ(id, expected) << com::ToUtf8(name);
    }

    // Later names are the member's parameters.
    const Bstr withParameter[] = {u"VelkanSearch", u"TEXT"};
    com::DISPID ids[2] = {0, 0};
    EXPECT_EQ(m_control->GetIDsOfNames(withParameter, 2, 0, ids), com::S_OK);
    EXPECT_EQ(ids[0], control::DISPID_VELKANSEARCH);
    EXPECT_EQ(ids[1], 0);

    const Bstr unknownParameter[] = {u"VelkanSearch", u"query"};
    EXPECT_EQ(m_control->GetIDsOfNames(unknownParameter, 2, 0, ids), com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], control::DISPID_VELKANSEARCH);
    EXPECT_EQ(ids[1], -1);

    // Events and C++ seams are no members of the dispatch interface.
    for (const Bstr& name : {Bstr(u"Connect"), Bstr(u"SetAppServer"), Bstr(u"bansearch"), Bstr()}) {
        com::DISPID id = 0;
        EXPECT_EQ(m_control->GetIDsOfNames(&name, 1, 0, &id), com::DISP_E_UNKNOWNNAME) << com::ToUtf8(name);
        EXPECT_EQ(id, -1);
    }
}

TEST_F(DispatchTest, InvokeChecksMemberFlagsCountAndTypes)
{
    using com::DISPATCH_METHOD;
    using com::DISPATCH_PROPERTYGET;
    using com::DISPATCH_PROPERTYPUT;
    struct Case {
        const char* what;
        com::DISPID member;
        std::uint16_t flags;
        std::vector<Variant> arguments;
        com::HRESULT expected;
    };
    const Bstr text = u"x";
    const std::vector<Case> cases = {
        {"unknown member", 99, DISPATCH_METHOD, {}, com::DISP_E_MEMBERNOTFOUND},
        {"event identifier", 0, DISPATCH_METHOD, {}, com::DISP_E_MEMBERNOTFOUND},
        {"put without a value", control::DISPID_SEARCH, DISPATCH_PROPERTYPUT, {}, com::DISP_E_BADPARAMCOUNT},
        {"put with two values", control::DISPID_SEARCH, DISPATCH_PROPERTYPUT, {text, text}, com::DISP_E_BADPARAMCOUNT},
        {"put of null", control::DISPID_SEARCH, DISPATCH_PROPERTYPUT, {com::Null{}}, com::DISP_E_TYPEMISMATCH},
        {"put of infinity", control::DISPID_PARAM, DISPATCH_PROPERTYPUT, {HUGE_VAL}, com::DISP_E_TYPEMISMATCH},
        {"get with an argument", control::DISPID_PARAM, DISPATCH_PROPERTYGET, {text}, com::DISP_E_BADPARAMCOUNT},
        {"property without flags", control::DISPID_PARAM, 0, {}, com::DISP_E_MEMBERNOTFOUND},
        {"method read as a property", control::DISPID_STOPSEARCH, DISPATCH_PROPERTYGET, {}, com::DISP_E_MEMBERNOTFOUND},
        {"method put", control::DISPID_VELKANSEARCH, DISPATCH_PROPERTYPUT, {text}, com::DISP_E_MEMBERNOTFOUND},
        {"search without text", control::DISPID_VELKANSEARCH, DISPATCH_METHOD, {}, com::DISP_E_BADPARAMCOUNT},
        {"search with null", control::DISPID_VELKANSEARCH, DISPATCH_METHOD, {com::Null{}}, com::DISP_E_TYPEMISMATCH},
        {"stop with an argument", control::DISPID_STOPSEARCH, DISPATCH_METHOD, {text}, com::DISP_E_BADPARAMCOUNT},
        {"about box with an argument", com::DISPID_ABOUTBOX, DISPATCH_METHOD, {text}, com::DISP_E_BADPARAMCOUNT},
        {"search", control::DISPID_VELKANSEARCH, DISPATCH_METHOD, {text}, com::S_OK},
        {"stop", control::DISPID_STOPSEARCH, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, com::S_OK},
        {"put", control::DISPID_BANWORD, DISPATCH_PROPERTYPUT, {text}, com::S_OK},
    };
    for (const Case& c : cases) {
        Variant result = std::int32_t{-1};
        EXPECT_EQ(m_control->Invoke(c.member, 0, c.flags, c.arguments, &result), c.expected) << c.what;
        if (c.expected == com::S_OK && c.flags == DISPATCH_METHOD) {
            EXPECT_EQ(result, Variant()) << c.what;
        }
    }
    // Only the one accepted put changed a property.
    for (const com::DISPID dispid : kProperties) {
        EXPECT_EQ(m_control->GetProperty(dispid), dispid == control::DISPID_BANWORD ? "x" : "") << dispid;
    }
}

TEST_F(DispatchTest, QueryInterfaceAnswersEachInterfaceWithOneIdentity)
{
    const com::Guid supported[] = {com::IID_IUnknown,
                                   com::IID_IDispatch,
                                   control::DIID__DVelkanFileSearch,
                                   com::IID_IConnectionPointContainer,
                                   com::IID_IPersistPropertyBag,
                                   com::IID_IObjectSafety,
                                   com::IID_ISpecifyPropertyPages,
                                   control::IID_IControlWindow,
                                   control::IID_IVelkanPanelAccess};
    void* identity = nullptr;
    ASSERT_EQ(m_control->QueryInterface(com::IID_IUnknown, &identity), com::S_OK);
    for (const com::Guid& iid : supported) {
        void* object = nullptr;
        ASSERT_EQ(m_control->QueryInterface(iid, &object), com::S_OK) << iid.ToString();
        ASSERT_NE(object, nullptr);
        auto* unknown = static_cast<com::IUnknown*>(object);
        void* back = nullptr;
        EXPECT_EQ(unknown->QueryInterface(com::IID_IUnknown, &back), com::S_OK);
        EXPECT_EQ(back, identity) << iid.ToString();
        static_cast<com::IUnknown*>(back)->Release();
        unknown->Release();
    }
    static_cast<com::IUnknown*>(identity)->Release();

    for (const com::Guid& iid : {com::IID_IClassFactory, com::IID_IConnectionPoint, control::IID_IPropertyPageWindow,
                                 control::DIID__DVelkanFileSearchEvents}) {
        void* object = &identity;
        EXPECT_EQ(m_control->QueryInterface(iid, &object), com::E_NOINTERFACE) << iid.ToString();
        EXPECT_EQ(object, nullptr);
    }
    // Every reference taken above went back.
    EXPECT_EQ(m_control->AddRef(), 2U);
    EXPECT_EQ(m_control->Release(), 1U);
}

TEST_F(DispatchTest, SafetyOptionsAreAlwaysBothOn)
{
    struct GetCase {
        com::Guid iid;
        com::HRESULT expected;
    };
    for (const GetCase& c : {GetCase{com::IID_IDispatch, com::S_OK}, GetCase{com::IID_IPersistPropertyBag, com::S_OK},
                             GetCase{com::IID_IClassFactory, com::E_NOINTERFACE},
                             GetCase{control::IID_IPropertyPageWindow, com::E_NOINTERFACE}}) {
        std::uint32_t supported = 0;
        std::uint32_t enabled = 0;
        EXPECT_EQ(m_control->GetInterfaceSafetyOptions(c.iid, &supported, &enabled), c.expected) << c.iid.ToString();
        // Filled in even for an interface the control lacks.
        EXPECT_EQ(supported, 3U);
        EXPECT_EQ(enabled, 3U);
    }

    struct SetCase {
        com::Guid iid;
        std::uint32_t mask;
        std::uint32_t enabled;
        com::HRESULT expected;
    };
    const SetCase cases[] = {
        {com::IID_IDispatch, 3, 3, com::S_OK},
        {com::IID_IDispatch, 3, 1, com::E_FAIL},
        {com::IID_IDispatch, 3, 0, com::E_FAIL},
        {com::IID_IDispatch, 1, 1, com::S_OK},
        {com::IID_IDispatch, 2, 3, com::S_OK},
        {com::IID_IDispatch, 0, 0, com::S_OK},
        {com::IID_IDispatch, 4, 4, com::E_FAIL},
        {com::IID_IDispatch, 7, 7, com::E_FAIL},
        {com::IID_IPersistPropertyBag, 2, 2, com::S_OK},
        {com::IID_IClassFactory, 3, 3, com::E_NOINTERFACE},
        {com::IID_IClassFactory, 4, 0, com::E_NOINTERFACE},
    };
    for (const SetCase& c : cases) {
        EXPECT_EQ(m_control->SetInterfaceSafetyOptions(c.iid, c.mask, c.enabled), c.expected)
            << c.iid.ToString() << " mask " << c.mask << " enabled " << c.enabled;
    }
}

TEST_F(DispatchTest, ConnectionPointIsTheEventInterfacesOnly)
{
    com::ComPtr<com::IConnectionPoint> point;
    EXPECT_EQ(m_control->FindConnectionPoint(com::IID_IDispatch, point.Put()), com::CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(point);
    ASSERT_EQ(m_control->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, point.Put()), com::S_OK);
    com::Guid iid;
    EXPECT_EQ(point->GetConnectionInterface(&iid), com::S_OK);
    EXPECT_EQ(iid, control::DIID__DVelkanFileSearchEvents);

    // A sink must answer the event interface or IDispatch.
    test::RecordingSink neither(false, false);
    std::uint32_t cookie = 99;
    EXPECT_EQ(point->Advise(&neither, &cookie), com::CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0U);
    EXPECT_EQ(neither.references, 0U);
    EXPECT_EQ(point->Unadvise(1), com::CONNECT_E_NOCONNECTION);
}

TEST_F(DispatchTest, PropertyPagesNameTheControlsPage)
{
    std::vector<com::Guid> pages = {com::IID_IUnknown, com::IID_IDispatch};
    ASSERT_EQ(m_control->GetPages(&pages), com::S_OK);
    EXPECT_EQ(pages, std::vector<com::Guid>{control::CLSID_VelkanFileSearchPropPage});
}

// An object that answers IUnknown and one identifier besides.
class AnsweringObject : public com::SingleInterfaceObject<com::IUnknown> {
public:
    explicit AnsweringObject(com::Guid iid) : m_iid(iid) {}

private:
    [[nodiscard]] bool Answers(const com::Guid& iid) const override { return iid == m_iid; }
    com::Guid m_iid;
};

// A host finds the seam it was built for on this control; on a module built before the seam last
// changed it finds out that the module is older, and it holds no reference either way.
TEST_F(DispatchTest, PanelSeamTellsAnOlderModuleApart)
{
    void* identity = nullptr;
    ASSERT_EQ(m_control->QueryInterface(com::IID_IUnknown, &identity), com::S_OK);
    control::IVelkanPanelAccess* access = nullptr;
    EXPECT_EQ(control::FindPanelAccess(*static_cast<com::IUnknown*>(identity), &access),
              control::PanelAccessFound::Current);
    ASSERT_NE(access, nullptr);
    access->Release();
    static_cast<com::IUnknown*>(identity)->Release();
    for (const com::Guid& older : control::kOlderPanelAccessIids) {
        EXPECT_NE(older, control::IID_IVelkanPanelAccess);
        void* object = &identity;
        EXPECT_EQ(m_control->QueryInterface(older, &object), com::E_NOINTERFACE) << older.ToString();
    }
    EXPECT_EQ(m_control->AddRef(), 2U);
    EXPECT_EQ(m_control->Release(), 1U);

    struct Case {
        com::Guid answers;
        control::PanelAccessFound found;
    };
    for (const Case& c : {Case{control::kOlderPanelAccessIids.front(), control::PanelAccessFound::Older},
                          Case{com::IID_IDispatch, control::PanelAccessFound::None}}) {
        SCOPED_TRACE(c.answers.ToString());
        auto* module = new AnsweringObject(c.answers);
        EXPECT_EQ(control::FindPanelAccess(*module, &access), c.found);
        EXPECT_EQ(access, nullptr);
        EXPECT_EQ(module->Release(), 0U); // nothing found was kept
    }
}

} // namespace
