#!/usr/bin/env python3
"""Writes the inputs of the search golden tests (deterministic; run it again to rewrite them
byte for byte): protein queries with relatives planted in a protein bank (substitutions and
small gaps, so that supermotifs join several motifs), and nucleic queries whose reading frames
encode some of those relatives, with pieces of both strands planted in a nucleic bank."""
import os
import random

AA = "ACDEFGHIKLMNPQRSTVWY"
CODONS = {}
_bases = "TCAG"
_code = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"
for i, a in enumerate(_bases):
    for j, b in enumerate(_bases):
        for k, c in enumerate(_bases):
            CODONS.setdefault(_code[16 * i + 4 * j + k], []).append(a + b + c)


def mutate(rng, s, identity, gaps):
    out = [c if rng.random() < identity else rng.choice(AA) for c in s]
    for _ in range(gaps):  # a short insertion or deletion away from the ends
        at = rng.randrange(10, len(out) - 10)
        if rng.random() < 0.5:
            del out[at:at + rng.randint(1, 3)]
        else:
            out[at:at] = [rng.choice(AA) for _ in range(rng.randint(1, 3))]
    return "".join(out)


def encode(rng, prot):
    return "".join(rng.choice(CODONS[a]) for a in prot)


def revcomp(s):
    return s[::-1].translate(str.maketrans("ACGT", "TGCA"))


def fasta(records):
    out = []
    for name, seq in records:
        out.append(">" + name + "\n")
        out.extend(seq[i:i + 60] + "\n" for i in range(0, len(seq), 60))
    return "".join(out)


def main():
    rng = random.Random(20240611)
    here = os.path.dirname(os.path.abspath(__file__))
    queries = [(f"pq{i}", "".join(rng.choice(AA) for _ in range(n)))
               for i, n in enumerate((160, 230, 120))]
    bank = []
    for qi, (name, q) in enumerate(queries):
        for identity, gaps in ((0.95, 0), (0.8, 1), (0.65, 2), (0.5, 1)):
            rel = mutate(rng, q, identity, gaps)
            pad = "".join(rng.choice(AA) for _ in range(rng.randint(0, 40)))
            bank.append((f"rel_{name}_{int(identity * 100)}", pad + rel))
    bank += [(f"rnd{i}", "".join(rng.choice(AA) for _ in range(rng.randint(60, 300))))
             for i in range(14)]
    rng.shuffle(bank)
    # Nucleic queries: an open reading frame of a relative (direct strand) and one read on
    # the complementary strand, each between random flanks.
    flank = lambda n: "".join(rng.choice("ACGT") for _ in range(n))
    nq0 = flank(31) + encode(rng, mutate(rng, queries[0][1], 0.9, 0)) + flank(20)
    nq1 = flank(17) + revcomp(encode(rng, mutate(rng, queries[1][1], 0.85, 1))) + flank(25)
    nuc_queries = [("nq0 direct orf", nq0), ("nq1 reverse orf", nq1)]

    def noisy(s, identity):
        return "".join(c if rng.random() < identity else rng.choice("ACGT") for c in s)

    nuc_bank = [
        ("n_piece_direct", flank(40) + noisy(nq0[50:350], 0.92) + flank(30)),
        ("n_piece_reverse", revcomp(noisy(nq0[200:420], 0.9))),
        ("n_q1_direct", noisy(nq1[100:500], 0.88)),
        ("n_q1_reverse", flank(12) + revcomp(noisy(nq1[300:620], 0.9))),
    ] + [(f"n_rnd{i}", flank(rng.randint(100, 500))) for i in range(6)]
    rng.shuffle(nuc_bank)
    files = {"prot_queries.fa": queries, "prot_bank.fa": bank, "nuc_queries.fa": nuc_queries,
             "nuc_bank.fa": nuc_bank}
    for fname, records in files.items():
        with open(os.path.join(here, fname), "w") as fh:
            fh.write(fasta(records))


if __name__ == "__main__":
    main()
