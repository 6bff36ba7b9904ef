// A translated query cut at a start (key T) and an end (key t): the motifs name residues of
// the whole query's frames, the same residues the cut query's frames compared.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "onbank.h"
#include "searchit.h"
#include "testutil.h"
#include "work_seq.h"

namespace {

const std::string kGolden = SEQ_TEST_DATA "/search/golden/";

std::vector<std::string> sequencesOf(const std::string &fasta) {
  std::vector<std::string> v;
  for (const std::string &line : [&] {
         std::vector<std::string> lines;
         size_t at = 0;
         while (at < fasta.size()) {
           size_t e = fasta.find('\n', at);
           if (e == std::string::npos) e = fasta.size();
           lines.push_back(fasta.substr(at, e - at));
           at = e + 1;
         }
         return lines;
       }()) {
    if (line.empty()) continue;
    if (line[0] == '>')
      v.emplace_back();
    else
      v.back() += line;
  }
  return v;
}

struct Found {
  std::vector<Supermotif *> supers;
  ~Found() {
    for (Supermotif *s : supers) delete s;
  }
};

// The frame `f` of seq as the frame iterator makes it.
std::string frameOf(const SearchHomolParams &p, const std::string &seq, char f) {
  Translation_code tc = p.code;
  BankSeq in = testutil::seqOf(seq, '+'), out;
  EXPECT_EQ(tc.translate(out, in, f), 1) << f;
  return std::string(out.seq(), out.len());
}

class TranslatedCut : public ::testing::Test {
 protected:
  testutil::TempDir dir;
  std::string bank = kGolden + "prot_bank.fa";
  std::vector<std::string> bankSeqs = sequencesOf(testutil::readFile(kGolden + "prot_bank.fa"));
  std::vector<std::string> queries = sequencesOf(testutil::readFile(kGolden + "nuc_queries.fa"));

  SearchHomolParams params(const std::string &extra) {
    SearchHomolParams p;
    const std::string d = SEQ_TEST_DATA "/search/";
    FILE *f = testutil::streamOf("!c " + d + "colors.txt\n!e " + d + "code.txt\n!E Y\n" + extra);
    p.freadParam(f);
    fclose(f);
    p.baseMolType = 0;
    return p;
  }

  // Searches query q with the given settings, in one thread or with threads.
  void search(const std::string &extra, int q, bool threads, Found &out) {
    searchSeq(extra, queries[(size_t)q], threads, out);
  }

  // Searches the nucleotides `seq` as the query.
  void searchSeq(const std::string &extra, const std::string &seq, bool threads, Found &out) {
    SearchHomolParams p = params(extra);
    WorkSeq query;
    query.set(seq.c_str(), (int)seq.size());
    query.frame = '+';
    p.readMatr(query);
    char *list[] = {&bank[0], nullptr};
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    testing::internal::CaptureStdout();
    if (threads)
      searchOnBankMultyThread(p, list, query, out.supers);
    else
      searchOnBank(p, list, query, out.supers);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(chdir(old), 0);
  }

  // Every motif's query segment, read from the whole query's frame it names, is the segment
  // of the cut query's frame that lies on the same nucleotides; the strongest supermotif of
  // each query aligns mostly identical residues with its bank entry.
  void check(int from, int to, int q, const std::string &more = "") {
    const std::string extra =
        "!T " + std::to_string(from) + "\n!t " + std::to_string(to) + "\n" + more;
    Found found;
    search(extra, q, false, found);
    ASSERT_FALSE(found.supers.empty()) << "from " << from;
    const SearchHomolParams p = params(extra);
    const std::string &whole = queries[(size_t)q];
    const int f0 = from > 1 ? from - 1 : 0;
    const int end = std::min(to, (int)whole.size());
    const std::string cut = whole.substr((size_t)f0, (size_t)(end - f0));
    const int tail = (int)whole.size() - end;
    int motifs = 0;
    for (const Supermotif *s : found.supers) {
      for (const Motif *m = s->first; m; m = m->next) {
        ASSERT_TRUE(m->frame >= 'a' && m->frame <= 'f') << m->frame;
        const std::string wf = frameOf(p, whole, m->frame);
        ASSERT_LE(m->qBeg + m->len, (int)wf.size()) << "past the whole query's frame";
        // First codon of the motif, counted from the start (direct) or the end (complementary)
        // of the whole query, then of the cut.
        const bool direct = m->frame <= 'c';
        const int k = m->frame - (direct ? 'a' : 'd');
        const int cutNt = direct ? k + 3 * m->qBeg - f0 : k + 3 * m->qBeg - tail;
        ASSERT_GE(cutNt, 0) << "before the cut";
        const char cutFrame = (char)((direct ? 'a' : 'd') + cutNt % 3);
        const std::string cf = frameOf(p, cut, cutFrame);
        ASSERT_LE(cutNt / 3 + m->len, (int)cf.size());
        EXPECT_EQ(wf.substr((size_t)m->qBeg, (size_t)m->len),
                  cf.substr((size_t)(cutNt / 3), (size_t)m->len))
            << "from " << from << " frame " << m->frame << " at " << m->qBeg;
        motifs++;
      }
    }
    // The best hit: its first motif's residues mostly equal the bank entry's.
    const Supermotif *best = found.supers[0];
    const Motif *m = best->first;
    const std::string q1 = frameOf(p, whole, m->frame).substr((size_t)m->qBeg, (size_t)m->len);
    const std::string b1 = bankSeqs[(size_t)best->bNum].substr((size_t)m->bBeg, (size_t)m->len);
    int same = 0;
    for (size_t i = 0; i < q1.size(); i++) same += q1[i] == b1[i];
    EXPECT_GT(2 * same, (int)q1.size()) << "from " << from << ": " << q1 << " / " << b1;
    EXPECT_GT(motifs, 0);
    // The threaded pipeline places them alike.
    Found two;
    search(extra, q, true, two);
    ASSERT_EQ(two.supers.size(), found.supers.size());
    for (size_t i = 0; i < two.supers.size(); i++) {
      EXPECT_EQ(two.supers[i]->power, found.supers[i]->power);
      EXPECT_EQ(two.supers[i]->first->qBeg, found.supers[i]->first->qBeg);
      EXPECT_EQ(two.supers[i]->first->frame, found.supers[i]->first->frame);
    }
  }
  // The cut searched as a query of its own finds the same supermotifs, motif for motif; each
  // motif of the cut run, read from the whole query's frame that it names, holds the residues
  // that the cut's own frame gave for it.
  void checkAgainstOwnCut(int from, int to, int q, bool threads) {
    const std::string &whole = queries[(size_t)q];
    const int f0 = from > 1 ? from - 1 : 0;
    const int end = std::min(to, (int)whole.size());
    const std::string cut = whole.substr((size_t)f0, (size_t)(end - f0));
    Found cutRun, ownRun;
    searchSeq("!T " + std::to_string(from) + "\n!t " + std::to_string(to) + "\n", whole, threads,
              cutRun);
    searchSeq("", cut, false, ownRun);
    ASSERT_FALSE(ownRun.supers.empty());
    ASSERT_EQ(cutRun.supers.size(), ownRun.supers.size()) << "from " << from << " to " << to;
    const SearchHomolParams p = params("");
    int motifs = 0;
    for (size_t i = 0; i < ownRun.supers.size(); i++) {
      const Supermotif &a = *cutRun.supers[i], &b = *ownRun.supers[i];
      EXPECT_EQ(a.power, b.power);
      EXPECT_EQ(a.bNum, b.bNum);
      EXPECT_EQ(a.numMot, b.numMot);
      const Motif *m = a.first, *o = b.first;
      for (; m && o; m = m->next, o = o->next, motifs++) {
        EXPECT_EQ(m->bBeg, o->bBeg);
        EXPECT_EQ(m->len, o->len);
        EXPECT_EQ(m->sum, o->sum);
        ASSERT_TRUE(o->frame >= 'a' && o->frame <= 'f') << o->frame;
        ASSERT_TRUE(m->frame >= 'a' && m->frame <= 'f') << m->frame;
        EXPECT_EQ(m->frame <= 'c', o->frame <= 'c') << "a strand changed";
        const std::string wf = frameOf(p, whole, m->frame), cf = frameOf(p, cut, o->frame);
        ASSERT_GE(m->qBeg, 0);
        ASSERT_LE(m->qBeg + m->len, (int)wf.size()) << "past the whole query's frame";
        ASSERT_LE(o->qBeg + o->len, (int)cf.size());
        EXPECT_EQ(wf.substr((size_t)m->qBeg, (size_t)m->len),
                  cf.substr((size_t)o->qBeg, (size_t)o->len))
            << "from " << from << " to " << to << ": frame " << m->frame << " at " << m->qBeg
            << ", the cut's frame " << o->frame << " at " << o->qBeg;
      }
      EXPECT_TRUE(!m && !o) << "chains of unequal length";
    }
    EXPECT_GT(motifs, 0);
  }
};

// The direct-strand reading frame of the first query, cut at several starts.
TEST_F(TranslatedCut, DirectFramesAtSeveralStarts) {
  for (int from : {1, 2, 3, 61}) check(from, 100000, 0);
}

// The complementary-strand reading frame of the second query: cut at the start only, then at
// both ends, so that its frames are read from another last codon.
TEST_F(TranslatedCut, ComplementaryFramesCutAtEitherEnd) {
  for (int from : {1, 2, 3, 61}) check(from, 100000, 1);
  const int n = (int)queries[1].size();
  for (int to : {n - 1, n - 2, n - 40}) check(61, to, 1);
  // The selection step bounds the motifs by the whole query: residues past the cut's end stay
  // within it.
  check(61, n - 40, 1, "!l Y\n");
  check(2, n - 40, 1, "!l Y\n!D f\n");
}

// Against the cut searched as a query of its own: the starts 1, 2, 3 and 61 of both queries
// (direct and complementary hits), and ends before the query's end, in one thread and with
// threads.
TEST_F(TranslatedCut, SegmentsAreThoseTheCutItselfGives) {
  for (int q : {0, 1})
    for (int from : {1, 2, 3, 61}) {
      checkAgainstOwnCut(from, 100000, q, false);
      checkAgainstOwnCut(from, 100000, q, true);
    }
  const int n = (int)queries[1].size();
  for (int to : {n - 1, n - 2, n - 40}) {
    checkAgainstOwnCut(1, to, 1, false);
    checkAgainstOwnCut(61, to, 1, true);
  }
}

// Where residue 0 of each cut frame lies on the whole query's frames.
TEST(WholeFrame, StartMovesDirectFramesAndTheTailComplementaryOnes) {
  struct Case {
    char cut;
    int from, tail;
    char frame;
    int offset;
  } cases[] = {{'a', 0, 9, 'a', 0},  {'a', 1, 0, 'b', 0},  {'b', 1, 0, 'c', 0},
               {'c', 1, 0, 'a', 1},  {'a', 60, 5, 'a', 20}, {'c', 61, 0, 'a', 21},
               {'d', 60, 0, 'd', 0}, {'e', 61, 0, 'e', 0},  {'d', 0, 1, 'e', 0},
               {'f', 0, 1, 'd', 1},  {'e', 7, 40, 'f', 13}};
  for (const Case &c : cases) {
    char f = '?';
    int off = -1;
    wholeFrame(c.cut, c.from, c.tail, f, off);
    EXPECT_EQ(f, c.frame) << c.cut << " " << c.from << " " << c.tail;
    EXPECT_EQ(off, c.offset) << c.cut << " " << c.from << " " << c.tail;
  }
}

}  // namespace
