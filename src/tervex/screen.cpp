// Full and Base screening and the search of one query against the listed sequences that they
// share with Shorten. The comparison itself is the engine of `search`: one SearchHomol over the
// query's division, motSplit2, Find_clusters and addSuper; Base goes through searchOnBank.
#include "tervex.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "cluster.h"
#include "errormsg.h"
#include "inv_sqrt.h"
#include "onbank.h"
#include "seahom.h"
#include "sysconn.h"

// ---------------------------------------------------------------- work

namespace {

// Full and Base name each listed entry they can't read in the same words.
void reportUnreadable(const char *path, int num) {
  printf("\n Can't read sequence from address %s %d", path, num);
}

}  // namespace

bool readEntry(WorkSeq &s, const char *path, int num, EntryLog &log) {
  return s.readSeq(path, num, &log) > 0;
}

const WorkSeq *SeqCache::get(const char *path, int num, bool *unreadable) {
  auto key = std::make_pair(std::string(path ? path : ""), num);
  auto it = seqs_.find(key);
  if (it == seqs_.end()) {
    Cached c;
    c.seq.reset(new WorkSeq);
    // A failed read keeps nothing of an earlier sequence: the object is new.
    if (!readEntry(*c.seq, path, num, log_)) {
      c.seq.reset();
      c.unreadable = log_.lastFailed();
    }
    it = seqs_.emplace(key, std::move(c)).first;
  }
  if (unreadable) *unreadable = it->second.unreadable;
  return it->second.seq.get();
}

ScreenWork::ScreenWork(EntryLog &log) : cache(log) {
  mot = new (std::nothrow) MotifWei[kMaxMotifs];
  if (!mot) noRoom((long long)kMaxMotifs * (long long)sizeof(MotifWei));
  // motSplit2 writes at most three pieces of a motif.
  newMot = new (std::nothrow) Motif[3 * kMaxMotifs];
  if (!newMot) noRoom(3LL * kMaxMotifs * (long long)sizeof(Motif));
}

ScreenWork::~ScreenWork() {
  delete[] mot;
  delete[] newMot;
}

bool openResult(BlockOutput &out, const char *fileName) {
  if (out.open(fileName)) return true;
  printf("\n Can't open result file %s", fileName);
  return false;
}

void appendSupers(BlockOutput &out, std::vector<Supermotif *> &sups, const char *qName, int qNum) {
  if (sups.empty()) return;
  FILE *f = out.block();
  for (Supermotif *s : sups) {
    s->printSuper(f, qName, qNum, '+');
    delete s;
  }
  sups.clear();
  out.endBlock();
}

// ---------------------------------------------------------------- one query against the list

int searchOnSa(SearchHomolParams &searchParams, const SeqAddrPow *sa, int numSa, int nFrom,
               const BankSeq &_query, std::vector<Supermotif *> &result, const Shift *segm,
               int theSame, ScreenWork &work) {
  result.clear();
  WorkSeq query;
  const int from = (searchParams.From > 1 ? searchParams.From : 1) - 1;
  if (query.cut(_query, from, searchParams.To)) return 0;
  searchParams.requireColors();

  Division_generator gen(&searchParams.ag, &query, searchParams.winWidth, searchParams.coiNum,
                         searchParams.partSize, searchParams.useLookingTable,
                         searchParams.thLength, 0);
  SearchHomol engine(searchParams);
  engine.makeDivision(gen);
  engine.makeFreq();
  engine.normMatr();
  // The frames of one comparison are all alike, so motSplit2 never cuts with the sums.
  engine.fillWei = 0;

  const ClusterThresholds th = clusterThresholds(searchParams);
  const int strands = engine.queMolType == 1 ? 2 : 1;
  const int shiftQuery = segm ? segm[nFrom].x : 0;

  WorkSeq bank;
  for (int i = 0; i < numSa; i++) {
    if (theSame && sa[i].num == sa[nFrom].num && !strcmp(sa[i].name, sa[nFrom].name)) continue;
    const WorkSeq *whole = work.cache.get(sa[i].name, sa[i].num);
    if (!whole) continue;
    const int L = whole->len();
    int x = 0;
    const BankSeq *partner = whole;
    if (segm) {
      // A region that holds nothing of the sequence is not searched.
      if (bank.cut(*whole, segm[i].x, segm[i].x + segm[i].len)) continue;
      x = std::max(segm[i].x, 0);
      partner = &bank;
    } else if (strands == 2) {
      bank = *whole;  // to be reversed
      partner = &bank;
    }
    const int cutLen = partner->len();
    for (int s = 0; s < strands; s++) {
      int nMot = engine.compTwoSeq(*partner, work.mot, kMaxMotifs);
      if (nMot > 0) {
        motSplit2(nMot, work.mot, work.newMot, searchParams.eachFrame);
        Supermotif **sups = nullptr;
        const int c = Find_clusters(nMot, work.newMot, sups, th.lenThres, th.powThres, th.gapPenal);
        if (segm) {
          // Back to whole-sequence positions; strand 1 counts on the reversed whole sequence.
          const int shiftBank = s == 0 ? x : L - x - cutLen;
          for (int k = 0; k < c; k++)
            for (Motif *m = sups[k]->first; m; m = m->next) {
              m->qBeg += shiftQuery;
              m->bBeg += shiftBank;
            }
        }
        addSuper(result, c, sups, searchParams.maxSuper, sa[i].name, sa[i].num);
        delete[] sups;
      }
      if (s + 1 < strands) {
        bank.reverse();
        bank.frame = '-';
      }
    }
  }
  return (int)result.size();
}

// ---------------------------------------------------------------- Full

std::vector<std::pair<int, int>> fullWindows(int L) {
  std::vector<std::pair<int, int>> w;
  int From = 1, To = 500;
  while (From < L) {
    w.push_back({From, To});
    From = To + 1;
    // The rest joins the last window unless more than 600 letters remain.
    To = L - To > 600 ? To + 500 : L;
  }
  return w;
}

int full_tervex(int nSeqLoop, SeqAddrPow *sa, SearchHomolParams &search, int &allLen,
                const char *fileName, EntryLog &log) {
  BlockOutput out;
  if (!openResult(out, fileName)) return kTervexNoResultFile;
  allLen = 0;
  ScreenWork work(log);
  std::vector<Supermotif *> result;
  for (int i = 0; i < nSeqLoop; i++) {
    bool unreadable = false;
    const WorkSeq *seq = work.cache.get(sa[i].name, sa[i].num, &unreadable);
    if (!seq) {
      if (unreadable) reportUnreadable(sa[i].name, sa[i].num);
      continue;
    }
    const int L = seq->len();
    printf("\n bSeq %3d idx %d len %d %s", i, sa[i].num, L, sa[i].name);
    search.readMatr(*seq);
    for (const std::pair<int, int> &win : fullWindows(L)) {
      search.From = win.first;
      search.To = win.second;
      searchOnSa(search, sa, nSeqLoop, i, *seq, result, nullptr, 1, work);
      appendSupers(out, result, sa[i].name, sa[i].num);
    }
    allLen += L;
  }
  out.close();
  return 0;
}

// ---------------------------------------------------------------- Base

int pieceOffset(int L, int maxQueLen, LibcRandom &rnd) {
  if (L <= maxQueLen) return 0;
  return truncToInt((rnd.next() / 2147483647.0) * (L - maxQueLen));
}

namespace {

// Base's piece of seq: at most maxQueLen letters from a drawn offset. The offset, or -1 when
// the piece holds nothing.
int cutPiece(const WorkSeq &seq, int maxQueLen, LibcRandom &rnd, WorkSeq &piece) {
  const int L = seq.len();
  const int off = pieceOffset(L, maxQueLen, rnd);
  return piece.cut(seq, off, off + std::min(L, maxQueLen)) ? -1 : off;
}

}  // namespace

bool baseNeedsCode(const SearchHomolParams &search, int nSeq, const SeqAddrPow *sa,
                   int maxQueLen, EntryLog &log) {
  LibcRandom rnd;
  const int from = (search.From > 1 ? search.From : 1) - 1;
  for (int i = 0; i < nSeq; i++) {
    WorkSeq seq, piece, cut;
    if (!readEntry(seq, sa[i].name, sa[i].num, log)) continue;
    // The same cuts as the search: the piece, then the query's From..To.
    if (cutPiece(seq, maxQueLen, rnd, piece) < 0 || cut.cut(piece, from, search.To)) continue;
    if (needsCode(getMolType(cut.seq(), cut.len()), search.baseMolType)) return true;
  }
  return false;
}

int full_search(SearchHomolParams &search, char **bankList, int nSeq, SeqAddrPow *sa,
                const char *outFileName, const std::vector<std::string> *glue, int maxQueLen,
                EntryLog &log) {
  BlockOutput out;
  if (!openResult(out, outFileName)) return kTervexNoResultFile;
  FILE *f = out.block();
  fputs("Motif file obtained from the SubBase:\n", f);
  if (glue) {
    for (const std::string &line : *glue) fwrite(line.data(), 1, line.size(), f);
  } else {
    for (int i = 0; bankList && bankList[i]; i++) fprintf(f, "%s\n", bankList[i]);
  }
  fputs("\n", f);
  out.endBlock();

  LibcRandom rnd;
  std::vector<Supermotif *> sups;
  for (int i = 0; i < nSeq; i++) {
    WorkSeq seq;
    if (!readEntry(seq, sa[i].name, sa[i].num, log)) {
      if (log.lastFailed()) reportUnreadable(sa[i].name, sa[i].num);
      continue;
    }
    WorkSeq piece;
    const int off = cutPiece(seq, maxQueLen, rnd, piece);
    if (off < 0) continue;
    search.readMatr(piece);
    searchOnBank(search, bankList, piece, sups, 0);
    for (Supermotif *s : sups)
      for (Motif *m = s->first; m; m = m->next) m->qBeg += off;
    appendSupers(out, sups, sa[i].name, sa[i].num);
  }
  out.close();
  return 0;
}
