// Which systems the program runs on, which message each refusal shows, and
// which end message each result code of a run gives.
#include <gtest/gtest.h>

#include "app/Environment.h"
#include "app/StringTable.h"

namespace {

using namespace environment_code;

struct FixedEnvironment : platform::EnvironmentSource {
  bool readable = true;
  platform::OsVersion version;
  bool administrator = true;
  bool GetOsVersion(platform::OsVersion& out) const override {
    out = version;
    return readable;
  }
  bool IsUserAdministrator() const override { return administrator; }
};

class EnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetEnvironmentSource(&m_environment); }
  void TearDown() override { platform::SetEnvironmentSource(nullptr); }

  EnvironmentResult Check(unsigned platformId, unsigned major, unsigned minor, bool administrator) {
    m_environment.version = {platformId, major, minor};
    m_environment.administrator = administrator;
    return CheckEnvironmentCode();
  }

  FixedEnvironment m_environment;
};

TEST(OsVersionCode, EveryRowOfTheVersionTable) {
  struct Row {
    unsigned platformId, major, minor;
    int code;
  };
  const Row rows[] = {
      {0, 3, 1, kOlderSystem},  {1, 4, 0, kOlderSystem}, {1, 4, 10, kOlderSystem}, {1, 4, 90, kOlderSystem},
      {1, 4, 20, kOtherSystem}, {1, 5, 0, kOtherSystem}, {2, 3, 51, kOlderSystem}, {2, 4, 0, kOlderSystem},
      {2, 5, 0, kOtherSystem},  {2, 5, 1, kOtherSystem}, {2, 6, 0, kVista},        {2, 6, 1, kWindows7},
      {2, 6, 2, kOtherSystem},  {2, 6, 3, kWindows81},   {2, 6, 4, kOtherSystem},  {2, 7, 0, kOtherSystem},
      {2, 9, 9, kOtherSystem},  {2, 10, 0, kWindows10},  {2, 11, 0, kWindows10},   {3, 10, 0, kOtherSystem},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ClassifyOsVersion({row.platformId, row.major, row.minor}), row.code)
        << row.platformId << " " << row.major << "." << row.minor;
  }
}

TEST_F(EnvironmentTest, OnlyEightOneAndTenGoOnAndOnlyForAnAdministrator) {
  EXPECT_EQ(Check(2, 10, 0, true).code, kWindows10);
  EXPECT_EQ(Check(2, 10, 0, true).messageId, 0);
  EXPECT_EQ(Check(2, 6, 3, true).code, kWindows81);
  EXPECT_TRUE(EnvironmentAllowsRun(kWindows10));
  EXPECT_TRUE(EnvironmentAllowsRun(kWindows81));

  const EnvironmentResult notAdmin = Check(2, 10, 0, false);
  EXPECT_EQ(notAdmin.code, kNotAdministrator);
  EXPECT_EQ(notAdmin.messageId, string_id::kNotAdministrator);
  EXPECT_FALSE(EnvironmentAllowsRun(notAdmin.code));

  // Windows 7 run by an administrator: no message, and no run either.
  const EnvironmentResult seven = Check(2, 6, 1, true);
  EXPECT_EQ(seven.code, kWindows7);
  EXPECT_EQ(seven.messageId, 0);
  EXPECT_FALSE(EnvironmentAllowsRun(seven.code));
}

TEST_F(EnvironmentTest, UnsupportedSystemsShowOneMessageWithoutTheRightsCheck) {
  const EnvironmentResult xp = Check(2, 5, 1, false);
  EXPECT_EQ(xp.code, kOtherSystem);
  EXPECT_EQ(xp.messageId, string_id::kUnsupportedOs);
  const EnvironmentResult eight = Check(2, 6, 2, true);
  EXPECT_EQ(eight.code, kOtherSystem);
  EXPECT_EQ(eight.messageId, string_id::kUnsupportedOs);
  m_environment.readable = false;
  const EnvironmentResult unreadable = CheckEnvironmentCode();
  EXPECT_EQ(unreadable.code, kNoVersion);
  EXPECT_EQ(unreadable.messageId, string_id::kSetupError);
}

TEST(StringTable, EndMessagesByResultCode) {
  EXPECT_EQ(EndMessageId(0), string_id::kRevisionSucceeded);
  EXPECT_EQ(EndMessageId(1), string_id::kSourceReadFailed);
  EXPECT_EQ(EndMessageId(10), string_id::kRebuildFailed);
  EXPECT_EQ(EndMessageId(12), string_id::kRevisedReadFailed);
  EXPECT_EQ(EndMessageId(13), string_id::kVerifyMismatch);
  EXPECT_EQ(EndMessageId(6), string_id::kRevisionStopped);
  EXPECT_EQ(EndMessageId(3), string_id::kRevisionStopped);
  EXPECT_STREQ(LoadProgramString(999), "");
}

}  // namespace
