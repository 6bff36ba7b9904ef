// search -1 and search -2 write the same result file, byte for byte but for the date line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "testutil.h"

namespace {

const std::string kExample = SEQ_TOOLS_DIR "/../example/";
const std::string kBin = SEQ_BIN_DIR "/search";

int run(const std::string &dir, const std::string &args) {
  std::string cmd = "cd '" + dir + "' && '" + kBin + "' " + args + " >/dev/null";
  int st = system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The banner's date is the only line that begins with eleven blanks.
std::string masked(const std::string &text) {
  size_t at = text.find("\n           ");
  if (at == std::string::npos) return text;
  size_t end = text.find('\n', at + 1);
  return text.substr(0, at) + "\n<date>" + text.substr(end);
}

TEST(SearchThreads, ExampleDataGivesTheSameFileInBothModes) {
  testutil::TempDir dir;
  // The example bank twice in the list: every hit has an equal-power twin.
  testutil::writeFile(dir.file("banks.lst"), kExample + "bank.dat\n" + kExample + "bank.dat\n");
  std::string params = testutil::readFile(kExample + "params.txt");
  for (const char *cap : {"100", "3"}) {
    std::string p = params;
    for (const char *name : {"colors.txt", "code.txt"}) p.replace(p.find(name), strlen(name), kExample + name);
    p += std::string("!M ") + cap + "\n";
    testutil::writeFile(dir.file("params.txt"), p);
    std::string common = "params.txt banks.lst '" + kExample + "queries.fa' ";
    ASSERT_EQ(run(dir.path(), "-1 " + common + "one.txt"), 0);
    ASSERT_EQ(run(dir.path(), "-2 " + common + "two.txt"), 0);
    std::string one = testutil::readFile(dir.file("one.txt"));
    ASSERT_NE(one.find("\nQuery: "), std::string::npos);
    EXPECT_EQ(masked(one), masked(testutil::readFile(dir.file("two.txt")))) << "M " << cap;
  }
}

}  // namespace
