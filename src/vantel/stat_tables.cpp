// Reading the statistics file within the limits of the tables.
#include "stat_tables.h"

#include "errormsg.h"
#include "params.h"

namespace {

HistPtr newHist() { return HistPtr(allocObject<HistXX>()); }

}  // namespace

int loadBlocks(FILE *f, const char *type, std::vector<HistPtr> &out) {
  int extra = 0;
  for (;;) {
    HistPtr h = newHist();
    if (h->load(f, type) != 0) break;
    if ((int)out.size() < kMaxBlocks)
      out.push_back(std::move(h));
    else
      extra++;
  }
  return extra;
}

bool hasStatistics(FILE *f) {
  std::string line;
  while (readLine(f, line))
    if (line.find("_statistics") != std::string::npos) return true;
  return false;
}

void loadStats(FILE *f, Stats &st) {
  int extra = loadBlocks(f, "FT", st.ft);
  if (extra) printf("\n More than %d FT statistics: %d of them are not used", kMaxBlocks, extra);
  for (;;) {
    char *type = getKwType(f);
    if (!type) break;
    std::string name = type;
    delete[] type;
    if ((int)st.kw.size() >= kMaxTypes) {
      printf("\n More than %d keyword types: the statistics from type %s on are not used",
             kMaxTypes, name.c_str());
      break;
    }
    std::vector<HistPtr> blocks;
    extra = loadBlocks(f, name.c_str(), blocks);
    // A type that yields no block would be named again: the reading ends there.
    if (blocks.empty()) break;
    if (extra)
      printf("\n More than %d statistics of type %s: %d of them are not used", kMaxBlocks,
             name.c_str(), extra);
    st.typeKW.push_back(name);
    st.kw.push_back(std::move(blocks));
  }
  for (const std::string &t : st.typeKW) st.typePtrs.push_back(t.c_str());
}
