// File-name checks: two names of one file, and the refusal to overwrite an input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bank_file.h"
#include "testutil.h"

namespace {

TEST(FileNames, SameFile) {
  testutil::TempDir d;
  const std::string a = d.file("a.sta");
  testutil::writeFile(a, "x");
  const std::string viaDot = d.path() + "/./a.sta";
  EXPECT_EQ(sameFile(a.c_str(), viaDot.c_str()), 1);     // one inode
  EXPECT_EQ(sameFile("x.pro", "x.pro"), 1);               // one name, not there yet
  const std::string later = d.file("new.pro"), laterToo = d.path() + "/sub/../new.pro";
  std::filesystem::create_directory(d.file("sub"));
  EXPECT_EQ(sameFile(later.c_str(), laterToo.c_str()), 1);  // neither is there yet
  EXPECT_EQ(sameFile(later.c_str(), d.file("new.inf").c_str()), 0);
  const std::filesystem::path back = std::filesystem::current_path();
  std::filesystem::current_path(d.path());
  EXPECT_EQ(sameFile("new.pro", "./sub/../new.pro"), 1);
  std::filesystem::current_path(back);
  EXPECT_EQ(sameFile(a.c_str(), d.file("b.sta").c_str()), 0);
  EXPECT_EQ(sameFile(a.c_str(), nullptr), 0);
}

TEST(FileNames, WouldOverwriteNamesBothFiles) {
  testutil::TempDir d;
  const std::string in = d.file("in.mot");
  testutil::writeFile(in, "x");
  const std::string link = d.file("link.mot");
  ASSERT_EQ(symlink(in.c_str(), link.c_str()), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(wouldOverwrite("Result", link.c_str(), in.c_str()), 1);
  EXPECT_EQ(wouldOverwrite("Result", d.file("out.mot").c_str(), in.c_str()), 0);
  EXPECT_EQ(wouldOverwrite("Result", nullptr, in.c_str()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n Result file " + link + " would overwrite " + in);
}

}  // namespace
