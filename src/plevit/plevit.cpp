// The plevit program: a motif file (typically a search result) turned into a report for people.
#include "plevit.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "aa_code.h"
#include "bank_file.h"
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

bool contains(const std::string &line, const char *word) {
  return line.find(word) != std::string::npos;
}

struct Files {
  FILE *motif = nullptr;
  FILE *report = nullptr;
  FILE *bank = nullptr;
  ~Files() {
    if (bank) fclose(bank);
    if (motif) fclose(motif);
    if (report) fclose(report);
  }
};

// Query blocks of a Swiss-Prot/EMBL or GenBank bank: header copy, summaries, alignments.
void printBlocks(FILE *fin, FILE *fout, Supermotif &sup, Weight_matrix *wm,
                 Translation_code *code, int qFormat) {
  std::string line;
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
        sup.printInfasSW(fout);
        sup.del();
      } else if (contains(line, "Query")) {
        break;
      }
    }

    fseek(fin, blockStart, SEEK_SET);
    if (qFormat == kFormatUnknown) return;

    fputs("\n Supermotifs", fout);
    int n = 1;
    for (;;) {
      const long pos = ftell(fin);
      if (!readRawLine(fin, line)) return;
      if (contains(line, "Supermotif")) {
        fseek(fin, pos, SEEK_SET);
        if (!sup.load(fin)) return;
        const int res = sup.printSupasSW(fout, wm, code, n);
        n++;
        if (res == -3) return;
        sup.del();
      } else if (contains(line, "Query")) {
        fputs("\n\n", fout);
        fseek(fin, pos, SEEK_SET);
        break;
      }
    }
  }
}

// One line per supermotif for PRINTS, BLOCKS and Pfam banks.
void printOneLiners(FILE *fin, FILE *fout, Supermotif &sup, int bFormat) {
  const char *kind = bFormat == kFormatPrints ? "PR" : bFormat == kFormatBlocks ? "BL" : "PF";
  const size_t skip = bFormat == kFormatPfam ? 5 : 3;
  fputs(" Brief Descriptions\n", fout);
  while (sup.load(fin)) {
    // A fresh header each time: a failed read must not show the previous entry.
    SeqInfo info;
    if (info.readSeq(sup.bAdr, sup.bNum) > 0 && sup.first) {
      const char *de = info.getDE();
      std::string text = de ? de : "";
      if (text.size() > 40) text.resize(39);
      const std::string field = text.size() > skip ? text.substr(skip) : std::string();
      fprintf(fout, "%s %-40s  %6d  %6d  %6.2f SD\n", kind, field.c_str(), sup.first->qBeg,
              clampInt32((long long)sup.first->qBeg + sup.first->len), sup.power / 4096000.0);
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
  files.motif = fopen(motifName, "rb");
  if (!files.motif) {
    printf("\n Can't open Motif file %s", motifName);
    return kPlevitNoMotifFile;
  }
  // The report is made anew: never over a file the run reads.
  for (int i = arg; i < argc && i < arg + 4; i++)
    if (i != arg + 1 && wouldOverwrite("Result", reportName, argv[i])) return kPlevitNoResultFile;
  files.report = fopen(reportName, "w");
  if (!files.report) {
    printf("\n Can't open result file %s", reportName);
    return kPlevitNoResultFile;
  }

  std::unique_ptr<Weight_matrix> wm;
  if (nFiles >= 3) {
    FILE *f = fopen(argv[arg + 2], "r");
    if (!f) {
      printf("\n Can't open Matrix file %s", argv[arg + 2]);
    } else {
      wm = std::make_unique<Weight_matrix>();
      wm->fread(f);
      fclose(f);
    }
  }
  std::unique_ptr<Translation_code> code;
  if (nFiles >= 4) {
    FILE *f = fopen(argv[arg + 3], "r");
    if (!f) {
      printf("\n Can't open Translation_code file %s", argv[arg + 3]);
    } else {
      code = std::make_unique<Translation_code>();
      if (code->fread(f) != 0) {
        printf("\n Can't load Translation_code: %s", argv[arg + 3]);
        code.reset();
      }
      fclose(f);
    }
  }

  Supermotif sup;
  if (!sup.load(files.motif)) {
    printf("Can't load motif from file %s\n", motifName);
    return kPlevitNoSupermotif;
  }
  rewind(files.motif);

  files.bank = fopen(sup.bAdr ? sup.bAdr : "", "rb");
  if (!files.bank) {
    printf("Can't open base file %s\n", sup.bAdr ? sup.bAdr : "(null)");
    return kPlevitNoBase;
  }
  FILE *qf = fopen(sup.qAdr ? sup.qAdr : "", "rb");
  if (!qf) {
    printf("Can't open base file %s\n", sup.qAdr ? sup.qAdr : "(null)");
    return kPlevitNoBase;
  }
  const int qFormat = getFormat(qf);
  fclose(qf);
  const int bFormat = getFormat(files.bank);
  sup.del();

  if (bFormat == kFormatSwiss || bFormat == kFormatGenBank)
    printBlocks(files.motif, files.report, sup, wm.get(), code.get(), qFormat);
  else if (bFormat == kFormatPrints || bFormat == kFormatBlocks || bFormat == kFormatPfam)
    printOneLiners(files.motif, files.report, sup, bFormat);

  closeOutput(files.report, reportName);
  files.report = nullptr;
  return kPlevitDone;
}
