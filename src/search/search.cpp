// The search program: reads the parameter file and the bank list and opens the query file,
// then writes the parameter banner to the result file, searches every query of the query file
// against all banks and appends each query's supermotifs to the result file (itself a motif
// file).
#include "search.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bank_file.h"
#include "block_output.h"
#include "errormsg.h"
#include "onbank.h"
#include "bank_list.h"
#include "params.h"
#include "seahom_params.h"
#include "searchit.h"
#include "seqbase.h"

namespace {

// The option is the first argument only: "-" then an integer as "%d" reads it ("-1abc" is 1,
// "--2" is -2, "- 2" is 2), clamped to 32 bits. 0 when there is none.
int readOption(int argc, char **argv, int &value) {
  if (argc < 2 || argv[1][0] != '-') return 0;
  const char *text = argv[1] + 1;
  char *end = nullptr;
  value = parseLong(text, &end);
  return end != text;
}

void usage(const char *prog) {
  printf("\nSearch homology USAGE:");
  printf("\n  %s [-{1|2}]  param_file bank_file seq_file result_file", prog);
  printf("\n  Options:");
  printf("\n  -1|-2 single|multy thread,           default  -1\n");
}

void freeList(char **list) {
  if (!list) return;
  for (int i = 0; list[i]; i++) delete[] list[i];
  delete[] list;
}

// Motif files are blank-separated: a path with white space in it can't be read back.
bool hasBlank(const char *s) { return std::strpbrk(s, " \t\r\n") != nullptr; }

}  // namespace

int supCmp(const void *a, const void *b) { return cmpSup(a, b); }

int run_search(int argc, char **argv) {
  int option = 1;
  const int hasOption = readOption(argc, argv, option);
  const int numThreads = (!hasOption || option == 1) ? 1 : 2;
  const int first = hasOption ? 2 : 1;
  if (argc - first < 4) {
    usage(argv[0]);
    return kSearchUsage;
  }
  const char *paramName = argv[first];
  const char *bankListName = argv[first + 1];
  const char *initSeqName = argv[first + 2];
  const char *resultName = argv[first + 3];

  printf("\nSearch parameters:");
  printf("\n  param_file:  %s", paramName);
  printf("\n  bank_file:   %s", bankListName);
  printf("\n  seq_file:    %s", initSeqName);
  printf("\n  result_file: %s", resultName);
  printf("\n  threads:     %d", numThreads);
  printf("\n\n");

  // Every input is opened and checked before the result file is made: a run that stops on
  // an input leaves the result path as it was.
  FILE *f = openInput(paramName);
  if (!f) {
    printf("\n Can't open file with parameters %s", paramName);
    return kSearchNoParamFile;
  }
  SearchHomolParams search;
  if (search.freadParam(f) != 0) {
    fclose(f);
    printf("\n Can't load parameter file %s", paramName);
    return kSearchBadParamFile;
  }
  fclose(f);

  f = openInput(bankListName);
  if (!f) {
    printf("\n Can't open file with base list %s", bankListName);
    return kSearchNoBankList;
  }
  char **base_list = loadList(f);
  fclose(f);
  if (!base_list) return kSearchEmptyBankList;
  search.baseMolType = getBaseMolType(base_list, bankListName);

  if (hasBlank(initSeqName)) {
    printf("\n search: query file path \"%s\" holds white space; motif files can't carry it",
           initSeqName);
    freeList(base_list);
    return kSearchBlankInQueryPath;
  }
  SeqBase querBase(initSeqName);
  if (!querBase.valid()) {
    printf("\n File %s with query sequences is invalid", initSeqName);
    freeList(base_list);
    return kSearchBadQueryFile;
  }
  // Every query is searched with the letter groups, which have no default.
  search.requireColors();
  // The genetic code has no default either: a run without one looks through its queries for
  // a translated comparison before it makes the result.
  if (!search.codeRead && queriesNeedCode(search, initSeqName, search.baseMolType))
    search.requireCode();

  // Neither the result nor the progress file "ctr" is made over a file the search reads.
  std::vector<std::string> inputs = {paramName, bankListName, initSeqName};
  for (int i = 0; base_list[i]; i++) {
    inputs.push_back(base_list[i]);
    inputs.push_back(indexPath(base_list[i]));
  }
  for (const std::string &named : search.namedFiles()) inputs.push_back(named);
  bool over = false;
  for (size_t i = 0; !over && i < inputs.size(); i++)
    over = wouldOverwrite("Result", resultName, inputs[i].c_str()) ||
           wouldOverwrite("Progress", kProgressFile, inputs[i].c_str());
  if (!over) over = wouldOverwrite("Progress", kProgressFile, resultName);
  if (over) {
    freeList(base_list);
    return kSearchNoResultFile;
  }
  // Written in place, one block at a time (the banner, then each query): a run stopped by a
  // signal or a full disk leaves the banner and the queries searched before.
  BlockOutput out;
  if (!out.open(resultName)) {
    printf("\n search: Can't open result file %s", resultName);
    freeList(base_list);
    return kSearchNoResultFile;
  }
  search.print(out.block(), initSeqName, base_list);
  out.endBlock();

  time_t start = time(nullptr);
  std::vector<Supermotif *> super;
  WorkSeq query;
  char name[1024];
  int handle = 0;
  // An entry without residues is a query whose cut is empty: it counts its number and finds
  // nothing.
  for (int qNum = 0; querBase.next(query, name, handle) != kBankEnd; qNum++) {
    search.readMatr(query);
    int n = numThreads == 1
                ? searchOnBank(search, base_list, query, super, search.selectSup)
                : searchOnBankMultyThread(search, base_list, query, super, search.selectSup);
    printf("\n Search found %d supermotifs", n);
    if (n > 0) {
      FILE *fout = out.block();
      fprintf(fout, "\nQuery: %s\n\n", name);
      for (Supermotif *s : super) {
        s->update(initSeqName, qNum, '+');
        s->printSuper(fout);
        delete s;
      }
      out.endBlock();
    }
    super.clear();
  }
  out.close();

  time_t end = time(nullptr);
  printf("\n Elapsed time: %10.4f min \n", (double)(end - start) / 60.0);
  freeList(base_list);
  return kSearchDone;
}

