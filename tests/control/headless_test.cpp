// A host without a GUI application (a tool that only loads and saves property sets): the
// control cannot measure its template there, and must still never write an invalid extent.

#include "velkanfilesearch/comhost.h"
#include "control/module/velkanfilesearchctrl.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace velkan;
using comhost::MemoryPropertyBag;
using control::CVelkanFileSearchCtrl;

namespace {

TEST(HeadlessPersistenceTest, ExtentIsTheStoredOneOrNoneAtAll)
{
    auto control = com::ComPtr<CVelkanFileSearchCtrl>::Adopt(CVelkanFileSearchCtrl::Create());
    MemoryPropertyBag nothingKnown;
    ASSERT_EQ(control->Save(&nothingKnown, true, false), com::S_OK);
    EXPECT_FALSE(nothingKnown.values.contains(u"_ExtentX"));
    EXPECT_FALSE(nothingKnown.values.contains(u"_ExtentY"));
    EXPECT_EQ(nothingKnown.values[u"_Version"], u"65536");
    EXPECT_EQ(nothingKnown.values.size(), 7U); // version, stock properties and the five

    MemoryPropertyBag stored;
    stored.values = {{u"_ExtentX", u"19262"}, {u"_ExtentY", u"11642"}, {u"param", u"p"}};
    ASSERT_EQ(control->Load(&stored), com::S_OK);
    MemoryPropertyBag saved;
    ASSERT_EQ(control->Save(&saved, true, false), com::S_OK);
    EXPECT_EQ(saved.values[u"_ExtentX"], u"19262");
    EXPECT_EQ(saved.values[u"_ExtentY"], u"11642");
    EXPECT_EQ(saved.values[u"param"], u"p");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
