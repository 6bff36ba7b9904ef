// Motif splitting across translation frames: the engine's motifs with running sums become
// plain motifs for the clustering, a motif of one frame cut at the ends of a motif of another
// frame that lies inside it. Also the comparators and two merging variants of the same job.
#pragma once

#include "motif.h"

// Room of the engine's motif array, shared by the frame pairs pooled before one clustering.
constexpr int kMotifRoom = 10000;
// motSplit2 writes up to three pieces per input motif.
constexpr int kSplitRoom = 3 * kMotifRoom;

// Turns the nMot engine records into plain motifs in newMot (room for 3 x nMot records),
// cutting a motif of one translation frame at the ends of a motif of another frame that lies
// inside it on a nearby diagonal. Frames '+'/'-' or each != 0: a plain copy. Every `wei` is
// released and nulled; nMot becomes the number of records written.
void motSplit2(int &nMot, MotifWei *mot, Motif *&newMot, int each);
// Appends one to three pieces of mot1, cut at the ends of mot2 (which lies inside it), at
// newMot[to...]; `to` advances.
void split(int &to, MotifWei &mot1, MotifWei &mot2, Motif *newMot);
// Sorting by diagonal (qBeg - bBeg), then qBeg, then len, ascending (qsort comparators).
int cmpMot(const void *a, const void *b);
int cmpPoi(const void *a, const void *b);
// 1 when mot2 lies inside mot1 on the query and their diagonals differ by at most 3.
int inside(const Motif &mot1, const Motif &mot2);
// Merges the motifs of each diagonal. Returns a new[] array holding the result (room for
// max(10000, 2 x nMot) records), deletes[] the input and sets nMot. Exit 7 on no memory.
Motif *motUpd(int &nMot, Motif *mot);
// Cuts every motif at the begin and end positions of all motifs. newMot must be a new[] array
// of at least 10000 records; it is replaced by a larger one at every multiple of 10000.
// Stops before a stretch when exactly 10000 pieces were made. Releases every `wei`.
int motSplit(int &nMot, MotifWei *mot, Motif *&newMot);
