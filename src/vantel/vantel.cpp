// The vantel program: every input is read, and every output judged, before the first output
// is begun; the outputs are written whole at the end. Sections, in order:
//   1. command line and side-file names
//   2. the inputs
//   3. side files
//   4. the program
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
#include "hist_xx.h"
#include "motif.h"
#include "params.h"
#include "prediction.h"
#include "regions.h"
#include "seq_adr.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "stat_tables.h"
#include "whole_output.h"
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


// ---- 2. the inputs ----

namespace {

// The similar-sequence list: the bank side of every supermotif of the motif file.
struct AddrList {
  std::vector<SeqAddrPow> sa = std::vector<SeqAddrPow>(kMaxSeqAddr + 1);
  int n = 0;
  ~AddrList() {
    for (int i = 0; i < n; i++) delete[] sa[(size_t)i].name;
  }
};

// Everything the run reads, read before the first file is created.
struct Inputs {
  EntryLog log;  // every entry the run reads: the query and the similar entries
  std::unique_ptr<Mesh> mesh;
  Stats st;
  FILE *mot = nullptr;  // the motif file, open for the counting passes
  AddrList list;
  std::string seqAdr;  // the query: the query side of the first supermotif
  int seqNum = 0;
  WorkSeq query;
  int L = 0;
  std::string qName = " ";
  std::string frames;
  EntryHeaders headers{&log};
  ~Inputs() {
    if (mot) fclose(mot);
  }
};

// Reads the thesaurus, the statistics, the motif file with its list and its query, the
// query's entry and the headers of the similar entries. 0, or the code after its message.
int readInputs(const VantelOptions &opt, Inputs &in) {
  if (opt.meshPath) {
    in.mesh.reset(allocObject<Mesh>());
    if (in.mesh->load(opt.meshPath) != 0) {
      printf("\n Can't read thesaurus %s", opt.meshPath);
      return kVantelNoThesaurus;
    }
  }

  FILE *fst = openInput(opt.statFile, "r");
  if (!fst) {
    printf("\n Can't open statistics file %s", opt.statFile);
    return kVantelNoFile;
  }
  // A report, a motif file, an empty file or a learning that kept no block holds no
  // statistics: a prediction from it would be empty and pass for a real one.
  const bool stats = hasStatistics(fst);
  const bool whole = !stats || statFileWhole(fst, opt.statFile);
  if (stats && whole) loadStats(fst, in.st);
  fclose(fst);
  if (!stats) {
    printf("\n Can't read any statistics from file %s", opt.statFile);
    return kVantelNoStatistics;
  }
  if (!whole) return kVantelNoStatistics;

  if (!(in.mot = openInput(opt.motFile, "r"))) {
    printf("\n Can't open motif file %s", opt.motFile);
    return kVantelNoFile;
  }
  std::string line;
  while (readLine(in.mot, line)) addSeqAddr(line.c_str(), in.list.n, in.list.sa.data(), 0);
  rewind(in.mot);
  {
    Supermotif first;
    if (!first.load(in.mot)) {
      printf("\n Can't read any motif from file %s", opt.motFile);
      return kVantelNoSupermotif;
    }
    in.seqAdr = first.qAdr ? first.qAdr : "";
    in.seqNum = first.qNum;
    if (!motifFileWhole(in.mot, opt.motFile)) return kVantelNoSupermotif;
  }
  in.L = in.query.readSeq(in.seqAdr.c_str(), in.seqNum, &in.log);
  if (in.L <= 0) {
    printf("\n Can't read sequnece number %d from file %s", in.seqNum, in.seqAdr.c_str());
    return kVantelNoQuery;
  }
  {
    SeqInfo qInfo;
    if (qInfo.readSeq(in.seqAdr.c_str(), in.seqNum, &in.log)) {
      std::unique_ptr<char[]> id(qInfo.getID());
      if (id) in.qName = id.get();
    }
  }
  in.frames = getFrames(opt.motFile);
  bool anyRead = false;
  for (int i = 0; i < in.list.n; i++)
    anyRead |= in.headers.get(in.list.sa[(size_t)i].name, in.list.sa[(size_t)i].num) != nullptr;
  // Without one similar entry the prediction would be empty and pass for a real one.
  if (in.list.n > 0 && !anyRead) {
    printf("\n Can't read any of the %d similar entries named in %s: nothing to predict",
           in.list.n, opt.motFile);
    return kVantelNoEntry;
  }
  return 0;
}

// ---- 3. side files ----

// ".inf": the headers of the listed sequences; ".pro": their accessions and the head of
// the statistics file. Returns 0, or kVantelNoFile after a message.
int writeSideFiles(const char *statFile, FILE *finf, FILE *fpro, Inputs &in) {
  fputs("\n List  of all similar sequences.\n", fpro);
  for (int i = 0; i < in.list.n; i++) {
    const SeqAddrPow &a = in.list.sa[(size_t)i];
    SeqInfo *info = in.headers.get(a.name, a.num);
    if (!info) continue;
    info->save(finf);
    char *ac = info->getAC();
    fprintf(fpro, "\n%-9s    %6d", ac ? ac : " ", a.num);
    delete[] ac;
  }
  FILE *fst = openInput(statFile, "r");
  if (!fst) {
    printf("\n Can't open statistics file %s", statFile);
    return kVantelNoFile;
  }
  // The head of the statistics file, line ends as they are, up to the first block.
  std::string line;
  while (readRawLine(fst, line) && line.find("_statistics") == std::string::npos)
    fwrite(line.data(), 1, line.size(), fpro);
  fclose(fst);
  return 0;
}

}  // namespace

// ---- 4. the program ----

int run_vantel(int argc, char **argv) {
  VantelOptions opt;
  if (getOptions(argc, argv, opt) != 0) {
    fputs(kVantelUsageText, stdout);
    return kVantelUsage;
  }
  std::unique_ptr<char[]> inf(chExt(opt.statFile, ".inf")), pro(chExt(opt.statFile, ".pro"));
  const char *dist = opt.wrDist ? "fun_dist.txt" : nullptr;

  // Nothing is created over an input or over another of the files the run creates.
  struct Output {
    const char *what, *path;
  };
  const Output outs[] = {{"Side", inf.get()},       {"Side", pro.get()}, {"Column", opt.colFile},
                         {"Result", opt.resFile}, {"Side", dist}};
  for (size_t i = 0; i < std::size(outs); i++) {
    for (const char *in : {opt.statFile, opt.motFile, opt.meshPath})
      if (wouldOverwrite(outs[i].what, outs[i].path, in)) return kVantelNoFile;
    for (size_t j = i + 1; j < std::size(outs); j++)
      if (wouldOverwrite(outs[i].what, outs[i].path, outs[j].path)) return kVantelNoFile;
  }

  Inputs in;
  if (int rc = readInputs(opt, in)) return rc;
  // Nor the banks that the motif file names, nor their indexes.
  std::vector<std::string> banks = {in.seqAdr};
  for (int i = 0; i < in.list.n; i++)
    if (in.list.sa[(size_t)i].name) banks.push_back(in.list.sa[(size_t)i].name);
  for (const Output &out : outs)
    for (const std::string &b : banks)
      if (wouldOverwrite(out.what, out.path, b.c_str()) ||
          wouldOverwrite(out.what, out.path, indexPath(b.c_str()).c_str()))
        return kVantelNoFile;

  // The outputs, once every input is read: each is judged before any is begun, and all but
  // the listing are written whole at the end.
  FILE *fcol = nullptr, *finf = nullptr, *fpro = nullptr, *fres = nullptr;
  struct Made {
    const char *what, *path, *message;
    FILE **f;  // null for the listing, which is appended to
  };
  const Made made[] = {{"fun_dist.txt", dist, "\n Can't open file %s", nullptr},
                       {"column file", opt.colFile, "\n Can't create column file %s", &fcol},
                       {inf.get(), inf.get(), "\n Can't create file %s", &finf},
                       {pro.get(), pro.get(), "\n Can't create file %s", &fpro},
                       {"prediction file", opt.resFile, "\n Can't create result file %s", &fres}};
  for (const Made &m : made)
    if (m.path && outputRefusal(m.path)) {
      printf(m.message, m.path);
      return kVantelNoFile;
    }
  if (dist) {
    FILE *fd = fopen(dist, "a");
    if (!fd) {
      printf("\n Can't open file %s", dist);
      return kVantelNoFile;
    }
    fprintf(fd, "Motif %s\n", opt.motFile);
    const bool bad = fflush(fd) != 0 || ferror(fd);
    if (fclose(fd) != 0 || bad) {
      printf("\n Can't write file %s", dist);
      return kVantelNoFile;
    }
  }
  WholeOutput out;
  for (const Made &m : made)
    if (m.f && m.path && !(*m.f = out.open(m.what, m.path))) {
      printf(m.message, m.path);
      return kVantelNoFile;
    }
  if (int rc = writeSideFiles(opt.statFile, finf, fpro, in)) return rc;

  Stats &st = in.st;
  const int L = in.L;
  const int nucleic = getMolType(in.query.seq(), L) != 0;
  // Positions of a protein query are never scaled, whatever frames its bank side had.
  const int intFra = nucleic && !in.frames.empty() ? 3 : 1;

  Counter counter(st, in.seqAdr.c_str(), in.seqNum, L, in.headers, in.mesh.get(), fcol);
  KwCounts kc(st);
  counter.pass(in.mot, false, kc);
  counter.finishFeatures();

  std::unique_ptr<KwCounts> recount;
  if (opt.sumType == 0) {
    rewind(in.mot);
    recount.reset(allocObject<KwCounts>(st));
    counter.pass(in.mot, true, *recount);
  }

  if (nucleic) {
    const std::string name = in.frames.empty() ? in.qName : in.qName + "(" + in.frames + ")";
    fprintf(fres, "ID   %-18sstandard;  RNA; ???; %10d BP.\n", name.c_str(), L);
  } else {
    fprintf(fres, "ID   %-16sSTANDARD;      PRT;%10d AA.\n", in.qName.c_str(), L);
  }
  const time_t now = time(nullptr);
  const char *when = ctime(&now);
  fprintf(fres, "CC   ____________ Predicted KELVA, Version 5.0, %s", when ? when : "\n");
  writeKeywords(fres, st, L, intFra, opt.sumType, opt.wrDist, kc, recount.get(), fpro);
  if (!st.ft.empty()) writeFeatures(fres, st, L, intFra, counter.ft, fpro);
  in.query.print(fres, nucleic ? kFormatGenBank : kFormatSwiss, nucleic ? "BP" : "AA");
  out.commit();
  in.log.printEnd();
  return kVantelDone;
}
