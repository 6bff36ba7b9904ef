// orisk's command line: any words (one per input line) through the power-range decision,
// the range check and the option reader, from every position the result name can take.
#include <cmath>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "orisk.h"

namespace {

constexpr size_t kMaxWords = 64;

void check(std::vector<std::string> words) {
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  const int argc = (int)words.size();

  const int kind = powRangeKind(argc, argv.data());
  FUZZ_CHECK(kind == kRangePartial || kind == kRangeGiven || kind == kRangeEstimate);
  if (kind == kRangeGiven) {
    FUZZ_CHECK(argc > 5);
    double mn, mx, st;
    if (readPowRange(argv.data(), mn, mx, st) == 0) {
      FUZZ_CHECK(std::isfinite(mn) && std::isfinite(mx) && std::isfinite(st));
      FUZZ_CHECK(st > 0 && mx >= mn && (mx - mn) / st + 1 <= kMaxGridBins);
    }
  }
  for (int first = 1; first <= argc; first++) {
    OriskOptions o;
    getOptions(argc, argv.data(), first, o);
    FUZZ_CHECK(o.numKW == (int)o.KW.size());
    FUZZ_CHECK(o.divSegm == 0 || o.divSegm == 1);
    FUZZ_CHECK(o.zerInfMot == 0 || o.zerInfMot == 1);
    FUZZ_CHECK(o.paramType == 0 || o.paramType == 1);
    FUZZ_CHECK(std::isfinite(o.minPart));
    FUZZ_CHECK(!o.hasCol || first < argc);
    // A type word never begins an option, unless it stands for the comment topics.
    for (const std::string &t : o.KW) FUZZ_CHECK(t.empty() || (t[0] != '-' && t[0] != '/'));
    FILE *sink = fuzzutil::sink();
    Marks m(1);
    for (const std::string &t : o.KW) prnKWtabelNew(sink, t.c_str(), 1, 0, nullptr, m);
    std::fclose(sink);
  }
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<std::string> words = {"orisk"};
  for (const std::string &line : fuzzutil::splitLines(data, size)) {
    if (words.size() > kMaxWords) break;
    words.push_back(line.substr(0, std::strlen(line.c_str())));
  }
  check(words);
  return 0;
}
