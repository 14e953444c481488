// Where the program keeps its own files: beside a writable, non-system executable folder, else in
// the user's XDG folders.
#include <gtest/gtest.h>
#include <cstdlib>

#include "lib/Library.h"
#include "support/TestSupport.h"

using namespace varko;
using varko::test::TempDir;

namespace {

struct Environment {
  Environment(const std::string& config, const std::string& data) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
  }
  ~Environment() {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setExePathForTesting(Text());
  }
};

TEST(ProgramFoldersTest, PortableBesideAWritableBuildFolderElseTheUserFolders) {
  TempDir exe, home;
  Environment env(home.path() + "config", home.path() + "data");

  setExePathForTesting(exe.text() + u"Varko64");
  EXPECT_TRUE(exeFolderIsPortable());
  EXPECT_EQ(configFolder(), exe.text());
  EXPECT_EQ(dataFolder(), exe.text());

  setExePathForTesting(u"/usr/bin/Varko64");  // an installed copy
  EXPECT_FALSE(exeFolderIsPortable());
  EXPECT_EQ(configFolder(), home.text() + u"config/varko/");
  EXPECT_EQ(dataFolder(), home.text() + u"data/varko/");
  EXPECT_TRUE(xcFolderExists(home.text() + u"config/varko/"));  // made when asked for
  EXPECT_TRUE(xcFolderExists(home.text() + u"data/varko/"));
}

}  // namespace
