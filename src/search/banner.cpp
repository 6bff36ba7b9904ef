// The parameter banner of the search result file: SearchHomolParams::print, kept with the
// program that writes it (the engine's other drivers write no banner).
#include <cstdio>
#include <cstring>
#include <ctime>

#include "seahom_params.h"

void SearchHomolParams::print(FILE *fout, const char *inpName,
                              const char *const *base_list) const {
  const time_t now = std::time(nullptr);
  char date[64];
  if (!ctime_r(&now, date)) std::strcpy(date, "\n");
  std::fprintf(fout, "***************************************************");
  std::fprintf(fout, "\n     Search 3.0 - Tavrel search homologies");
  std::fprintf(fout, "\n           %s", date);
  std::fprintf(fout, "\n   Query sequence from file %s", inpName ? inpName : "(null)");
  std::fprintf(fout, "\n   Base list:");
  for (int i = 0; base_list && base_list[i]; i++) std::fprintf(fout, "\n        %s", base_list[i]);
  std::fprintf(fout, "\n\n   Parameters: ");
  std::fprintf(fout, "\n    Motif power threshold           %-6.2f", thPower);
  std::fprintf(fout, "\n    Alignment power threshold       %-6.2f", thSubalignPower);
  std::fprintf(fout, "\n    Motif length threshold          %-3d", thLength);
  std::fprintf(fout, "\n    Gap penalty                     %-6.3f", gapPenalty);
  std::fprintf(fout, "\n    Join frames clusterization      %s", eachFrame ? "NO" : "YES");
  std::fprintf(fout, "\n    Reverse strands are processed   %s", reverse ? "YES" : "NO");
  std::fprintf(fout, "\n    Coinsidence ratio               %-6.5f", coincRatio);
  std::fprintf(fout, "\n    Minimal homology ratio          %-6.5f", minHomolRatio);
  std::fprintf(fout, "\n    Window width                    %-3d", winWidth);
  std::fprintf(fout, "\n    Number of coincidence           %-3d", coiNum);
  std::fprintf(fout, "\n    Part size                       %-4d", partSize);
  std::fprintf(fout, "\n    Maximal number of shifts        %-3d", maxShifts);
  std::fprintf(fout, "\n    Maximal number of alignments    %-4d", maxSuper);
  std::fprintf(fout, "\n    First sequence position         %-6d", From);
  std::fprintf(fout, "\n    Last sequence position          %-6d", To);
  std::fprintf(fout, "\n    Accurate Dothelix               %s", accurateDotHelix ? "YES" : "NO");
  std::fprintf(fout, "\n    Frequences recalculation        %s", helixFreqRecalc ? "YES" : "NO");
  std::fprintf(fout, "\n***************************************************\n\n");
}
