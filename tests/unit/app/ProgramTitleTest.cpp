#include "app/ProgramTitle.h"
#include <gtest/gtest.h>

TEST(ProgramTitle, FileNameWithoutExtension) {
    EXPECT_EQ(ProgramTitle("C:\\Program Files\\kv.1\\kvRemote.exe"), "kvRemote");
    EXPECT_EQ(ProgramTitle("D:/tools/kvRemote"), "kvRemote");
    EXPECT_EQ(ProgramTitle("kvRemote.backup.exe"), "kvRemote.backup");
}
