// Weight matrix files: the reader on any text, then standardisation, normalisation,
// segment rescoring and the score lookups on the matrix it leaves.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_util.h"
#include "w_matrix.h"

namespace {

constexpr const char *kMatrix = "matrix.txt";

void checkStandardised(const Weight_matrix &m) {
  for (int i = 0; i < 22; i++) {
    FUZZ_CHECK(m.elem[i][21] == 0 && m.elem[21][i] == 0);
    for (int j = 0; j < 22; j++) FUZZ_CHECK(m.orig_elem[i][j] == m.orig_elem[j][i]);
  }
  FUZZ_CHECK(m.mdisp > 0);
}

}  // namespace

FUZZ_SCRATCH_ONLY_SETUP

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzutil::writeFile(kMatrix, data, size);
  Weight_matrix m;
  FILE *f = std::fopen(kMatrix, "r");
  FUZZ_CHECK(m.fread(f) == 0);  // a file that opens always gives a matrix
  std::fclose(f);
  FUZZ_CHECK(m.type == 0 || m.type == 1);
  checkStandardised(m);
  // The check of a user's matrix file reads any text to its end.
  f = std::fopen(kMatrix, "r");
  const bool matrix = isMatrixFile(f);
  FUZZ_CHECK(std::feof(f) || !matrix);
  std::fclose(f);
  FUZZ_CHECK(checkMatrixFile(kMatrix) == (matrix ? kMatrixOk : kMatrixNotMatrix));
  (void)m.rescale(1.0);
  (void)m.rescale(-3.5);

  // The search's own sequence of steps on a private copy: normalise, then standardise for
  // a query and a bank composition.
  std::unique_ptr<TMatrix> copy(m.duplicate());
  const char q[] = "MKVLAWWYDEACGT-xXU*", b[] = "ACDEFGHIKLMNPQRSTVW";
  const int len = (int)std::strlen(q);
  std::unique_ptr<double[]> fq(copy->makeFreq(len, q)), fb(copy->makeFreq(len, b));
  const double *background = m.type ? nu_frequences : aa_frequences;
  FUZZ_CHECK(copy->normalize(background, fq.get()) == 0);
  copy->recast(fq.get(), fb.get());
  auto *wm = static_cast<Weight_matrix *>(copy.get());
  checkStandardised(*wm);
  // Normal scores lie on the fixed scale 0..25.
  for (int i = 0; i < 21; i++)
    for (int j = 0; j < 21; j++) FUZZ_CHECK(wm->orig_elem[i][j] >= 0 && wm->orig_elem[i][j] <= 25);

  double mult = 0, add = 0;
  (void)copy->recalcSum(len, q, b, 12345, 0, mult, add);
  FUZZ_CHECK(std::isfinite(mult) && std::isfinite(add));

  BankSeq sq, sb;
  sq.set(q, len);
  sb.set(b, len);
  std::unique_ptr<int[]> wei(new int[(size_t)len]);
  copy->getWeight(sq, sb, wei.get(), 100, 0);

  return 0;
}
