// The result list of one query: supermotifs ordered by decreasing power and capped, and the
// selection step that drops supermotifs whose query positions stronger ones mostly cover.
#pragma once

#include <vector>

#include "motif.h"

// Sort comparator of Supermotif pointers (passed by address): larger power first.
int cmpSup(const void *a, const void *b);

// Sorts numSup supermotifs by decreasing power (stable) and keeps those whose query positions
// are not mostly covered by stronger kept ones; deletes the others. A motif ending beyond
// seqLen ends the run (exit 11). `charFun` is scratch reused between calls.
void SelectSuper(int &numSup, Supermotif **result, int seqLen, std::vector<unsigned char> &charFun);
void SelectSuper(int &numSup, Supermotif **result, int seqLen);

// Merges numSuper new supermotifs into the list (decreasing power, a newcomer after equal
// powers), capped at numMax entries; a placed one gets the bank address (a copy of bankAdr,
// numSeq), the others are deleted. The list owns its supermotifs.
void addSuper(std::vector<Supermotif *> &result, int numSuper, Supermotif **super, int numMax,
              const char *bankAdr, int numSeq);
