#include "app/instanceguard.h"
#include "fixtures.h"

namespace {

class InstanceGuardTest : public AppFixture {
protected:
    // A path of its own per case, so parallel test processes never share a record.
    QString exe(const QString& name) const { return tempPath(name); }
};

TEST(InstanceRecordName, PathWithoutSeparatorsAndBlanksCaseKept)
{
    EXPECT_EQ(InstanceGuard::recordName(QStringLiteral("D:\\My Apps\\X.exe")),
              QStringLiteral("D:MyAppsX.exe"));
    EXPECT_EQ(InstanceGuard::recordName(QStringLiteral("/opt/My Apps/tapestron")),
              QStringLiteral("optMyAppstapestron"));
}

TEST_F(InstanceGuardTest, ASecondStartOnTheSamePathIsADuplicateThatSeesTheFirstWindow)
{
    InstanceGuard first(exe("a/tapestron"), 0x1234);
    EXPECT_TRUE(first.isCounted());
    EXPECT_FALSE(first.isDuplicate());

    InstanceGuard second(exe("a/tapestron"), 0x5678);
    EXPECT_TRUE(second.isDuplicate());
    EXPECT_FALSE(second.isCounted());
    EXPECT_EQ(second.storedWindow(), 0x1234u);

    // Blanks do not tell paths apart.
    InstanceGuard spaced(exe("a/tapes tron"), 0x9);
    EXPECT_TRUE(spaced.isDuplicate());
}

TEST_F(InstanceGuardTest, AnotherPathRunsBesideAndAnEndedInstanceFreesItsPlace)
{
    {
        InstanceGuard first(exe("a/tapestron"), 1);
        InstanceGuard other(exe("b/tapestron"), 2);
        EXPECT_TRUE(other.isCounted());
    }
    InstanceGuard again(exe("a/tapestron"), 3);
    EXPECT_TRUE(again.isCounted());
    {
        // The duplicate leaves the count as it was.
        InstanceGuard duplicate(exe("a/tapestron"), 4);
        EXPECT_TRUE(duplicate.isDuplicate());
    }
    InstanceGuard stillDuplicate(exe("a/tapestron"), 5);
    EXPECT_TRUE(stillDuplicate.isDuplicate());
    EXPECT_EQ(stillDuplicate.storedWindow(), 3u);
}

} // namespace
