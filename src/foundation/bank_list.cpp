// The bank list: the paths of a bank list file, and the molecule type of the banks it names.
#include "bank_list.h"

#include <cstdio>
#include <string>

#include "errormsg.h"
#include "params.h"
#include "seqbase.h"

namespace {
constexpr int kListSlots = 128;
}

char **loadList(FILE *f) {
  char **list = new char *[kListSlots];
  for (int i = 0; i < kListSlots; i++) list[i] = nullptr;
  std::string line;
  int lines = 0, n = 0;
  while (readLine(f, line)) {
    lines++;
    char *pos = &line[0];
    const char *path = nextToken(pos, " \n\r\t");
    // The list ends at the first line without a path; nothing after it is used.
    if (!path) break;
    if (n == kListSlots - 1) {
      for (int i = 0; i < n; i++) delete[] list[i];
      delete[] list;
      fatalExit(kExitBadInput, "\n Too many banks in bankList (at most %d)", kListSlots - 1);
    }
    list[n++] = _strdup_(path);
  }
  if (lines == 0) {
    delete[] list;
    printf("\n There are no banks in bankList");
    return nullptr;
  }
  return list;
}

int getBaseMolType(char **base_list, const char *listName) {
  int prot = 0, nuc = 0;
  for (int i = 0; base_list && i < kListSlots && base_list[i]; i++) {
    SeqBase bank(base_list[i]);
    if (!bank.valid()) {
      // The word may be a piece of a file given in the list's place (a binary or a query file).
      if (listName)
        fatalExit(kExitBadInput, "\n Base %s isn't valid\n Line %d of bank list %s names no bank file",
                  base_list[i], i + 1, listName);
      fatalExit(kExitBadInput, "\n Base %s isn't valid", base_list[i]);
    }
    if (bank.getMolType() == 1)
      nuc++;
    else
      prot++;
  }
  if (nuc) return prot ? 2 : 1;
  if (prot) return 0;
  fatalExit(kExitBadInput, "All bases in given ase_list have unknown molecular type...");
}
