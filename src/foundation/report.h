// Supermotif reports: the one-line summary (Supermotif::printInfasSW), the alignment of query
// and bank sequence in blocks of 60 columns (Supermotif::printSupasSW) and a motif against a
// multi-row block entry (Supermotif::printAlign). The three are methods of Supermotif, declared
// with the class in motif.h and defined in report.cpp with the helper below.
#pragma once

#include "motif.h"

class Translation_code;
class WorkSeq;

// Replaces the nucleic seq by its translation along the chain from mot, each motif's stretch
// in that motif's frame, up to where the next motif begins on the query (trBank 0) or on the
// bank sequence (trBank 1).
void tranMotif(WorkSeq &seq, Translation_code *code, Motif *mot, int trBank);
