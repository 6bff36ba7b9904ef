// Alignment blocks and the alignment bank.
#include "alibase.h"

#include <cstdlib>
#include <cstring>

void WorkAli::clear() {
  if (ali) {
    for (int r = 0; r < nSeq; r++) delete[] ali[r];
    delete[] ali;
  }
  ali = nullptr;
  nSeq = 0;
}

void WorkAli::alloc(int _nSeq, int _nCol) {
  clear();
  (void)_nSeq;
  (void)_nCol;
}
int WorkAli::empty(int) const { return 1; }
int WorkAli::equal(int, int) const { return 1; }
void WorkAli::printf() const {}
int WorkAli::readFast(const char *) { return 0; }
int WorkAli::readBlocks(FILE *) { return 0; }
int WorkAli::readPFam(FILE *) { return 0; }
WorkSeq *WorkAli::makeConsen() const { return new WorkSeq(); }

AliBase::AliBase(const char *) : f(nullptr), _valid(0), format(0), molType(0), size(0), name(nullptr) {}
AliBase::~AliBase() {}
int AliBase::next(WorkAli &) { return 0; }
char *getStrAliStr(char *buf) { return buf; }
int getLenAliStr(char *) { return 0; }
