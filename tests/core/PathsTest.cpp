#include "core/Paths.h"

#include <gtest/gtest.h>

TEST(Paths, DataAndHelpFoldersLieBesideTheProgramFolder) {
    EXPECT_EQ(dataFolderFor("/survey/bin"), "/survey/Data/");
    EXPECT_EQ(helpFolderFor("/survey/bin"), "/survey/Help/");
    EXPECT_EQ(dataFolderFor("/survey/bin/"), "/survey/Data/");
    EXPECT_EQ(dataFolderFor("/bin"), "/Data/");
}
