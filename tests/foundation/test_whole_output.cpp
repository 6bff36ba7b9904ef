// Outputs written whole: what the program tables don't reach (links in another folder, a
// run that never commits).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "testutil.h"
#include "whole_output.h"

using testutil::readFile;
using testutil::writeFile;

TEST(WholeOutput, LinksAreFollowedFromTheirOwnFolder) {
  testutil::TempDir d;
  std::filesystem::create_directory(d.file("sub"));
  ASSERT_EQ(symlink("t", d.file("sub/l").c_str()), 0);
  ASSERT_EQ(symlink("sub/l", d.file("l2").c_str()), 0);  // a link to a link
  writeFile(d.file("kept"), "old");
  {
    WholeOutput out;
    fputs("new", out.open("x", d.file("l2").c_str()));
    fputs("new", out.open("y", d.file("kept").c_str()));  // never committed
  }
  EXPECT_EQ(readFile(d.file("kept")), "old");
  EXPECT_FALSE(std::filesystem::exists(d.file("sub/t")));
  WholeOutput out;
  fputs("new", out.open("x", d.file("l2").c_str()));
  out.commit();
  EXPECT_EQ(readFile(d.file("sub/t")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(d.file("l2")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.file("sub")), {}), 2);
}
