// The letter alphabet of the substitution matrices, shared by the matrices and the alignment
// blocks.
#pragma once

// Letter index order of every matrix; index 21 also stands for every other character.
constexpr char aa_letters[] = "ACDEFGHIKLMNPQRSTUVWY-";

// Letters of the alphabet, so rows and columns of every score table.
constexpr int kAlphabetSize = 22;
// The last index, '-', which also stands for every character outside the alphabet; the letters
// proper (those counted in compositions) lie below it.
constexpr int kOtherLetter = kAlphabetSize - 1;
static_assert(sizeof(aa_letters) == kAlphabetSize + 1, "one index per letter");
