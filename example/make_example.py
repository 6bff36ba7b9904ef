#!/usr/bin/env python3
"""Deterministic generator of synthetic protein banks in Swiss-Prot and FASTA form.

Run without arguments it rewrites the demo data of this folder (parameter file,
color file, translation code file, queries, bank list, Swiss-Prot bank and its
index).  bench/make_workload.py imports it to build the larger benchmark bank.

Only random.Random.random() with an integer seed is used: its sequence is the
one that Python keeps stable across versions, so the output is byte-identical
wherever it is run.
"""

import argparse
import os
import random
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# Background amino-acid composition, per 9989 residues (Swiss-Prot-like).
AA_WEIGHTS = (
    ("A", 825), ("R", 553), ("N", 406), ("D", 545), ("C", 137),
    ("Q", 393), ("E", 675), ("G", 707), ("H", 227), ("I", 596),
    ("L", 966), ("K", 584), ("M", 242), ("F", 386), ("P", 470),
    ("S", 656), ("T", 534), ("W", 108), ("Y", 292), ("V", 687),
)
AA_TABLE = "".join(a * w for a, w in AA_WEIGHTS)

# Letter groups of the demo color file; also the conservative substitutions.
GROUPS = ("AG", "ST", "C", "DE", "NQ", "KRH", "ILMV", "FWY", "P")
GROUP_OF = {a: g for g in GROUPS for a in g}

# Protein length quantiles at 0, 5, ..., 100 %: right-skewed, mean about 350.
LEN_QUANTILES = (30, 85, 110, 135, 160, 185, 208, 230, 252, 275, 298,
                 322, 348, 375, 405, 440, 480, 535, 610, 740, 1700)
LEN_MEAN = 350

# Average residue masses (Da) for the SQ line.
MASS = {
    "A": 71.08, "R": 156.19, "N": 114.10, "D": 115.09, "C": 103.14,
    "Q": 128.13, "E": 129.12, "G": 57.05, "H": 137.14, "I": 113.16,
    "L": 113.16, "K": 128.17, "M": 131.19, "F": 147.18, "P": 97.12,
    "S": 87.08, "T": 101.10, "W": 186.21, "Y": 163.18, "V": 99.13,
}

SPECIES = (
    ("HUMAN", "Homo sapiens (Human)."),
    ("MOUSE", "Mus musculus (Mouse)."),
    ("RAT", "Rattus norvegicus (Rat)."),
    ("BOVIN", "Bos taurus (Bovine)."),
    ("DANRE", "Danio rerio (Zebrafish)."),
    ("DROME", "Drosophila melanogaster (Fruit fly)."),
    ("CAEEL", "Caenorhabditis elegans."),
    ("YEAST", "Saccharomyces cerevisiae (Baker's yeast)."),
    ("SCHPO", "Schizosaccharomyces pombe (Fission yeast)."),
    ("ARATH", "Arabidopsis thaliana (Mouse-ear cress)."),
    ("ECOLI", "Escherichia coli."),
    ("BACSU", "Bacillus subtilis."),
)

# Protein classes: gene stem, description, keywords and the feature plan.
# Feature plan items: ("signal",), ("domain", name, min length),
# ("site", key, residue, description), ("disulfid", pairs),
# ("repeat", key, name, unit length, count), ("tm", count).
CLASSES = (
    ("KIN", "Serine/threonine-protein kinase {n}",
     ("ATP-binding", "Kinase", "Nucleotide-binding",
      "Serine/threonine-protein kinase", "Transferase", "Phosphorylation"),
     (("domain", "PROTEIN KINASE", 250), ("site", "NP_BIND", "G", "ATP"),
      ("site", "BINDING", "K", "ATP"),
      ("site", "ACT_SITE", "D", "PROTON ACCEPTOR (BY SIMILARITY)"))),
    ("PRS", "Serine protease {n}",
     ("Hydrolase", "Protease", "Serine protease", "Signal", "Zymogen",
      "Disulfide bond", "Glycoprotein"),
     (("signal",), ("domain", "PEPTIDASE S1", 220),
      ("site", "ACT_SITE", "H", "CHARGE RELAY SYSTEM"),
      ("site", "ACT_SITE", "D", "CHARGE RELAY SYSTEM"),
      ("site", "ACT_SITE", "S", "CHARGE RELAY SYSTEM"), ("disulfid", 3))),
    ("ZNF", "Zinc finger protein {n}",
     ("DNA-binding", "Metal-binding", "Nuclear protein", "Repeat",
      "Transcription", "Transcription regulation", "Zinc", "Zinc-finger"),
     (("repeat", "ZN_FING", "C2H2-TYPE", 23, 5),)),
    ("ABC", "ABC transporter ATP-binding protein {n}",
     ("ATP-binding", "Nucleotide-binding", "Transport", "Membrane",
      "Transmembrane"),
     (("tm", 4), ("domain", "ABC TRANSPORTER", 200),
      ("site", "NP_BIND", "G", "ATP"))),
    ("GPR", "G-protein coupled receptor {n}",
     ("G-protein coupled receptor", "Glycoprotein", "Membrane", "Receptor",
      "Transducer", "Transmembrane"),
     (("tm", 7), ("disulfid", 1))),
    ("ADH", "Alcohol dehydrogenase {n}",
     ("Metal-binding", "NAD", "Oxidoreductase", "Zinc"),
     (("domain", "ADH", 150), ("site", "NP_BIND", "G", "NAD"),
      ("site", "METAL", "C", "ZINC"), ("site", "METAL", "H", "ZINC"))),
    ("RPL", "50S ribosomal protein L{n}",
     ("Ribonucleoprotein", "Ribosomal protein", "RNA-binding",
      "rRNA-binding"),
     ()),
    ("CYP", "Cytochrome P450 {n}",
     ("Heme", "Iron", "Metal-binding", "Monooxygenase", "Oxidoreductase",
      "Membrane"),
     (("tm", 1), ("site", "METAL", "C", "IRON (HEME AXIAL LIGAND)"))),
    ("HTH", "HTH-type transcriptional regulator {n}",
     ("DNA-binding", "Repressor", "Transcription",
      "Transcription regulation"),
     (("domain", "HTH LYSR-TYPE", 60),)),
    ("WDR", "WD repeat-containing protein {n}",
     ("Repeat", "WD repeat"),
     (("repeat", "REPEAT", "WD", 40, 5),)),
    ("RAS", "Ras-related protein {n}",
     ("GTP-binding", "Lipoprotein", "Nucleotide-binding", "Prenylation",
      "Methylation"),
     (("site", "NP_BIND", "G", "GTP"), ("site", "NP_BIND", "N", "GTP"),
      ("site", "LIPID", "C", "S-GERANYLGERANYL CYSTEINE"))),
    ("HSP", "Heat shock protein {n}",
     ("ATP-binding", "Chaperone", "Nucleotide-binding", "Stress response"),
     (("domain", "ATPASE", 180),)),
    ("HYP", "Hypothetical protein {n}",
     ("Hypothetical protein",),
     ()),
    ("YMP", "Putative membrane protein {n}",
     ("Membrane", "Transmembrane"),
     (("tm", 3),)),
    ("GLT", "Glycosyltransferase {n}",
     ("Glycosyltransferase", "Transferase", "Membrane", "Signal-anchor"),
     (("tm", 1), ("domain", "GT-B FOLD", 150))),
    ("LEC", "Lectin {n}",
     ("Lectin", "Signal", "Disulfide bond", "Glycoprotein"),
     (("signal",), ("domain", "C-TYPE LECTIN", 110), ("disulfid", 2))),
)

HYDROPHOBIC = "LLLIIVVFAMG"


class Gen:
    """Seeded source of sequences and their mutated relatives."""

    def __init__(self, seed):
        self.rnd = random.Random(seed).random

    def below(self, n):
        """A whole number in [0, n)."""
        return int(self.rnd() * n)

    def between(self, lo, hi):
        """A whole number in [lo, hi]."""
        return lo + int(self.rnd() * (hi - lo + 1))

    def pick(self, seq):
        return seq[int(self.rnd() * len(seq))]

    def residues(self, n):
        rnd, tab, size = self.rnd, AA_TABLE, len(AA_TABLE)
        return "".join([tab[int(rnd() * size)] for _ in range(n)])

    def length(self, mean=LEN_MEAN, lo=30, hi=32000):
        x = self.rnd() * 20
        i = int(x)
        a, b = LEN_QUANTILES[i], LEN_QUANTILES[i + 1]
        n = int(a + (b - a) * (x - i))
        n = n * mean // LEN_MEAN
        return max(lo, min(hi, n))

    def substitute(self, c):
        """A residue other than c: half the time from c's own group."""
        group = GROUP_OF.get(c, "")
        if len(group) > 1 and self.rnd() < 0.5:
            while True:
                d = self.pick(group)
                if d != c:
                    return d
        while True:
            d = AA_TABLE[int(self.rnd() * len(AA_TABLE))]
            if d != c:
                return d

    def mutate(self, seq, identity, indel_per_mille=0):
        """A relative of seq that keeps `identity` % of the residues of seq
        (rounded) and substitutes the others; with `indel_per_mille`, short
        insertions and deletions are added on top.

        Returns (relative, source) where source[i] is the position in seq of
        residue i of the relative, -1 for an inserted residue.
        """
        n = len(seq)
        order = list(range(n))
        for i in range(n - 1, 0, -1):
            j = self.below(i + 1)
            order[i], order[j] = order[j], order[i]
        changed = [False] * n
        for i in order[(n * identity + 50) // 100:]:
            changed[i] = True
        rnd = self.rnd
        out, src = [], []
        i = 0
        while i < n:
            if indel_per_mille and rnd() * 1000 < indel_per_mille:
                k = self.between(1, 4)
                if rnd() < 0.5:
                    i += k
                    continue
                for c in self.residues(k):
                    out.append(c)
                    src.append(-1)
            c = seq[i]
            out.append(self.substitute(c) if changed[i] else c)
            src.append(i)
            i += 1
        return "".join(out), src


def identity_of(rel, src, seq):
    """Per cent of the relative's aligned residues equal to their source."""
    aligned = [i for i, s in enumerate(src) if s >= 0]
    if not aligned:
        return 0.0
    same = sum(1 for i in aligned if rel[i] == seq[src[i]])
    return 100.0 * same / len(aligned)


class Entry:
    """One bank entry: header fields, features and residues."""

    __slots__ = ("name", "ac", "de", "os", "kw", "ft", "seq", "family")

    def __init__(self, de, os_line, kw, ft, seq, family):
        self.name = ""
        self.ac = ""
        self.de = de
        self.os = os_line
        self.kw = kw
        self.ft = ft
        self.seq = seq
        self.family = family


class Family:
    """An ancestral sequence with its description, keywords and features."""

    def __init__(self, gen, number, length, cls=None):
        if cls is None:
            cls = gen.pick(CLASSES)
        self.gene, de, kws, plan = cls
        self.number = number
        self.de = de.format(n=number % 97 + 1)
        kws = list(kws)
        self.kw = sorted(kws[:max(1, len(kws) - gen.below(3))])
        seq = list(gen.residues(length))
        self.ft = plan_features(gen, plan, seq)
        self.ft.insert(0, ("CHAIN", 1 + chain_start(self.ft), length,
                           self.de.upper()))
        self.seq = "".join(seq)


def chain_start(ft):
    for key, b, e, _ in ft:
        if key == "SIGNAL":
            return e
    return 0


def plan_features(gen, plan, seq):
    """Place the planned features on seq, writing their typical residues."""
    n = len(seq)
    ft = []
    free_from = 1
    for item in plan:
        kind = item[0]
        if kind == "signal" and n > 60:
            e = gen.between(16, 30)
            seq[0] = "M"
            for i in range(2, min(e - 4, n)):
                seq[i] = gen.pick(HYDROPHOBIC)
            ft.append(("SIGNAL", 1, e, ""))
            free_from = e + 1
        elif kind == "domain":
            size = min(item[2], max(10, n - free_from - 5))
            if n - size < free_from:
                continue
            b = gen.between(free_from, max(free_from, n - size))
            ft.append(("DOMAIN", b, b + size - 1, item[1]))
        elif kind == "site":
            pos = gen.between(free_from, n)
            seq[pos - 1] = item[2]
            span = 8 if item[1] == "NP_BIND" and pos + 7 <= n else 1
            ft.append((item[1], pos, pos + span - 1, item[3]))
        elif kind == "disulfid":
            for _ in range(item[1]):
                a = gen.between(free_from, n)
                b = gen.between(free_from, n)
                if a == b:
                    continue
                a, b = min(a, b), max(a, b)
                seq[a - 1] = seq[b - 1] = "C"
                ft.append(("DISULFID", a, b, ""))
        elif kind == "repeat":
            _, key, name, unit, count = item
            pos = free_from + gen.below(20)
            for k in range(count):
                if pos + unit - 1 > n:
                    break
                if key == "ZN_FING":
                    seq[pos + 1] = seq[pos + 4] = "C"
                    seq[pos + 17] = seq[pos + 21] = "H"
                ft.append((key, pos, pos + unit - 1, "%s %d" % (name, k + 1)))
                pos += unit + gen.below(12)
        elif kind == "tm":
            pos = free_from + gen.below(30)
            for _ in range(item[1]):
                if pos + 21 > n:
                    break
                for i in range(pos - 1, pos + 20):
                    seq[i] = gen.pick(HYDROPHOBIC)
                ft.append(("TRANSMEM", pos, pos + 20, ""))
                pos += 21 + gen.between(8, 60)
    ft.sort(key=lambda f: (f[1], f[2]))
    return ft


def map_features(ft, src, offset, length):
    """Features of a source sequence carried to a relative.

    src maps relative positions (0-based, from `offset`) to source positions;
    a feature keeps the residues that survived, and is dropped when none did
    (a disulfide bond needs both of its cysteines).
    """
    where = {}
    for i, s in enumerate(src):
        if s >= 0:
            where[s + 1] = offset + i + 1
    out = []
    for key, b, e, desc in ft:
        if key == "DISULFID":
            if b in where and e in where:
                out.append((key, where[b], where[e], desc))
            continue
        kept = [where[p] for p in range(b, e + 1) if p in where]
        if kept:
            out.append((key, kept[0], kept[-1], desc))
    if out and out[0][0] == "CHAIN":
        out[0] = ("CHAIN", out[0][1], length, out[0][3])
    return out


def make_relative(gen, fam, identity, species, part=None, flank=0):
    """A bank entry mutated from fam at `identity` %, optionally a part of it
    between random flanks.  Returns (entry, measured identity)."""
    seq = fam.seq
    lo, hi = (0, len(seq)) if part is None else part
    core = seq[lo:hi]
    rel, src = gen.mutate(core, identity, indel_per_mille=3)
    src = [s + lo if s >= 0 else -1 for s in src]
    left = gen.residues(gen.between(0, flank)) if flank else ""
    right = gen.residues(gen.between(0, flank)) if flank else ""
    full = left + rel + right
    ft = map_features(fam.ft, src, len(left), len(full))
    de = fam.de
    if identity < 60:
        de = "Probable " + (de if de[:2].isupper() else de[0].lower() + de[1:])
    entry = Entry(de, species, fam.kw, ft, full, fam)
    return entry, identity_of(rel, src, seq)


def build_bank(gen, n_entries, mean_len, query_lengths, identities,
               family_sizes=(1, 1, 1, 1, 1, 1, 2, 2, 3, 4, 6, 9)):
    """Queries, bank entries and the truth table of planted relatives.

    Every query gets one relative per value of `identities` (per cent); the
    rest of the bank is made of background families.  Returns
    (queries, entries, truth) where truth rows are
    (query index, bank entry number, target identity, measured identity).
    """
    queries, planted = [], []
    for qi, qlen in enumerate(query_lengths):
        fam = Family(gen, 1000 + qi, qlen)
        queries.append(fam)
        for ident in identities:
            species = gen.pick(SPECIES)
            if gen.rnd() < 0.3 and qlen >= 150:
                size = gen.between(qlen * 6 // 10, qlen - 1)
                lo = gen.between(0, qlen - size)
                entry, got = make_relative(gen, fam, ident, species,
                                           (lo, lo + size), flank=80)
            else:
                entry, got = make_relative(gen, fam, ident, species, flank=20)
            planted.append((entry, qi, ident, got))
    entries = [p[0] for p in planted]
    number = 0
    while len(entries) < n_entries:
        fam = Family(gen, number, gen.length(mean_len))
        number += 1
        size = min(gen.pick(family_sizes), n_entries - len(entries))
        for k in range(size):
            species = gen.pick(SPECIES)
            if k == 0:
                entries.append(Entry(fam.de, species, fam.kw, fam.ft, fam.seq, fam))
            else:
                entries.append(make_relative(gen, fam, gen.between(40, 95),
                                             species, flank=10)[0])
    order = list(range(len(entries)))
    for i in range(len(order) - 1, 0, -1):
        j = gen.below(i + 1)
        order[i], order[j] = order[j], order[i]
    entries = [entries[k] for k in order]
    position = {k: i for i, k in enumerate(order)}
    truth = []
    for k, (_, qi, ident, got) in enumerate(planted):
        truth.append((qi, position[k], ident, got))
    truth.sort()
    for i, e in enumerate(entries):
        e.name = "%s%s_%s" % (e.family.gene, base36(i), e.os[0])
        e.ac = "%s%05d" % ("PQO"[i % 3], (i * 7919 + 10007) % 100000)
    return queries, entries, truth


def base36(n):
    digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    s = ""
    while True:
        s = digits[n % 36] + s
        n //= 36
        if n == 0:
            return s.rjust(3, "0")


def wrap(tag, text, width=75):
    """Swiss-Prot style lines of `tag` holding `text`, broken at blanks."""
    lines, line = [], ""
    for word in text.split(" "):
        if line and len(line) + 1 + len(word) > width - 5:
            lines.append(line)
            line = word
        else:
            line = word if not line else line + " " + word
    lines.append(line)
    return "".join("%-5s%s\n" % (tag, l) for l in lines)


def swiss_entry(e):
    seq = e.seq
    n = len(seq)
    out = ["ID   %-12s STANDARD;      PRT; %5d AA.\n" % (e.name, n),
           "AC   %s;\n" % e.ac]
    out.append(wrap("DE", e.de + "."))
    out.append(wrap("OS", e.os[1]))
    if e.kw:
        out.append(wrap("KW", "; ".join(e.kw) + "."))
    for key, b, end, desc in e.ft:
        line = "FT   %-8s %6d %6d" % (key, b, end)
        if desc:
            line += "       " + desc + "."
        out.append(line + "\n")
    mw = int(sum(MASS[c] for c in seq) + 18.02 + 0.5)
    out.append("SQ   SEQUENCE %5d AA; %6d MW;  %08X CRC32;\n"
               % (n, mw, zlib.crc32(seq.encode())))
    for i in range(0, n, 60):
        row = seq[i:i + 60]
        out.append("     " + " ".join(row[k:k + 10] for k in range(0, len(row), 10)) + "\n")
    out.append("//\n")
    return "".join(out)


def fasta_entry(name, comment, seq):
    lines = [">%s %s\n" % (name, comment)]
    for i in range(0, len(seq), 60):
        lines.append(seq[i:i + 60] + "\n")
    return "".join(lines)


def fasta_bank_entry(e):
    return fasta_entry(e.name, "%s %s" % (e.ac, e.de), e.seq)


def query_name(q, i):
    return "QRY%d_%s" % (i + 1, q.gene)


def write_text(path, text):
    with open(path, "w", newline="\n") as f:
        f.write(text)


def write_queries(path, queries):
    write_text(path, "".join(fasta_entry(query_name(q, i), q.de, q.seq)
                             for i, q in enumerate(queries)))


def write_truth(path, queries, truth):
    rows = ["# query\tquery_name\tbank_entry\ttarget_identity\tidentity\n"]
    for qi, num, ident, got in truth:
        rows.append("%d\t%s\t%d\t%d\t%.1f\n"
                    % (qi, query_name(queries[qi], qi), num, ident, got))
    write_text(path, "".join(rows))


def make_index(bank):
    """Writes the bank's .idx beside it with the project's index writer."""
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "mkidx.py"), bank],
                   check=True, stdout=subprocess.DEVNULL)


def standard_code():
    """Amino acid of each codon in codon-number order (C, T, G, A)."""
    tcag = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"
    by_codon = {}
    for i, aa in enumerate(tcag):
        codon = "TCAG"[i // 16] + "TCAG"[i // 4 % 4] + "TCAG"[i % 4]
        by_codon[codon] = aa
    order = "CTGA"
    return [(a + b + c, by_codon[a + b + c]) for a in order for b in order for c in order]


AA_NAMES = {"A": "Ala", "R": "Arg", "N": "Asn", "D": "Asp", "C": "Cys",
            "Q": "Gln", "E": "Glu", "G": "Gly", "H": "His", "I": "Ile",
            "L": "Leu", "K": "Lys", "M": "Met", "F": "Phe", "P": "Pro",
            "S": "Ser", "T": "Thr", "W": "Trp", "Y": "Tyr", "V": "Val",
            "*": "Ter"}


def code_text():
    lines = ["Standard genetic code, codons in the order C T G A of each base\n",
             "\n"]
    for codon, aa in standard_code():
        lines.append("%s %s %s\n" % (codon, aa, AA_NAMES[aa]))
    return "".join(lines)


def colors_text():
    # Every letter on a line joins that line's group, so the file holds
    # nothing but the groups.
    return "".join(g + "\n" for g in GROUPS)


PARAMS_TEXT = """\
Search parameters of the demo; each setting is a mark, its key letter and a value
Motif power threshold           !P 4.0
Alignment power threshold       !F 6.0
Motif length threshold          !L 7
Gap penalty                     !G 1.0
Part size                       !p 100
Maximal number of shifts        !s 20
Maximal number of alignments    !M 100
Drop mostly covered alignments  !l Y
Letter groups                   !c colors.txt
Translation code                !e code.txt
"""

# The demo: four queries, six planted relatives each, a bank of 2000 entries.
EXAMPLE_SEED = 20240611
EXAMPLE_ENTRIES = 2000
EXAMPLE_MEAN_LEN = 230
EXAMPLE_QUERIES = (140, 260, 380, 90)
EXAMPLE_IDENTITIES = (30, 40, 50, 60, 75, 90)
# orisk's learning set: every entry of a dozen families of three or more members, in bank
# order: the first two of each query's class (the queries' own families left out, so that
# vantel predicts from what other families taught), then the first others.
LEARN_FAMILIES = 12
LEARN_PER_QUERY_CLASS = 2


def learning_set(queries, entries):
    """Bank entries of the learning families, in bank order."""
    members = {}
    for e in entries:
        members.setdefault(id(e.family), []).append(e)
    own = {id(q) for q in queries}
    classes = {q.gene for q in queries}
    families = []
    for e in entries:
        f = e.family
        if id(f) not in own and f not in families and len(members[id(f)]) >= 3:
            families.append(f)
    chosen = []
    for f in families:
        if f.gene in classes and sum(c.gene == f.gene for c in chosen) < LEARN_PER_QUERY_CLASS:
            chosen.append(f)
    for f in families:
        if len(chosen) == LEARN_FAMILIES:
            break
        if f not in chosen:
            chosen.append(f)
    keep = {id(f) for f in chosen}
    return [e for e in entries if id(e.family) in keep]


def make_example(out):
    """Writes the demo files into directory `out`."""
    gen = Gen(EXAMPLE_SEED)
    queries, entries, truth = build_bank(gen, EXAMPLE_ENTRIES, EXAMPLE_MEAN_LEN,
                                         EXAMPLE_QUERIES, EXAMPLE_IDENTITIES)
    write_text(os.path.join(out, "params.txt"), PARAMS_TEXT)
    write_text(os.path.join(out, "colors.txt"), colors_text())
    write_text(os.path.join(out, "code.txt"), code_text())
    write_text(os.path.join(out, "banks.lst"), "bank.dat\n")
    write_queries(os.path.join(out, "queries.fa"), queries)
    # plevit fetches every query by number, which needs the query file's index too.
    make_index(os.path.join(out, "queries.fa"))
    write_truth(os.path.join(out, "relatives.tsv"), queries, truth)
    bank = os.path.join(out, "bank.dat")
    write_text(bank, "".join(swiss_entry(e) for e in entries))
    make_index(bank)
    learn = os.path.join(out, "learn.dat")
    write_text(learn, "".join(swiss_entry(e) for e in learning_set(queries, entries)))
    make_index(learn)


def main():
    ap = argparse.ArgumentParser(description="Writes the demo data.")
    ap.add_argument("--out", default=HERE, help="directory (default: this one)")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    make_example(args.out)


if __name__ == "__main__":
    main()
