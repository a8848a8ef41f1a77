// The test harness itself: the Windows test program sees the environment the test command set up.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"

using namespace TestSupport;

TEST(Harness, ScratchDirIsCreatedAndRemovedWithItsFiles) {
  std::wstring path;
  {
    ScratchDir dir(L"harness");
    path = dir.Path();
    ASSERT_TRUE(FileExists(path));
    ASSERT_TRUE(WriteBytes(dir.File(L"a.bin"), std::string("x\0y", 3)));
    std::string back;
    ASSERT_TRUE(ReadBytes(dir.File(L"a.bin"), &back));
    EXPECT_EQ(back, std::string("x\0y", 3));
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(Harness, TimeZoneIsPinnedToUtc) {
  TIME_ZONE_INFORMATION tz;
  GetTimeZoneInformation(&tz);
  EXPECT_EQ(tz.Bias, 0);
}

TEST(Harness, TestDataFolderIsReachable) {
  EXPECT_FALSE(TestDataDir().empty());
}
