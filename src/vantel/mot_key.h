// The keyword listing of the similar sequences of a motif file, "mot_key.mke" (no program
// calls it).
#pragma once

// Appends to "mot_key.mke" in the working directory one line per keyword of the types
// KWtype of each similar sequence of the motif file motName: the type, the keyword, whether
// the query (entry 0 of motName with the extension ".bnk") has it, its probability at the
// supermotif's power by the statistics of motName with the extension ".sta" (0 without
// them), and the power. Exits 111 when the query or a similar entry can't be read; returns
// 0, or 1 when the motif file or the listing can't be opened or written.
int wrtMotKey(const char *motName, int numKWType, const char *const *KWtype);
