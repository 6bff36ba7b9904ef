// The five programs chained on the example data (tools/pipeline.sh, the chain of the demo):
// every output compared byte for byte with its expected file, dates masked by
// testutil::maskDate. With SEQ_UPDATE_GOLDEN=1 in the environment the expected files are
// rewritten instead. Also: the chain stops, non-zero, when a program fails or reports an
// entry it can't read, whether a stand-in program says so or a damaged copy of the example
// data makes the real programs say it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

const std::string kExpected = SEQ_TEST_DATA "/pipeline";
const std::string kPipeline = SEQ_TOOLS_DIR "/pipeline.sh";
const char *const kPrograms[] = {"search", "tervex", "orisk", "vantel", "plevit"};

const std::string kExample = SEQ_TOOLS_DIR "/../example";

// Every file the chain writes but its logs.
const char *const kOutputs[] = {"result.txt", "qry1.mot",       "cross.mot", "learn.mot",
                                "learn.sta",  "prediction.txt", "learn.inf", "learn.pro",
                                "report.txt", "ctr"};

bool exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

struct ChainRun {
  int rc;
  std::string err;
};

ChainRun pipeline(const std::string &build, const std::string &work, const std::string &example = "") {
  const std::string errFile = work + ".err";
  std::string cmd = "bash '" + kPipeline + "' '" + build + "' '" + work + "'";
  if (!example.empty()) cmd += " '" + example + "'";
  cmd += " >/dev/null 2>'" + errFile + "'";
  const int st = std::system(cmd.c_str());
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, readFile(errFile)};
}

TEST(GoldenPipeline, EveryOutputByteForByte) {
  TempDir dir;
  const std::string work = dir.file("work");
  const ChainRun r = pipeline(SEQ_BIN_DIR, work);
  ASSERT_EQ(r.rc, 0) << r.err;
  const bool update = getenv("SEQ_UPDATE_GOLDEN") != nullptr;
  for (const char *name : kOutputs) {
    SCOPED_TRACE(name);
    const std::string got = testutil::maskDate(readFile(work + "/" + name));
    ASSERT_FALSE(got.empty());
    if (update)
      writeFile(kExpected + "/" + name, got);
    else
      EXPECT_EQ(got, readFile(kExpected + "/" + name)) << "differs from tests/data/pipeline/" << name;
  }
  // The masked lines: the banners of the two searches and of the report, the prediction's head.
  EXPECT_NE(readFile(kExpected + "/result.txt").find("\n           <date>\n"), std::string::npos);
  EXPECT_NE(readFile(kExpected + "/prediction.txt").find("Version 5.0, <date>\n"), std::string::npos);
  // The first query is a WD-repeat protein; its relatives in the bank teach the prediction.
  EXPECT_NE(readFile(kExpected + "/prediction.txt").find("\nKW   REPEAT "), std::string::npos);
}

// `cmake --install BUILD --prefix P` puts the five programs, and nothing else, under P/bin.
TEST(Install, TheFiveProgramsUnderBin) {
  TempDir dir;
  const std::string prefix = dir.file("prefix");
  const std::string cmd = "cmake --install '" SEQ_BIN_DIR "' --prefix '" + prefix + "' >'" + dir.file("log") + "' 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << readFile(dir.file("log"));
  std::vector<std::string> got, want;
  for (const auto &e : std::filesystem::recursive_directory_iterator(prefix))
    got.push_back(std::filesystem::relative(e.path(), prefix).string());
  std::sort(got.begin(), got.end());
  want.push_back("bin");
  for (const char *p : kPrograms) want.push_back(std::string("bin/") + p);
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
  for (const char *p : kPrograms) {
    const std::string path = prefix + "/bin/" + p;
    EXPECT_EQ(access(path.c_str(), X_OK), 0) << path;
  }
}

// A build directory of the real programs but one, which is a script.
class BrokenStep : public ::testing::Test {
 protected:
  TempDir dir;
  std::string bin() const { return dir.file("bin"); }
  void SetUp() override { mkdir(bin().c_str(), 0755); }
  void replace(const std::string &prog, const std::string &script) {
    for (const char *p : kPrograms) {
      const std::string to = bin() + "/" + p;
      if (p == prog) {
        writeFile(to, "#!/bin/sh\n" + script);
        chmod(to.c_str(), 0755);
      } else {
        ASSERT_EQ(symlink((std::string(SEQ_BIN_DIR) + "/" + p).c_str(), to.c_str()), 0);
      }
    }
  }
};

TEST_F(BrokenStep, AFailingProgramEndsTheChain) {
  replace("orisk", "echo half done; exit 3\n");
  const ChainRun r = pipeline(bin(), dir.file("work"));
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("pipeline: orisk failed (exit 3)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("half done"), std::string::npos) << r.err;
  // Nothing after the failed step ran.
  EXPECT_FALSE(exists(dir.file("work/prediction.txt")));
  EXPECT_FALSE(exists(dir.file("work/report.txt")));
}

TEST_F(BrokenStep, AnUnreadableEntryEndsTheChainThoughTheExitIsZero) {
  replace("plevit", "printf '\\n Can'\"'\"'t read query sequence: queries.fa 1\\n'; exit 0\n");
  const ChainRun r = pipeline(bin(), dir.file("work"));
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("pipeline: plevit could not read every entry"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Can't read query sequence: queries.fa 1"), std::string::npos) << r.err;
}

TEST_F(BrokenStep, TheBuiltInMatrixNoteIsNoFailure) {
  replace("plevit",
          "printf '\\n Can'\"'\"'t read file with Weight matrix (null) or can'\"'\"'t load it\\n'\n"
          ": > report.txt\n");
  EXPECT_EQ(pipeline(bin(), dir.file("work")).rc, 0);
}

// The programs' other words for an entry or file they could not use end the chain too.
TEST_F(BrokenStep, EveryWordingOfAnUnreadableEntryEndsTheChain) {
  const char *const lines[] = {
      " tervex: SHORTEN variant can't read bank sequence bank.dat 7",
      "Can't load sequence: Addres bank.dat Index 3",
      " Motif out of sequence: bank.dat 144",
      "Cant't open mesh file thesaurus.mesh",
  };
  for (const char *line : lines) {
    SCOPED_TRACE(line);
    std::filesystem::remove_all(bin());
    mkdir(bin().c_str(), 0755);
    const std::string said = dir.file("said.txt");
    writeFile(said, std::string("\n") + line + "\n");
    replace("search", "cat '" + said + "'\n");
    const ChainRun r = pipeline(bin(), dir.file("work"));
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("pipeline: search could not read every entry"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
  }
}

TEST_F(BrokenStep, AMissingProgramIsNamed) {
  replace("vantel", "exit 0\n");
  unlink((bin() + "/vantel").c_str());
  const ChainRun r = pipeline(bin(), dir.file("work"));
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("/vantel (build it first)"), std::string::npos) << r.err;
}

// The real programs on a copy of the example data in which one file is damaged.
class BrokenExample : public ::testing::Test {
 protected:
  TempDir dir;
  std::string example() const { return dir.file("example"); }
  void SetUp() override {
    std::filesystem::copy(kExample, example(), std::filesystem::copy_options::recursive);
  }
  // Keeps the first n bytes of an example file.
  void cut(const std::string &name, size_t n) {
    const std::string text = readFile(example() + "/" + name);
    ASSERT_GT(text.size(), n);
    writeFile(example() + "/" + name, text.substr(0, n));
  }
};

TEST_F(BrokenExample, AQueryIndexOfOneEntryLeavesAlignmentsUnprinted) {
  cut("queries.idx", 128 + 32);  // the header and entry 0 only
  const ChainRun r = pipeline(SEQ_BIN_DIR, dir.file("work"), example());
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("pipeline: plevit could not read every entry"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Can't read query sequence: queries.fa 1"), std::string::npos) << r.err;
}

TEST_F(BrokenExample, ABankIndexCutShortStopsTheChainAtTervex) {
  cut("bank.idx", 128 + 32 * 100);  // the first query's relatives lie beyond entry 99
  const ChainRun r = pipeline(SEQ_BIN_DIR, dir.file("work"), example());
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("pipeline: tervex failed (exit 10)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" No sequence to screen could be read"), std::string::npos) << r.err;
  EXPECT_FALSE(exists(dir.file("work/learn.sta")));
}

TEST_F(BrokenExample, ACutThesaurusIndexIsAFailure) {
  cut("thesaurus.mesh", 100);
  const ChainRun r = pipeline(SEQ_BIN_DIR, dir.file("work"), example());
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("pipeline: orisk failed (exit 111)"), std::string::npos) << r.err;
}

TEST_F(BrokenExample, AMissingInputIsNamed) {
  std::filesystem::remove(example() + "/learn.idx");
  const ChainRun r = pipeline(SEQ_BIN_DIR, dir.file("work"), example());
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("pipeline: no input " + example() + "/learn.idx"), std::string::npos) << r.err;
}

}  // namespace
