// The pipeline on real public data: entries of the EMBOSS Swiss-Prot test file searched
// against the whole file with the search program, then its result file printed with plevit.
// Every summary and alignment header must show the accession and description the named bank
// entry holds, read here straight from the file's lines.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "motif.h"
#include "testutil.h"
#include "work_seq.h"

namespace {

const std::string kSwiss = "/usr/share/EMBOSS/test/swiss/seq.dat";

struct EntryText {
  std::string ac, id, de;  // as the header lines hold them, upper-cased as headers are read
};

std::string upper(std::string s) {
  for (char &c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

// Accession (first of the first AC line), entry name and the first description line (text
// after "DE", blanks kept; lines naming MOL_ID are passed over) of every entry.
std::vector<EntryText> entriesOf(const std::string &path) {
  std::vector<EntryText> v;
  std::ifstream in(path);
  std::string line;
  bool haveDe = false;
  while (std::getline(in, line)) {
    if (line.rfind("ID   ", 0) == 0) {
      v.push_back({});
      haveDe = false;
      std::istringstream ws(line.substr(2));
      ws >> v.back().id;
    }
    if (v.empty()) continue;
    if (line.rfind("AC   ", 0) == 0 && v.back().ac.empty()) {
      std::string rest = line.substr(5);
      v.back().ac = rest.substr(0, rest.find_first_of("; "));
    }
    if (line.rfind("DE", 0) == 0 && !haveDe && line.find("MOL_ID") == std::string::npos) {
      v.back().de = line.substr(2);
      haveDe = true;
    }
  }
  for (EntryText &e : v) {
    e.ac = upper(e.ac);
    e.id = upper(e.id);
    e.de = upper(e.de);
  }
  return v;
}

// Summary label of a bank entry: "name| AC| ID " cut to 36, blank-filled to 37, its last
// non-blank character made ']'.
std::string label(const std::string &bank, const EntryText &e) {
  std::string s = bank + "| " + e.ac + "| " + e.id + " ";
  if (s.size() > 36) s.resize(36);
  s.resize(37, ' ');
  s[s.find_last_not_of(' ')] = ']';
  return s;
}

int run(const std::string &dir, const std::string &cmd, std::string *out = nullptr) {
  const std::string outFile = dir + "/stdout.txt";
  const int st = std::system(("cd '" + dir + "' && timeout 300 " + cmd + " > stdout.txt").c_str());
  if (out) *out = testutil::readFile(outFile);
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

struct Block {
  int qNum, bNum, numMot;
  std::string power;  // as printed on the Supermotif line
};

}  // namespace

TEST(PlevitRealData, SearchResultOfSwissProtEntriesNamesEachBankEntry) {
  if (!std::ifstream(kSwiss).good()) GTEST_SKIP() << "emboss-test is not installed";
  const std::string search = SEQ_BIN_DIR "/search", plevit = SEQ_BIN_DIR "/plevit";
  ASSERT_TRUE(std::ifstream(search).good()) << "build the search program first";
  ASSERT_TRUE(std::ifstream(plevit).good()) << "build the plevit program first";
  const std::vector<EntryText> entries = entriesOf(kSwiss);
  ASSERT_EQ(entries.size(), 100u);

  // The bank is read in place through a link that has its own index beside it.
  testutil::TempDir dir;
  ASSERT_EQ(symlink(kSwiss.c_str(), dir.file("sw.dat").c_str()), 0);
  ASSERT_TRUE(testutil::makeIndex(dir.file("sw.dat")));

  // Three queries taken from the bank itself, as FASTA.
  const int picks[] = {4, 38, 71};
  std::string queries;
  for (int k : picks) {
    WorkSeq s;
    ASSERT_GT(s.readSeq(dir.file("sw.dat").c_str(), k), 0) << k;
    queries += ">e" + std::to_string(k) + "\n" + std::string(s.seq(), (size_t)s.len()) + "\n";
  }
  testutil::writeFile(dir.file("q.fa"), queries);
  ASSERT_TRUE(testutil::makeIndex(dir.file("q.fa")));  // the printer fetches queries by number
  testutil::writeFile(dir.file("colors.txt"), "AG\nST\nC\nDE\nNQ\nKRH\nILMV\nFWY\nP\n");
  testutil::writeFile(dir.file("params.txt"), "Search parameters\n!c colors.txt\n!e " SEQ_TEST_DATA
                                              "/plevit/code.txt\n");
  testutil::writeFile(dir.file("banks.txt"), "sw.dat\n");

  std::string out;
  ASSERT_EQ(run(dir.path(), "'" + search + "' params.txt banks.txt q.fa result.txt", &out), 0) << out;
  const std::string result = testutil::readFile(dir.file("result.txt"));

  // The supermotifs of the result file, in file order, and its query blocks.
  std::vector<Block> blocks;
  std::istringstream lines(result);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Supermotif ", 0) != 0) continue;
    std::istringstream ws(line);
    std::string word, qAdr, bAdr;
    Block b;
    ws >> word >> qAdr >> b.qNum >> bAdr >> b.bNum >> b.power >> b.numMot;
    ASSERT_EQ(qAdr, "q.fa");
    ASSERT_EQ(bAdr, "sw.dat");
    ASSERT_GE(b.bNum, 0);
    ASSERT_LT(b.bNum, 100);
    blocks.push_back(b);
  }
  ASSERT_GE(blocks.size(), 3u);
  for (size_t i = 0; i < 3; i++)
    EXPECT_NE(result.find("\nQuery: >e" + std::to_string(picks[i]) + "\n\n"), std::string::npos);

  ASSERT_EQ(run(dir.path(), "'" + plevit + "' result.txt report.txt", &out), 0) << out;
  EXPECT_EQ(out, "");
  const std::string report = testutil::readFile(dir.file("report.txt"));

  // The banner and the first query line are copied as they stand.
  const size_t firstSup = result.find("\nSupermotif ") + 1;
  ASSERT_EQ(report.compare(0, firstSup, result, 0, firstSup), 0);

  // Query block by query block: summaries, then alignments, each in result-file order.
  for (size_t q = 0; q < 3; q++) {
    const std::string head = "Query: >e" + std::to_string(picks[q]) + "\n\n Brief Descriptions\n";
    size_t from = report.find(head);
    ASSERT_NE(from, std::string::npos) << q;
    from += head.size();
    const size_t to = q < 2 ? report.find("Query: >e" + std::to_string(picks[q + 1]), from)
                            : std::string::npos;
    const std::string part = report.substr(from, to == std::string::npos ? to : to - from);
    size_t pos = 0, alignPos = part.find("\n Supermotifs");
    ASSERT_NE(alignPos, std::string::npos) << q;
    for (const Block &b : blocks) {
      if (b.qNum != (int)q) continue;
      const EntryText &e = entries[(size_t)b.bNum];
      char power[32];
      snprintf(power, sizeof power, " %7.2f ! ", std::stod(b.power));
      const std::string summary = label("sw.dat", e) + power + e.de + "\n";
      ASSERT_EQ(part.compare(pos, summary.size(), summary), 0)
          << "entry " << b.bNum << "\n" << part.substr(pos, summary.size());
      pos += summary.size();

      // Protein against protein: every motif in the direct frame.
      char title[512];
      snprintf(title, sizeof title, "\n%-10s%s %50s\nPower %7.2f ", e.ac.c_str(),
               std::string((size_t)b.numMot, '+').c_str(), e.de.c_str(), std::stod(b.power));
      const size_t h = part.find(title, alignPos);
      ASSERT_NE(h, std::string::npos) << "entry " << b.bNum;
      alignPos = h + 1;
    }
    EXPECT_EQ(pos, part.find("\n Supermotifs")) << q;
  }
  // Each query met its own entry: a full line of identity marks somewhere in its block.
  EXPECT_NE(report.find("\n          " + std::string(60, '|') + "\n"), std::string::npos);
}
