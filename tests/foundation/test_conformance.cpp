// The readers on real public bank files, read in place (Debian's emboss-test and
// hmmer-examples): entry counts against markers counted here, sequence lengths against
// the lengths the entries declare, and header fields of sample entries as the files hold
// them. Indexes are written into a temporary directory beside a link to each file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "seqbase.h"
#include "testutil.h"

namespace fs = std::filesystem;
using testutil::TempDir;

namespace {

const std::string kEmboss = "/usr/share/EMBOSS/test";
const std::string kHmmer = "/usr/share/doc/hmmer/examples/tutorial";

std::vector<std::string> fileLines(const std::string &path) {
  std::vector<std::string> out;
  std::istringstream in(testutil::readFile(path));
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

int countPrefix(const std::vector<std::string> &lines, const char *prefix) {
  return (int)std::count_if(lines.begin(), lines.end(),
                            [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
}

std::vector<std::string> filesIn(const std::string &dir, const std::string &suffix) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto &e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().string().size() > suffix.size() &&
        e.path().string().compare(e.path().string().size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::string take(char *p) {
  std::unique_ptr<char[]> hold(p);
  return p ? std::string(p) : std::string("<null>");
}

// A link to a public file in a temp directory, with the index written beside it.
std::string linkIndexed(const TempDir &dir, const std::string &path) {
  std::string link = dir.file(fs::path(path).filename().string());
  fs::create_symlink(path, link);
  EXPECT_TRUE(testutil::makeIndex(link)) << path;
  return link;
}

#define SKIP_WITHOUT(path)                                                  \
  if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";

struct Entry {
  std::string name, seq;
};

std::vector<Entry> iterateBank(const std::string &path) {
  std::vector<Entry> out;
  SeqBase b(path.c_str());
  EXPECT_EQ(b.valid(), 1) << path;
  WorkSeq w;
  char name[1024];
  int handle;
  while (b.next(w, name, handle)) out.push_back({name, w.seq()});
  return out;
}

// The third blank-separated token of the first line with the prefix after `from`.
int declaredAfter(const std::vector<std::string> &lines, size_t &from, const char *prefix) {
  for (; from < lines.size(); from++) {
    if (lines[from].rfind(prefix, 0) != 0) continue;
    std::istringstream ss(lines[from++]);
    std::string a, b, c;
    ss >> a >> b >> c;
    return atoi(c.c_str());
  }
  return -1;
}

// Swiss-Prot and EMBL: every entry read by the open bank and through the index agrees
// with the sequence line's declared length.
void checkFlatFile(const std::string &path, const char *seqTag) {
  auto lines = fileLines(path);
  int markers = countPrefix(lines, seqTag);
  auto entries = iterateBank(path);
  EXPECT_EQ((int)entries.size(), markers) << path;
  size_t from = 0;
  for (size_t k = 0; k < entries.size(); k++) {
    int declared = declaredAfter(lines, from, seqTag);
    EXPECT_EQ((int)entries[k].seq.size(), declared) << path << " entry " << k;
  }
  TempDir dir;
  std::string link = linkIndexed(dir, path);
  for (size_t k = 0; k < entries.size(); k++) {
    WorkSeq w;
    EXPECT_EQ(w.readSeq(link.c_str(), (int)k), (int)entries[k].seq.size()) << path << " " << k;
    EXPECT_EQ(std::string(w.seq()), entries[k].seq) << path << " " << k;
  }
}

TEST(Conformance, SwissProt) {
  std::string path = kEmboss + "/swiss/seq.dat";
  SKIP_WITHOUT(path);
  checkFlatFile(path, "SQ   ");
  auto entries = iterateBank(path);
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries[0].name, "CRU4_ARATH");
  EXPECT_EQ(entries[0].seq.substr(0, 10), "MARVSSLLSF");

  TempDir dir;
  std::string link = linkIndexed(dir, path);
  SeqInfo info;
  ASSERT_GT(info.readSeq(link.c_str(), 0), 0);
  EXPECT_EQ(take(info.getAC()), "P15455");
  EXPECT_EQ(take(info.getID()), "CRU4_ARATH");
  EXPECT_STREQ(info.getDE(), "   RECNAME: FULL=12S SEED STORAGE PROTEIN CRU4;");
  EXPECT_EQ(take(info.getKW("KW")),
            "   ALTERNATIVE SPLICING; COMPLETE PROTEOME; DIRECT PROTEIN SEQUENCING; DISULFIDE BOND; "
            "PHOSPHOPROTEIN; REFERENCE PROTEOME; SEED STORAGE PROTEIN; SIGNAL; STORAGE PROTEIN; "
            "UBL CONJUGATION; VACUOLE.");
  EXPECT_EQ(take(info.getKW("FT")).substr(0, 35), "SIGNAL CHAIN CHAIN MOD_RES MOD_RES ");
  // The feature table keeps the old position columns, so ranges are read.
  int disulfid = -1;
  for (int i = 0; i < info.getNum(); i++)
    if (info.isFT(i, "DISULFID")) {
      disulfid = i;
      break;
    }
  ASSERT_GE(disulfid, 0);
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  EXPECT_EQ(info.getBegEndFT(disulfid, beg, end), 2);
  EXPECT_EQ((std::vector<int>{beg[0], end[0], beg[1], end[1]}), (std::vector<int>{36, 36, 69, 69}));
  // This file's ID lines have today's layout ("Reviewed;   472 AA."): the length is the
  // number before "AA.".
  EXPECT_EQ(info.getLen(), 472);
}

TEST(Conformance, Embl) {
  std::string dirPath = kEmboss + "/embl";
  SKIP_WITHOUT(dirPath);
  auto files = filesIn(dirPath, ".dat");
  ASSERT_FALSE(files.empty());
  for (auto &path : files) {
    auto lines = fileLines(path);
    if (countPrefix(lines, "SQ   ") == 0) {
      // A CON record has no sequence: no line marks a known bank format.
      EXPECT_EXIT(
          {
            testutil::stdoutToStderr();
            SeqBase b(path.c_str());
          },
          ::testing::ExitedWithCode(99), ::testing::Eq("\n Unknown bank format: " + path))
          << path;
      continue;
    }
    checkFlatFile(path, "SQ   ");
  }
  // A sample entry's header as the file holds it.
  std::string path = dirPath + "/rod.dat";
  TempDir dir;
  std::string link = linkIndexed(dir, path);
  SeqInfo info;
  ASSERT_GT(info.readSeq(link.c_str(), 0), 0);
  EXPECT_EQ(take(info.getAC()), "L48662");
  EXPECT_EQ(take(info.getID()), "L48662");
  // Today's EMBL ID line states the length before "BP.".
  EXPECT_EQ(info.getLen(), 366);
}

TEST(Conformance, GenBank) {
  std::string dirPath = kEmboss + "/genbank";
  SKIP_WITHOUT(dirPath);
  auto files = filesIn(dirPath, ".seq");
  ASSERT_FALSE(files.empty());
  for (auto &path : files) {
    auto lines = fileLines(path);
    auto entries = iterateBank(path);
    EXPECT_EQ((int)entries.size(), countPrefix(lines, "ORIGIN")) << path;
    TempDir dir;
    std::string link = linkIndexed(dir, path);
    for (size_t k = 0; k < entries.size(); k++) {
      SeqInfo info;
      ASSERT_GT(info.readSeq(link.c_str(), (int)k), 0) << path << " " << k;
      EXPECT_EQ(info.getLen(), (int)entries[k].seq.size()) << path << " " << k;
      char *id = info.getID();
      std::string upperName = entries[k].name;
      strupr(&upperName[0]);
      EXPECT_EQ(take(id), upperName) << path << " " << k;
      WorkSeq w;
      EXPECT_EQ(w.readSeq(link.c_str(), (int)k), (int)entries[k].seq.size()) << path << " " << k;
    }
  }
  std::string path = dirPath + "/gbrod1.seq";
  TempDir dir;
  std::string link = linkIndexed(dir, path);
  SeqInfo info;
  ASSERT_GT(info.readSeq(link.c_str(), 0), 0);
  EXPECT_EQ(take(info.getAC()), "L48662");
  EXPECT_EQ(take(info.getID()), "MUSAM");
  EXPECT_STREQ(info.getDE(), "  MUS MUSCULUS (CELL LINE C3H/F2-11) CHROMOSOME 12 ANTI-DNA ANTIBODY");
  EXPECT_EQ(take(info.getKW("FE")), "SOURCE ");
  int beg[SeqInfo::kMaxRanges], end[SeqInfo::kMaxRanges];
  int src = -1;
  for (int i = 0; i < info.getNum(); i++)
    if (info.isFT(i, "source")) src = i;
  ASSERT_GE(src, 0);
  EXPECT_EQ(info.getBegEndFT(src, beg, end), 1);
  EXPECT_EQ((std::vector<int>{beg[0], end[0]}), (std::vector<int>{1, 366}));
  ASSERT_GT(info.readSeq(link.c_str(), 1), 0);
  EXPECT_EQ(take(info.getKW("KEYWORDS")), "    RHODOPSIN.");
}

TEST(Conformance, Prints) {
  std::string path = kEmboss + "/data/prints.test";
  SKIP_WITHOUT(path);
  auto lines = fileLines(path);
  // Rows of each element, counted here from the "fc;" and "fd;" lines.
  std::vector<std::string> rows;
  for (auto &l : lines) {
    if (l.rfind("fc;", 0) == 0) rows.emplace_back();
    if (l.rfind("fd;", 0) == 0 && !rows.empty()) {
      std::istringstream ss(l);
      std::string tag, row;
      ss >> tag >> row;
      rows.back() += row + "\n";
    }
  }
  ASSERT_EQ(rows.size(), 24u);
  TempDir dir;
  std::string link = linkIndexed(dir, path);
  EXPECT_EQ(testutil::readFile(dir.file("prints.idx")).size(), 128u + 32u * rows.size());
  for (size_t k = 0; k < rows.size(); k++) {
    WorkSeq w;
    EXPECT_EQ(w.readSeq(link.c_str(), (int)k), (int)rows[k].size()) << k;
    EXPECT_EQ(std::string(w.seq()), rows[k]) << k;
  }
  SeqInfo info;
  ASSERT_EQ(info.readSeq(link.c_str(), 0), 3);
  EXPECT_STREQ(info[0], "FC; ACHEFISH1");
  EXPECT_EQ(take(info.getID()), " FISH ACETYLCHOLINESTERASE MOTIF I - 2");
  EXPECT_STREQ(info.getDE(), "FT; FISH ACETYLCHOLINESTERASE MOTIF I - 2");
  EXPECT_EQ(take(info.getAC()), " ");
  EXPECT_EQ(take(info.getKW("KW")), "<null>");
}

TEST(Conformance, Stockholm) {
  SKIP_WITHOUT(kHmmer);
  auto files = filesIn(kHmmer, ".sto");
  ASSERT_FALSE(files.empty());
  for (auto &path : files) {
    auto lines = fileLines(path);
    int entriesHere = countPrefix(lines, "//");
    std::string rows;
    std::string de;
    for (auto &l : lines) {
      if (l.rfind("#=GF DE ", 0) == 0 && de.empty()) de = l;
      if (l.empty() || l[0] == '#' || l[0] == '/') continue;
      std::istringstream ss(l);
      std::string name, row;
      ss >> name >> row;
      if (row.empty()) continue;
      std::replace(row.begin(), row.end(), '.', '-');
      rows += row + "\n";
    }
    TempDir dir;
    std::string link = linkIndexed(dir, path);
    std::string idxName = link.substr(0, link.rfind('.')) + ".idx";
    EXPECT_EQ(testutil::readFile(idxName).size(), 128u + 32u * entriesHere) << path;
    WorkSeq w;
    EXPECT_EQ(w.readSeq(link.c_str(), 0), (int)rows.size()) << path;
    EXPECT_EQ(std::string(w.seq()), rows) << path;
    SeqInfo info;
    ASSERT_GT(info.readSeq(link.c_str(), 0), 0) << path;
    std::string upperDE = de.empty() ? " " : de;
    strupr(&upperDE[0]);
    EXPECT_STREQ(info.getDE(), upperDE.c_str()) << path;
  }
}

TEST(Conformance, SingleEntryExamples) {
  // hmmer's tutorial also holds one Swiss-Prot entry and one FASTA sequence.
  std::string sw = kHmmer + "/7LESS_DROME", fa = kHmmer + "/HBB_HUMAN";
  SKIP_WITHOUT(sw);
  auto lines = fileLines(sw);
  size_t from = 0;
  int declared = declaredAfter(lines, from, "SQ   ");
  auto e = iterateBank(sw);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ((int)e[0].seq.size(), declared);
  EXPECT_EQ(e[0].name, "7LESS_DROME");
  auto h = iterateBank(fa);
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(h[0].name, ">HBB_HUMAN");
  EXPECT_EQ(h[0].seq.size(), 146u);
  SeqBase b(fa.c_str());
  EXPECT_EQ(b.getMolType(), 0);
}

}  // namespace
