// The plevit program: a motif file (typically a search result) turned into a report for people.
// Every input (motif file, matrix, genetic code, the bank and query files of the first
// supermotif) is opened and checked before the report is created; the entries printed are
// fetched through one entry log, which tells index faults once per bank.
#include "plevit.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "aa_code.h"
#include "bank_file.h"
#include "block_output.h"
#include "errormsg.h"
#include "params.h"
#include "inv_sqrt.h"
#include "motif.h"
#include "seqbase.h"
#include "seqinfo.h"
#include "w_matrix.h"

const char kPlevitUsageText[] =
    "Print supermotifs\nUSAGE: PLEVIT.EXE [option] motifFileName resultFileName "
    "[Wmatrix TranslationCode]\n";

namespace {

constexpr char kNotMatrixMsg[] =
    "\n File %s is no weight matrix: a line of column letters, then rows of a letter and numbers";
constexpr char kNeedsCodeMsg[] =
    "\n A genetic code file is needed to print translated supermotifs: plevit motif_file "
    "report_file matrix_file code_file";
constexpr char kNothingMsg[] =
    "\n Nothing could be printed: %d of the %d entries asked for could not be read";

bool contains(const std::string &line, const char *word) {
  return line.find(word) != std::string::npos;
}

struct Files {
  FILE *motif = nullptr;
  ~Files() {
    if (motif) fclose(motif);
  }
};

bool isDirectory(const char *name) {
  struct stat st;
  return stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

// The weight matrix of the command line into wm: kPlevitDone, or kPlevitBadMatrix after a
// message naming the file when it is a directory or no weight matrix. A file that does not
// open leaves wm empty after its message (a word in the matrix's place lets a code file
// follow).
int loadMatrix(const char *name, std::unique_ptr<Weight_matrix> &wm) {
  const int check = checkMatrixFile(name);
  FILE *f = check == kMatrixOk ? openInput(name, "r") : nullptr;
  if (!f) {
    if (check == kMatrixNotMatrix)
      printf(kNotMatrixMsg, name);
    else
      printf("\n Can't open Matrix file %s", name);
    return check == kMatrixNotMatrix || isDirectory(name) ? kPlevitBadMatrix : kPlevitDone;
  }
  wm.reset(allocObject<Weight_matrix>());
  wm->fread(f);
  fclose(f);
  return kPlevitDone;
}

// The genetic code of the command line into code: kPlevitDone, or kPlevitBadCode after a
// message naming the file when it is a directory. A file that does not open or read as a
// code leaves code empty after its message: a translated supermotif then ends the run.
int loadCode(const char *name, std::unique_ptr<Translation_code> &code) {
  FILE *f = openInput(name, "r");
  if (!f) {
    printf("\n Can't open Translation_code file %s", name);
    return isDirectory(name) ? kPlevitBadCode : kPlevitDone;
  }
  code.reset(allocObject<Translation_code>());
  const int bad = code->fread(f);
  fclose(f);
  if (bad) {
    printf("\n Can't load Translation_code: %s", name);
    code.reset();
  }
  return kPlevitDone;
}

// Opens the bank and then the query file of the first supermotif, whose formats decide the
// form of the whole report. kPlevitDone with the bank's format in bFormat; kPlevitNoBase
// when one can't be opened (a directory can't), or the suite's 99 when one is compressed,
// binary or of no known format, each after a message naming the file.
int checkFirstFiles(const Supermotif &sup, int &bFormat) {
  const char *names[2] = {sup.bAdr, sup.qAdr};
  FILE *files[2] = {nullptr, nullptr};
  for (int i = 0; i < 2; i++) {
    files[i] = openInput(names[i]);
    if (!files[i]) {
      printf("Can't open base file %s\n", names[i] ? names[i] : "(null)");
      if (i) fclose(files[0]);
      return kPlevitNoBase;
    }
  }
  int rc = kPlevitDone;
  for (int i = 0; i < 2 && rc == kPlevitDone; i++) {
    const int kind = fileKind(files[i]);
    const int format = kind == kKindText ? getFormat(files[i]) : kFormatUnknown;
    if (format == kFormatUnknown) {
      printUnknownFormat(names[i], kind);
      rc = kExitBadFormat;
    }
    if (i == 0) bFormat = format;
  }
  fclose(files[0]);
  fclose(files[1]);
  return rc;
}

// The supermotifs a report tried to print and those it printed; `complete` false when a
// translated supermotif found no code (the run ends there).
struct Printed {
  int tried = 0, done = 0;
  bool complete = true;
};

// Query blocks of a FASTA, Swiss-Prot/EMBL or GenBank bank: header copy, summaries,
// alignments. Each alignment is one block of the report, and so is the part of a query block
// before its first alignment: a stopped run ends between whole alignments.
void printBlocks(FILE *fin, BlockOutput &out, Supermotif &sup, Weight_matrix *wm,
                 Translation_code *code, EntryLog &log, Printed &p) {
  std::string line;
  FILE *fout = out.block();
  for (;;) {
    // Header lines up to the block's first supermotif (or the end of the file).
    long blockStart;
    for (;;) {
      blockStart = ftell(fin);
      if (!readRawLine(fin, line)) break;
      if (contains(line, "Supermotif")) {
        fseek(fin, blockStart, SEEK_SET);
        break;
      }
      fwrite(line.data(), 1, line.size(), fout);
    }

    fputs(" Brief Descriptions\n", fout);
    for (;;) {
      const long pos = ftell(fin);
      if (!readRawLine(fin, line)) break;
      if (contains(line, "Supermotif")) {
        fseek(fin, pos, SEEK_SET);
        if (!sup.load(fin)) break;
        sup.printInfasSW(fout, &log);
        sup.del();
      } else if (contains(line, "Query")) {
        break;
      }
    }

    fseek(fin, blockStart, SEEK_SET);
    fputs("\n Supermotifs", fout);
    int n = 1;
    bool more = false;  // another query block follows
    for (;;) {
      const long pos = ftell(fin);
      if (!readRawLine(fin, line)) break;
      if (contains(line, "Supermotif")) {
        fseek(fin, pos, SEEK_SET);
        if (!sup.load(fin)) break;
        const int res = sup.printSupasSW(fout, wm, code, n, &log);
        n++;
        if (res == -3) {
          p.complete = false;
          break;
        }
        out.endBlock();
        p.tried++;
        if (res == 0) p.done++;
        sup.del();
      } else if (contains(line, "Query")) {
        fputs("\n\n", fout);
        fseek(fin, pos, SEEK_SET);
        more = true;
        break;
      }
    }
    if (!more) break;
  }
  out.endBlock();
}

// One line per supermotif for PRINTS, BLOCKS and Pfam banks, each line one block.
void printOneLiners(FILE *fin, BlockOutput &out, Supermotif &sup, int bFormat, EntryLog &log,
                    Printed &p) {
  const char *kind = bFormat == kFormatPrints ? "PR" : bFormat == kFormatBlocks ? "BL" : "PF";
  const size_t skip = bFormat == kFormatPfam ? 5 : 3;
  fputs(" Brief Descriptions\n", out.block());
  out.endBlock();
  while (sup.load(fin)) {
    // A fresh header each time: a failed read must not show the previous entry.
    SeqInfo info;
    p.tried++;
    if (info.readSeq(sup.bAdr, sup.bNum, &log) > 0 && sup.first) {
      p.done++;
      const char *de = info.getDE();
      std::string text = de ? de : "";
      if (text.size() > 40) text.resize(39);
      const std::string field = text.size() > skip ? text.substr(skip) : std::string();
      fprintf(out.block(), "%s %-40s  %6d  %6d  %6.2f SD\n", kind, field.c_str(),
              sup.first->qBeg, clampInt32((long long)sup.first->qBeg + sup.first->len),
              sup.power / 4096000.0);
      out.endBlock();
    }
    sup.del();
  }
}

}  // namespace

int run_plevit(int argc, char **argv) {
  int arg = 1;
  if (argc > 1 && argv[1][0] == '-' && (argv[1][1] == 'A' || argv[1][1] == 'a')) arg = 2;
  const int nFiles = argc - arg;
  if (nFiles < 2) {
    fputs(kPlevitUsageText, stdout);
    return kPlevitUsage;
  }
  const char *motifName = argv[arg];
  const char *reportName = argv[arg + 1];

  Files files;
  files.motif = openInput(motifName);
  if (!files.motif) {
    printf("\n Can't open Motif file %s", motifName);
    return kPlevitNoMotifFile;
  }
  std::unique_ptr<Weight_matrix> wm;
  if (nFiles >= 3)
    if (int rc = loadMatrix(argv[arg + 2], wm)) return rc;
  std::unique_ptr<Translation_code> code;
  if (nFiles >= 4)
    if (int rc = loadCode(argv[arg + 3], code)) return rc;

  if (!motifFileWhole(files.motif, motifName)) return kPlevitNoSupermotif;
  Supermotif sup;
  if (!sup.load(files.motif)) {
    printf("Can't load motif from file %s\n", motifName);
    return kPlevitNoSupermotif;
  }
  int bFormat = kFormatUnknown;
  if (int rc = checkFirstFiles(sup, bFormat)) return rc;
  // Every bank and query file the motif file names is read, with its index: the report never
  // goes over one.
  std::set<std::string> read;
  do {
    for (const char *bank : {sup.qAdr, sup.bAdr})
      if (bank) {
        read.insert(bank);
        read.insert(indexPath(bank));
      }
    sup.del();
  } while (sup.load(files.motif));
  rewind(files.motif);

  for (int i = arg; i < argc && i < arg + 4; i++)
    if (i != arg + 1 && wouldOverwrite("Result", reportName, argv[i])) return kPlevitNoResultFile;
  for (const std::string &name : read)
    if (wouldOverwrite("Result", reportName, name.c_str())) return kPlevitNoResultFile;
  // Written in place, one block at a time: a run stopped by a signal or a full disk leaves a
  // report that ends at the end of a whole alignment or one-line summary.
  BlockOutput report;
  if (!report.open(reportName)) {
    printf("\n Can't open result file %s", reportName);
    return kPlevitNoResultFile;
  }

  EntryLog log;
  Printed p;
  if (bFormat == kFormatPrints || bFormat == kFormatBlocks || bFormat == kFormatPfam)
    printOneLiners(files.motif, report, sup, bFormat, log, p);
  else
    printBlocks(files.motif, report, sup, wm.get(), code.get(), log, p);
  report.close();

  if (!p.complete) {
    printf(kNeedsCodeMsg);
    log.printEnd();
    return kPlevitNeedsCode;
  }
  // A report of headers alone, because the entries could not be read, is no success.
  if (log.allUnreadable() || (p.tried > 0 && p.done == 0 && log.unreadable() > 0)) {
    printf(kNothingMsg, log.unreadable(), log.asked());
    return kPlevitNoEntry;
  }
  log.printEnd();
  return kPlevitDone;
}
