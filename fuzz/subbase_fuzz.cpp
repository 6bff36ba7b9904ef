// tervex's inputs: any text read as a SubBase file (and told apart from a motif file), and
// any lines taken as a command line for the option parser.
// Input: the SubBase text, then optionally "\n--\n" and one argument per line.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "tervex.h"

namespace {

void readSubBase(const std::string &text) {
  FILE *f = std::tmpfile();
  if (!f) std::abort();
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f) != text.size()) std::abort();
  std::rewind(f);
  const InputKind kind = detectInput(f);
  FUZZ_CHECK(kind == kInputNeither || kind == kInputMotifs || kind == kInputSubBase);
  FUZZ_CHECK(std::ftell(f) == 0);
  SeqList list;
  std::vector<std::string> glue;
  const int n = makeSA_list(f, list, glue);
  std::fclose(f);
  FUZZ_CHECK(n == 0 || n == list.size());
  FUZZ_CHECK((int)glue.size() <= kSubBaseHeaderRoom);
  size_t headerBytes = 0;
  for (const std::string &g : glue) {
    FUZZ_CHECK(g.size() >= 1);
    headerBytes += g.size();
  }
  const std::string read = fuzzutil::asRead(text);
  FUZZ_CHECK(headerBytes <= read.size());
  for (const SeqAddrPow &a : list.sa) {
    FUZZ_CHECK(a.name && a.name[0]);
    FUZZ_CHECK(std::strpbrk(a.name, " \t\n\v\f\r") == nullptr);
  }
  // Every line holds at most one sequence: there can't be more than lines after the header.
  size_t lines = 0;
  for (char c : read) lines += c == '\n';
  FUZZ_CHECK((size_t)list.size() <= lines + 1);
}

void parse(const std::vector<std::string> &lines) {
  std::vector<std::string> args{"tervex"};
  for (const std::string &l : lines) args.push_back(l.substr(0, std::strlen(l.c_str())));
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  TervexOptions opt;
  const int rc = parseOptions((int)args.size(), argv.data(), opt);
  FUZZ_CHECK(rc == 0 || rc == kTervexNoBankList || rc == kTervexNoBanks);
  FUZZ_CHECK(opt.method >= kMethodFull && opt.method <= kMethodBase);
  FUZZ_CHECK(opt.skipTheSame == 0 || opt.skipTheSame == 1);
  if (rc == 0 && opt.method == kMethodBase) FUZZ_CHECK(opt.bankList && opt.bankList[0]);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzzutil::setUp();
  // The lists option B may name: one bank, and an empty file.
  fuzzutil::writeFile("l.lst", std::string("bank.fa\n"));
  fuzzutil::writeFile("e.lst", std::string());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text, options;
  fuzzutil::splitAt(data, size, "\n--\n", text, options);
  readSubBase(text);
  parse(fuzzutil::splitLines(reinterpret_cast<const uint8_t *>(options.data()), options.size()));
  return 0;
}
