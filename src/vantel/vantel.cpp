// The vantel program. Sections, in order:
//   1. command line and side-file names
//   2. similar sequences and side files
//   3. the program
#include "vantel.h"


#include <cctype>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bank_file.h"
#include "errormsg.h"
#include "homolog_counts.h"
#include "mesh.h"
#include "motif.h"
#include "params.h"
#include "prediction.h"
#include "regions.h"
#include "seq_adr.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "stat_tables.h"
#include "work_seq.h"

// ---- 1. command line and side-file names ----

const char kVantelUsageText[] =
    "Feature Table Prediction: for the given statistics adn motifs\n"
    "USAGE: vantel stat_file motif_file result_file [-M mesh_name] [options]\n"
    "   options:\n"
    "     -S - count all,ksi without length taking into account.\n";

int getOptions(int argc, char **argv, VantelOptions &opt) {
  if (argc < 4) return kVantelUsage;
  opt.statFile = argv[1];
  opt.motFile = argv[2];
  opt.resFile = argv[3];
  // The file names are never options: an absolute path such as /cluster/... must not
  // create its neighbour as a column file.
  for (int i = 4; i < argc; i++) {
    const char *a = argv[i];
    if ((a[0] != '-' && a[0] != '/') || !a[1]) continue;
    switch (toupper((unsigned char)a[1])) {
      case 'M':
      case 'C': {
        // A value is taken as it is, never read as an option; "-M -S" keeps its -S.
        if (i + 1 >= argc || argv[i + 1][0] == '-') break;
        const char *v = argv[++i];
        if (toupper((unsigned char)a[1]) == 'M')
          opt.meshPath = v;
        else
          opt.colFile = v;
        break;
      }
      case 'D': opt.wrDist = 1; break;
      case 'S': opt.sumType = 0; break;
      default: break;  // H has no effect, other letters none either
    }
  }
  return 0;
}


// ---- 2. similar sequences and side files ----

namespace {

// The similar-sequence list: the bank side of every supermotif of the motif file.
struct AddrList {
  std::vector<SeqAddrPow> sa = std::vector<SeqAddrPow>(kMaxSeqAddr + 1);
  int n = 0;
  ~AddrList() {
    for (int i = 0; i < n; i++) delete[] sa[(size_t)i].name;
  }
};

struct OpenFiles {
  FILE *mot = nullptr, *col = nullptr, *res = nullptr;
  ~OpenFiles() {
    for (FILE *f : {mot, col, res})
      if (f) fclose(f);
  }
};

// Closes f; 0 when every write reached the file.
int closeChecked(FILE *f) {
  const bool bad = fflush(f) != 0 || ferror(f);
  return (fclose(f) != 0 || bad) ? 1 : 0;
}

// ".inf": the headers of the listed sequences; ".pro": their accessions and the head of
// the statistics file. Returns 0, or kVantelNoFile after a message.
int writeSideFiles(const char *statFile, const char *inf, const char *pro, AddrList &list) {
  FILE *finf = fopen(inf, "w");
  if (!finf) {
    printf("\n Can't create file %s", inf);
    return kVantelNoFile;
  }
  FILE *fpro = fopen(pro, "w");
  if (!fpro) {
    fclose(finf);
    printf("\n Can't create file %s", pro);
    return kVantelNoFile;
  }
  fputs("\n List  of all similar sequences.\n", fpro);
  SeqInfo info;
  for (int i = 0; i < list.n; i++) {
    const SeqAddrPow &a = list.sa[(size_t)i];
    if (!info.readSeq(a.name, a.num)) continue;
    info.save(finf);
    char *ac = info.getAC();
    fprintf(fpro, "\n%-9s    %6d", ac ? ac : " ", a.num);
    delete[] ac;
  }
  int bad = closeChecked(finf);
  FILE *fst = fopen(statFile, "r");
  if (!fst) {
    fclose(fpro);
    printf("\n Can't open statistics file %s", statFile);
    return kVantelNoFile;
  }
  // The head of the statistics file, line ends as they are, up to the first block.
  std::string line;
  while (readRawLine(fst, line) && line.find("_statistics") == std::string::npos)
    fwrite(line.data(), 1, line.size(), fpro);
  fclose(fst);
  bad |= closeChecked(fpro);
  if (bad) {
    printf("\n Can't write the files %s and %s", inf, pro);
    return kVantelNoFile;
  }
  return 0;
}

}  // namespace

// ---- 3. the program ----

int run_vantel(int argc, char **argv) {
  VantelOptions opt;
  if (getOptions(argc, argv, opt) != 0) {
    fputs(kVantelUsageText, stdout);
    return kVantelUsage;
  }
  std::unique_ptr<char[]> inf(chExt(opt.statFile, ".inf")), pro(chExt(opt.statFile, ".pro"));

  // Nothing is created over an input or over another of the files the run creates.
  struct Output {
    const char *what, *path;
  };
  const Output outs[] = {
      {"Side", inf.get()}, {"Side", pro.get()}, {"Column", opt.colFile}, {"Result", opt.resFile}};
  for (size_t i = 0; i < std::size(outs); i++) {
    for (const char *in : {opt.statFile, opt.motFile, opt.meshPath})
      if (wouldOverwrite(outs[i].what, outs[i].path, in)) return kVantelNoFile;
    for (size_t j = i + 1; j < std::size(outs); j++)
      if (wouldOverwrite(outs[i].what, outs[i].path, outs[j].path)) return kVantelNoFile;
  }

  std::unique_ptr<Mesh> mesh;
  if (opt.meshPath) {
    mesh.reset(allocObject<Mesh>());
    mesh->load(opt.meshPath);  // a thesaurus that can't be read stays empty
  }
  OpenFiles files;
  if (opt.wrDist) {
    FILE *fd = fopen("fun_dist.txt", "a");
    if (!fd) {
      printf("\n Can't open file %s", "fun_dist.txt");
      return kVantelNoFile;
    }
    fprintf(fd, "Motif %s\n", opt.motFile);
    if (closeChecked(fd)) {
      printf("\n Can't write file %s", "fun_dist.txt");
      return kVantelNoFile;
    }
  }

  Stats st;
  {
    FILE *fst = fopen(opt.statFile, "r");
    if (!fst) {
      printf("\n Can't open statistics file %s", opt.statFile);
      return kVantelNoFile;
    }
    loadStats(fst, st);
    fclose(fst);
  }

  if (!(files.mot = fopen(opt.motFile, "r"))) {
    printf("\n Can't open motif file %s", opt.motFile);
    return kVantelNoFile;
  }
  AddrList list;
  {
    std::string line;
    while (readLine(files.mot, line)) addSeqAddr(line.c_str(), list.n, list.sa.data(), 0);
    rewind(files.mot);
  }

  // The query, before the side files: a run that ends here leaves the last ones as they are.
  std::string seqAdr;
  int seqNum = 0;
  {
    Supermotif first;
    if (!first.load(files.mot)) {
      printf("\n Can't read any motif from file %s", opt.motFile);
      return kVantelNoSupermotif;
    }
    seqAdr = first.qAdr ? first.qAdr : "";
    seqNum = first.qNum;
    rewind(files.mot);
  }
  WorkSeq query;
  const int L = query.readSeq(seqAdr.c_str(), seqNum);
  if (L <= 0) {
    printf("\n Can't read sequnece number %d from file %s", seqNum, seqAdr.c_str());
    return kVantelNoQuery;
  }

  // Nor the banks that the motif file names, which are read from here on: the column file
  // is made only now, once they are known.
  for (const Output &out : outs) {
    if (wouldOverwrite(out.what, out.path, seqAdr.c_str())) return kVantelNoFile;
    for (int i = 0; i < list.n; i++)
      if (wouldOverwrite(out.what, out.path, list.sa[(size_t)i].name)) return kVantelNoFile;
  }
  if (opt.colFile && !(files.col = fopen(opt.colFile, "w"))) {
    printf("\n Can't create column file %s", opt.colFile);
    return kVantelNoFile;
  }
  if (int rc = writeSideFiles(opt.statFile, inf.get(), pro.get(), list)) return rc;

  std::string qName = " ";
  {
    SeqInfo qInfo;
    if (qInfo.readSeq(seqAdr.c_str(), seqNum)) {
      std::unique_ptr<char[]> id(qInfo.getID());
      if (id) qName = id.get();
    }
  }
  const std::string frames = getFrames(opt.motFile);
  const int nucleic = getMolType(query.seq(), L) != 0;
  // Positions of a protein query are never scaled, whatever frames its bank side had.
  const int intFra = nucleic && !frames.empty() ? 3 : 1;

  Counter counter(st, seqAdr.c_str(), seqNum, L, mesh.get(), files.col);
  KwCounts kc(st);
  counter.pass(files.mot, false, kc);
  counter.finishFeatures();
  fclose(files.mot);
  files.mot = nullptr;
  if (files.col) {
    const int bad = closeChecked(files.col);
    files.col = nullptr;
    if (bad) printf("\n Can't write column file %s", opt.colFile);
  }

  std::unique_ptr<KwCounts> recount;
  if (opt.sumType == 0) {
    if (!(files.mot = fopen(opt.motFile, "r"))) {
      printf("\n Can't open motif file %s", opt.motFile);
      return kVantelNoFile;
    }
    recount.reset(allocObject<KwCounts>(st));
    counter.pass(files.mot, true, *recount);
  }

  if (!(files.res = fopen(opt.resFile, "w"))) {
    printf("\n Can't create result file %s", opt.resFile);
    return kVantelNoFile;
  }
  FILE *fres = files.res;
  if (nucleic) {
    const std::string name = frames.empty() ? qName : qName + "(" + frames + ")";
    fprintf(fres, "ID   %-18sstandard;  RNA; ???; %10d BP.\n", name.c_str(), L);
  } else {
    fprintf(fres, "ID   %-16sSTANDARD;      PRT;%10d AA.\n", qName.c_str(), L);
  }
  const time_t now = time(nullptr);
  const char *when = ctime(&now);
  fprintf(fres, "CC   ____________ Predicted KELVA, Version 5.0, %s", when ? when : "\n");
  writeKeywords(fres, st, L, intFra, opt.sumType, opt.wrDist, kc, recount.get(), pro.get());
  if (!st.ft.empty()) writeFeatures(fres, st, L, intFra, counter.ft, pro.get());
  query.print(fres, nucleic ? kFormatGenBank : kFormatSwiss, nucleic ? "BP" : "AA");
  files.res = nullptr;
  closeOutput(fres, opt.resFile);
  return kVantelDone;
}
