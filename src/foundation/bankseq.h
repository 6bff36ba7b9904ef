// One sequence: a growable string plus its frame letter.
#pragma once

#include "array.h"

class BankSeq : public BasicString<char> {
 public:
  // '+' read from a bank, '-' reverse complement, 'a'..'c' / 'd'..'f' translation frames,
  // ' ' built in memory.
  char frame = ' ';

  BankSeq() { setLen(1); }
  BankSeq(const BankSeq &o) : BasicString<char>(o), frame(o.frame) {}
  BankSeq &operator=(const BankSeq &o) {
    BasicString<char>::operator=(o);
    frame = o.frame;
    return *this;
  }
};
