#!/usr/bin/env python3
"""Writes the search benchmark's workload into a directory.

Full size: a bank of 20,000 proteins (about 7 million residues, mean length
about 350, Swiss-Prot-like composition) in FASTA and in Swiss-Prot form, each
with its .idx, and 20 queries of 100 to 1000 residues, each with seven
relatives planted in the bank at 30 to 90 % identity.  --tiny writes a small
workload of the same kind for CI.  The demo's parameter, color and
translation code files are copied beside them.  Deterministic: the same
arguments give the same bytes.
"""

import argparse
import hashlib
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "example"))
import make_example as gen_mod  # noqa: E402

SIZES = {
    # name: (seed, entries, mean length, query lengths, identities)
    "full": (90210, 20000, 335,
             (450, 100, 800, 250, 380, 600, 150, 500, 300, 1000,
              200, 420, 350, 700, 120, 480, 260, 550, 320, 900),
             (30, 40, 50, 60, 70, 80, 90)),
    "tiny": (4711, 300, 300, (160, 320, 110), (40, 60, 80, 90)),
}

FASTA_BANK = "bench_fasta.fa"
SWISS_BANK = "bench_swiss.dat"
DEMO_FILES = ("params.txt", "colors.txt", "code.txt")
STAMP = "workload.stamp"


def stamp_of(size):
    """Fingerprint of the generator code and the size: a workload directory
    holding the same stamp is up to date."""
    h = hashlib.sha256(size.encode())
    for path in (__file__, gen_mod.__file__,
                 os.path.join(ROOT, "tools", "mkidx.py")) + tuple(
                     os.path.join(ROOT, "example", f) for f in DEMO_FILES):
        with open(path, "rb") as f:
            h.update(f.read())
    return h.hexdigest()


def write_workload(out, size):
    seed, n, mean, qlens, idents = SIZES[size]
    gen = gen_mod.Gen(seed)
    queries, entries, truth = gen_mod.build_bank(gen, n, mean, qlens, idents)
    gen_mod.write_queries(os.path.join(out, "queries.fa"), queries)
    gen_mod.write_truth(os.path.join(out, "relatives.tsv"), queries, truth)
    fasta = os.path.join(out, FASTA_BANK)
    swiss = os.path.join(out, SWISS_BANK)
    gen_mod.write_text(fasta, "".join(gen_mod.fasta_bank_entry(e) for e in entries))
    gen_mod.write_text(swiss, "".join(gen_mod.swiss_entry(e) for e in entries))
    gen_mod.make_index(fasta)
    gen_mod.make_index(swiss)
    gen_mod.write_text(os.path.join(out, "banks_fasta.lst"), FASTA_BANK + "\n")
    gen_mod.write_text(os.path.join(out, "banks_swiss.lst"), SWISS_BANK + "\n")
    for f in DEMO_FILES:
        shutil.copyfile(os.path.join(ROOT, "example", f), os.path.join(out, f))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out", help="workload directory (created when missing)")
    ap.add_argument("--tiny", action="store_true", help="small workload for CI")
    ap.add_argument("--force", action="store_true",
                    help="rewrite even when the directory is up to date")
    args = ap.parse_args()
    size = "tiny" if args.tiny else "full"
    os.makedirs(args.out, exist_ok=True)
    stamp_path = os.path.join(args.out, STAMP)
    stamp = stamp_of(size)
    if not args.force and os.path.exists(stamp_path):
        with open(stamp_path) as f:
            if f.read().strip() == stamp:
                return
    if os.path.exists(stamp_path):
        os.remove(stamp_path)
    write_workload(args.out, size)
    gen_mod.write_text(stamp_path, stamp + "\n")


if __name__ == "__main__":
    main()
