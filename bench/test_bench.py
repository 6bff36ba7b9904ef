#!/usr/bin/env python3
"""Tests of the demo data generator, the benchmark workload, bench/run.sh and
the table of bench/threads.sh (tools/test.sh runs that script in its tiny mode).

Run: python3 bench/test_bench.py   (the fasta36/blastp case is skipped when
those programs are not installed).
"""

import contextlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
EXAMPLE = os.path.join(ROOT, "example")
sys.path.insert(0, HERE)
sys.path.insert(0, EXAMPLE)
import make_example as gm  # noqa: E402
import make_workload as mw  # noqa: E402
import report  # noqa: E402

HAVE_MKIDX = os.path.exists(os.path.join(ROOT, "tools", "mkidx.py"))


def read_swiss(path):
    """Entries of a Swiss-Prot file as (header lines, residues), read the way
    the suite's reader does: residues are the letters after the SQ line."""
    entries, head, seq, in_seq = [], [], [], False
    with open(path) as f:
        for line in f:
            if line.startswith("//"):
                entries.append((head, "".join(seq)))
                head, seq, in_seq = [], [], False
            elif in_seq:
                seq.append("".join(c for c in line if c.isalpha()).upper())
            else:
                head.append(line.rstrip("\n"))
                in_seq = line.startswith("SQ  ")
    return entries


def read_fasta(path):
    entries = []
    with open(path) as f:
        for line in f:
            if line.startswith(">"):
                entries.append([line[1:].split()[0], ""])
            else:
                entries[-1][1] += line.strip()
    return [tuple(e) for e in entries]


def entry_offsets(path, mark):
    offsets, pos = [], 0
    with open(path, "rb") as f:
        for line in f:
            if line.startswith(mark):
                offsets.append(pos)
            pos += len(line)
    return offsets


def check_index(test, bank, mark):
    """Record k of the .idx, at byte 128 + 32 k, names k and the offset of
    entry k's first line."""
    idx = os.path.splitext(bank)[0] + ".idx"
    offsets = entry_offsets(bank, mark)
    with open(idx, "rb") as f:
        data = f.read()
    test.assertEqual(len(data), 128 + 32 * len(offsets))
    for k in (0, 1, len(offsets) // 2, len(offsets) - 1):
        rec = data[128 + 32 * k:128 + 32 * (k + 1)].split()
        test.assertEqual((int(rec[0]), int(rec[1])), (k, offsets[k]))


class Mutation(unittest.TestCase):
    def test_identity_is_exact_without_indels(self):
        gen = gm.Gen(1)
        seq = gen.residues(997)
        for ident in (0, 30, 47, 90, 100):
            rel, src = gen.mutate(seq, ident)
            self.assertEqual(src, list(range(997)))
            same = sum(1 for a, b in zip(seq, rel) if a == b)
            self.assertEqual(same, (997 * ident + 50) // 100)

    def test_indels_keep_the_source_map_true(self):
        gen = gm.Gen(2)
        seq = gen.residues(2000)
        rel, src = gen.mutate(seq, 100, indel_per_mille=20)
        self.assertNotEqual(len(rel), len(seq))
        kept = [s for s in src if s >= 0]
        self.assertEqual(kept, sorted(set(kept)))
        for i, s in enumerate(src):
            if s >= 0:
                self.assertEqual(rel[i], seq[s])
        self.assertEqual(gm.identity_of(rel, src, seq), 100.0)

    def test_same_seed_same_bank_other_seed_other_bank(self):
        def bank(seed):
            _, entries, truth = gm.build_bank(gm.Gen(seed), 60, 200, (120,), (50,))
            return "".join(gm.swiss_entry(e) for e in entries), truth
        self.assertEqual(bank(5), bank(5))
        self.assertNotEqual(bank(5)[0], bank(6)[0])

    def test_lengths_follow_the_quantile_table(self):
        gen = gm.Gen(3)
        lengths = [gen.length() for _ in range(20000)]
        self.assertTrue(330 <= sum(lengths) / len(lengths) <= 375)
        self.assertTrue(min(lengths) >= 30 and max(lengths) <= 1700)
        lengths = sorted(lengths)
        self.assertTrue(270 <= lengths[10000] <= 330)


class SwissEntry(unittest.TestCase):
    def test_entry_layout(self):
        gen = gm.Gen(11)
        for _ in range(40):
            fam = gm.Family(gen, 7, gen.length(300))
            rel, _ = gm.make_relative(gen, fam, 60, gm.SPECIES[0], flank=30)
            rel.name, rel.ac = "ABC123_HUMAN", "P12345"
            text = gm.swiss_entry(rel)
            lines = text.split("\n")
            n = len(rel.seq)
            # The length is the fifth blank-separated token of the ID line.
            self.assertEqual(lines[0].split()[:5],
                             ["ID", "ABC123_HUMAN", "STANDARD;", "PRT;", str(n)])
            self.assertTrue(lines[1].startswith("AC   P12345;"))
            self.assertTrue(all(len(l) <= 80 for l in lines))
            for l in lines:
                if l.startswith("FT"):
                    # Key from column 5, column 4 blank, positions in range.
                    self.assertEqual(l[2:5], "   ")
                    self.assertNotEqual(l[5], " ")
                    key, b, e = l[5:13].strip(), int(l[14:20]), int(l[21:27])
                    self.assertTrue(1 <= b <= e <= n, l)
                    if key == "DISULFID":
                        self.assertLess(b, e)
            sq = [i for i, l in enumerate(lines) if l.startswith("SQ  ")]
            self.assertEqual(len(sq), 1)
            self.assertIn(" %d AA;" % n, lines[sq[0]])
            body = "".join(lines[sq[0] + 1:-2]).replace(" ", "")
            self.assertEqual(body, rel.seq)
            self.assertEqual(lines[-2:], ["//", ""])

    def test_keywords_wrap_at_blanks(self):
        text = gm.wrap("KW", "; ".join(["Transcription regulation"] * 8) + ".")
        lines = text.splitlines()
        self.assertGreater(len(lines), 1)
        self.assertTrue(all(l.startswith("KW   ") and len(l) <= 75 for l in lines))
        self.assertEqual(" ".join(l[5:] for l in lines),
                         "; ".join(["Transcription regulation"] * 8) + ".")

    def test_features_follow_the_relative(self):
        # One residue deleted, two inserted: positions after them move.
        ft = [("CHAIN", 1, 10, "X"), ("DISULFID", 2, 9, ""), ("BINDING", 5, 5, "ATP")]
        src = [0, 2, 3, -1, -1, 4, 5, 6, 7, 8, 9]
        out = gm.map_features(ft, src, 3, 14)
        self.assertEqual(out, [("CHAIN", 4, 14, "X"), ("BINDING", 9, 9, "ATP")])
        src = [0, 1, 2, 3, 4, 5, 6, 7, 8, 9]
        self.assertEqual(gm.map_features(ft, src, 0, 10)[1], ("DISULFID", 2, 9, ""))


class DemoFiles(unittest.TestCase):
    def test_translation_code(self):
        with open(os.path.join(EXAMPLE, "code.txt")) as f:
            lines = f.read().split("\n")
        first = next(i for i, l in enumerate(lines) if l.lstrip().startswith("CCC"))
        codons = [l.split() for l in lines[first:] if len(l.lstrip()) + 1 > 4]
        self.assertEqual(len(codons), 64)
        order = "CTGA"
        self.assertEqual([c[0] for c in codons],
                         [a + b + c for a in order for b in order for c in order])
        self.assertEqual("".join(c[1][0] for c in codons),
                         "PPPPLLLLRRRRHHQQSSSSFFLLCCW*YY**AAAAVVVVGGGGDDEETTTTIIMISSRRNNKK")

    def test_color_file_groups_every_amino_acid_once(self):
        with open(os.path.join(EXAMPLE, "colors.txt")) as f:
            text = f.read()
        groups = [l for l in text.split("\n") if any(c.isalpha() for c in l)]
        self.assertEqual(len(groups), 9)
        letters = "".join(groups)
        self.assertTrue(all(c.isupper() for c in letters))
        self.assertEqual(sorted(letters), sorted("ACDEFGHIKLMNPQRSTVWY"))

    def test_parameter_file(self):
        settings = {}
        with open(os.path.join(EXAMPLE, "params.txt")) as f:
            for line in f:
                if "!" in line:
                    rest = line[line.index("!") + 1:]
                    self.assertGreater(len(rest.split()), 1, line)
                    settings[rest[0]] = rest[1:].split()[0]
        self.assertEqual(settings["c"], "colors.txt")
        self.assertEqual(settings["e"], "code.txt")
        self.assertNotIn("m", settings)
        for v in (settings["c"], settings["e"]):
            self.assertTrue(os.path.exists(os.path.join(EXAMPLE, v)))
        with open(os.path.join(EXAMPLE, "banks.lst")) as f:
            self.assertEqual(f.read(), "bank.dat\n")

    def test_committed_demo_is_what_the_script_writes(self):
        with tempfile.TemporaryDirectory() as out:
            if not HAVE_MKIDX:
                self.skipTest("tools/mkidx.py is missing")
            gm.make_example(out)
            for name in sorted(os.listdir(out)):
                with open(os.path.join(out, name), "rb") as a, \
                        open(os.path.join(EXAMPLE, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)

    def test_demo_bank(self):
        bank = os.path.join(EXAMPLE, "bank.dat")
        self.assertLess(os.path.getsize(bank), 1600000)
        entries = read_swiss(bank)
        self.assertEqual(len(entries), gm.EXAMPLE_ENTRIES)
        for head, seq in entries:
            self.assertEqual(int(head[0].split()[4]), len(seq))
            self.assertTrue(re.fullmatch("[ACDEFGHIKLMNPQRSTVWY]+", seq))
        names = [h[0].split()[1] for h, _ in entries]
        self.assertEqual(len(set(names)), len(names))
        if HAVE_MKIDX:
            check_index(self, bank, b"ID   ")

    def test_demo_queries_and_relatives(self):
        queries = read_fasta(os.path.join(EXAMPLE, "queries.fa"))
        self.assertEqual([len(s) for _, s in queries], list(gm.EXAMPLE_QUERIES))
        bank = read_swiss(os.path.join(EXAMPLE, "bank.dat"))
        rows = planted_rows(os.path.join(EXAMPLE, "relatives.tsv"))
        self.assertEqual(len(rows), len(queries) * len(gm.EXAMPLE_IDENTITIES))
        for q, b, target, got in rows:
            self.assertLessEqual(abs(got - target), 3.0)
            self.assertGreaterEqual(len(bank[b][1]), 50)


def planted_rows(path):
    rows = []
    with open(path) as f:
        for line in f:
            if not line.startswith("#"):
                t = line.split("\t")
                rows.append((int(t[0]), int(t[2]), int(t[3]), float(t[4])))
    return rows


class Workload(unittest.TestCase):
    def test_full_size(self):
        seed, n, mean, qlens, idents = mw.SIZES["full"]
        queries, entries, truth = gm.build_bank(gm.Gen(seed), n, mean, qlens, idents)
        residues = sum(len(e.seq) for e in entries)
        self.assertEqual(len(entries), 20000)
        self.assertTrue(6.5e6 <= residues <= 7.5e6, residues)
        self.assertTrue(330 <= residues / n <= 370)
        self.assertEqual(len(queries), 20)
        self.assertTrue(all(100 <= len(q.seq) <= 1000 for q in queries))
        self.assertTrue(8500 <= sum(len(q.seq) for q in queries) <= 9500)
        self.assertEqual(len(truth), 20 * 7)
        self.assertEqual(len({b for _, b, _, _ in truth}), 20 * 7)
        self.assertTrue(all(30 <= t <= 90 and abs(g - t) <= 3 for _, _, t, g in truth))

    @unittest.skipUnless(HAVE_MKIDX, "tools/mkidx.py is missing")
    def test_tiny_files(self):
        with tempfile.TemporaryDirectory() as out:
            mw.write_workload(out, "tiny")
            fasta = read_fasta(os.path.join(out, mw.FASTA_BANK))
            swiss = read_swiss(os.path.join(out, mw.SWISS_BANK))
            self.assertEqual(len(fasta), 300)
            self.assertEqual([s for _, s in fasta], [s for _, s in swiss])
            self.assertEqual([n for n, _ in fasta], [h[0].split()[1] for h, _ in swiss])
            check_index(self, os.path.join(out, mw.FASTA_BANK), b">")
            check_index(self, os.path.join(out, mw.SWISS_BANK), b"ID   ")
            for f in mw.DEMO_FILES:
                with open(os.path.join(out, f), "rb") as a, \
                        open(os.path.join(EXAMPLE, f), "rb") as b:
                    self.assertEqual(a.read(), b.read())
            queries = read_fasta(os.path.join(out, "queries.fa"))
            for q, b, target, _ in planted_rows(os.path.join(out, "relatives.tsv")):
                if target == 90:
                    # A close relative shares most 10-residue words with its query.
                    qs, bs = queries[q][1], fasta[b][1]
                    words = {qs[i:i + 10] for i in range(len(qs) - 9)}
                    hits = sum(1 for i in range(len(bs) - 9) if bs[i:i + 10] in words)
                    self.assertGreater(hits, 5)


DATE = b"           Tue Jun 11 09:05:03 2024"
BANNER = (b"***************************************************"
          b"\n     Search 3.0 - Tavrel search homologies\n" + DATE +
          b"\n\n   Query sequence from file queries.fa\n")


class Report(unittest.TestCase):
    def test_mask_touches_the_date_line_only(self):
        other = BANNER.replace(b"Tue Jun 11 09:05:03", b"Wed Jan  1 23:59:59")
        self.assertEqual(report.mask(BANNER), report.mask(other))
        self.assertIn(b"           <date>\n", report.mask(BANNER))
        self.assertNotEqual(report.mask(BANNER), report.mask(BANNER.replace(b"3.0", b"3.1")))
        # A date-like text inside another line stays.
        line = b"Query: Tue Jun 11 09:05:03 2024\n"
        self.assertEqual(report.mask(line), line)

    def test_spread(self):
        self.assertEqual(report.spread([3.0, 1.0, 2.0]), (2.0, 1.0, 3.0))
        self.assertEqual(report.spread([4.0, 1.0, 2.0, 3.0]), (2.5, 1.0, 4.0))

    def test_table_and_relatives(self):
        with tempfile.TemporaryDirectory() as d:
            times = os.path.join(d, "times")
            os.mkdir(times)
            for k, (w, u, s, m) in enumerate([(2.0, 1.5, 0.5, 10240), (4.0, 3.0, 1.0, 20480),
                                               (3.0, 2.0, 0.2, 30720)]):
                with open(os.path.join(times, "search1.%d" % (k + 1)), "w") as f:
                    f.write("Command exited with non-zero status 0\n%s %s %s %d\n" % (w, u, s, m))
            with open(os.path.join(times, "fasta36.1"), "w") as f:
                f.write("1.5 1.0 0.1 5120\n")
            with open(os.path.join(d, "queries.fa"), "w") as f:
                f.write(">QRY1_KIN a\nAAAA\n>QRY2_PRS b\nCCCC\n")
            with open(os.path.join(d, "bench_fasta.fa"), "w") as f:
                f.write("".join(">E%d x\nA\n" % i for i in range(5)))
            with open(os.path.join(d, "relatives.tsv"), "w") as f:
                f.write("# header\n0\tQRY1_KIN\t3\t40\t40.0\n1\tQRY2_PRS\t1\t90\t90.0\n"
                        "1\tQRY2_PRS\t4\t40\t40.0\n")
            with open(os.path.join(d, "res_search1.txt"), "wb") as f:
                f.write(BANNER + b"\nQuery: >QRY2_PRS\n\n"
                        b"Supermotif queries.fa      1 bench_fasta.fa      1  12.00   1   query-bank\n"
                        b"     '+'      0      0     16       4000    4096000\n"
                        b"Supermotif queries.fa      1 bench_fasta.fa      2   7.00   1   query-bank\n")
            with open(os.path.join(d, "res_fasta36.txt"), "w") as f:
                f.write("# comment\nQRY1_KIN\tE3\t40.0\t4\nQRY2_PRS\tE4\t38.0\t4\n"
                        "QRY2_PRS\tE0\t30.0\t4\n")
            text = report.table(times, d, ["search1", "fasta36"])
            rows = text.splitlines()
            self.assertRegex(rows[2], r"^search -1 +3  3\.00/2\.00/4\.00 +2\.20/2\.00/4\.00 +"
                                      r"20\.0/10\.0/30\.0 +1\.00 +1\.00$")
            self.assertRegex(rows[3], r"^fasta36 -T 1 +1  1\.50/1\.50/1\.50 .* 0\.50 +0\.50$")
            self.assertIn("search -1        40%:0/2 90%:1/1", text)
            self.assertIn("fasta36 -T 1     40%:2/2 90%:0/1", text)
            self.assertEqual(report.main(["r", "require", "search1",
                                          os.path.join(d, "res_search1.txt"), d, "80"]), 0)
            out = io.StringIO()
            with contextlib.redirect_stdout(out):
                rc = report.main(["r", "require", "search1",
                                  os.path.join(d, "res_search1.txt"), d, "40"])
            self.assertEqual(rc, 1)
            self.assertEqual(out.getvalue(), "bench: search -1 found 0 of 2 relatives "
                                             "planted at 40 % identity\n")

    def test_pairs_table_takes_ratios_pair_by_pair(self):
        with tempfile.TemporaryDirectory() as d:
            def put(name, wall, user, system):
                with open(os.path.join(d, name), "w") as f:
                    f.write("%s %s %s 2048\n" % (wall, user, system))
            # Free: the second pair ran on a slower machine; its ratios are the same.
            put("free-1.1", 10.0, 9.5, 0.5)
            put("free-2.1", 5.0, 10.0, 1.0)
            put("free-1.2", 20.0, 19.0, 1.0)
            put("free-2.2", 10.0, 21.0, 1.0)
            put("free-1.3", 30.0, 30.0, 0.0)  # no -2 run: not a pair
            put("pinned-1.1", 10.0, 10.0, 0.0)
            put("pinned-2.1", 7.0, 12.0, 0.0)
            text = report.pairs_table(d, [("free", "free (cpus 0-7)"),
                                          ("pinned", "pinned (cpus 0,1)"), ("none", "none")])
            rows = text.splitlines()
            self.assertRegex(rows[2], r"^free \(cpus 0-7\) +2 +15\.00 +7\.50 +15\.00 +16\.50 +"
                                      r"0\.50/0\.50/0\.50 +1\.10/1\.10/1\.10$")
            self.assertRegex(rows[3], r"^pinned \(cpus 0,1\) +1 +10\.00 +7\.00 +10\.00 +12\.00 +"
                                      r"0\.70/0\.70/0\.70 +1\.20/1\.20/1\.20$")
            self.assertRegex(rows[4], r"^none +0  \(no pair\)$")


FAKE_SEARCH = r"""#!/usr/bin/env bash
# Stand-in for the search program: a banner, then one supermotif per planted
# relative; FAKE_DIFF makes the threaded mode write another result.
[[ $# -eq 5 ]] || exit 9
printf '***************************************************\n     Search 3.0 - Tavrel search homologies\n           %s\n' "$(date '+%a %b %e %H:%M:%S %Y')" > "$5"
while IFS=$'\t' read -r q name b target got; do
  [[ $q == '#'* ]] && continue
  printf 'Supermotif %s %6d %s %6d %6.2f %3d   query-bank\n' "$4" "$q" bank "$b" 9 1 >> "$5"
  printf "     '+' %6d %6d %6d %10d %10d\n" 0 0 20 5000 5000 >> "$5"
done < relatives.tsv
[[ $1 == -2 && -n ${FAKE_DIFF:-} ]] && echo extra >> "$5"
sleep 0.2
echo "fake search done"
"""


@unittest.skipUnless(HAVE_MKIDX, "tools/mkidx.py is missing")
class RunScript(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.fake = os.path.join(cls.tmp, "fake search")
        with open(cls.fake, "w") as f:
            f.write(FAKE_SEARCH)
        os.chmod(cls.fake, 0o755)
        cls.work = os.path.join(cls.tmp, "work")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def run_bench(self, *args, env=None):
        # The stand-in writes its own results: keep the real golden files out of it.
        full_env = dict(os.environ, BENCH_GOLDEN_DIR=os.path.join(self.tmp, "golden"),
                        **(env or {}))
        return subprocess.run(["bash", os.path.join(HERE, "run.sh"), "--tiny",
                               "--workdir", self.work] + list(args),
                              capture_output=True, text=True, env=full_env)

    def test_tiny_mode_with_a_stand_in_search(self):
        r = self.run_bench("--search", self.fake, "--runs", "3")
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("search -1 and search -2 results are identical", r.stdout)
        self.assertRegex(r.stdout, r"\nsearch -1 +3  [0-9./]+ +[0-9./]+ +[0-9./]+ +1\.00 +(1\.00|n/a)\n")
        self.assertRegex(r.stdout, r"\nsearch -2 +3  ")
        self.assertIn("search -1        40%:3/3 60%:3/3 80%:3/3 90%:3/3", r.stdout)
        self.assertEqual(len(os.listdir(os.path.join(self.work, "times"))), 6)

    def test_modes_that_differ_fail(self):
        r = self.run_bench("--search", self.fake, env={"FAKE_DIFF": "1"})
        self.assertEqual(r.returncode, 1)
        self.assertIn("search -1 and search -2 results differ", r.stderr)

    def test_missing_search_program(self):
        r = self.run_bench("--search", os.path.join(self.tmp, "none"))
        self.assertEqual(r.returncode, 3)
        self.assertIn("no search program at", r.stderr)

    def test_bad_options(self):
        for args in (["--runs", "0"], ["--bank", "genbank"], ["--tools", "ssearch"], ["--x"]):
            self.assertEqual(self.run_bench(*args).returncode, 2, args)

    @unittest.skipUnless(shutil.which("fasta36") and shutil.which("blastp"),
                         "fasta36 or blastp not installed")
    def test_other_programs_find_the_close_relatives(self):
        r = self.run_bench("--tools", "fasta36,blastp")
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertRegex(r.stdout, r"\nfasta36 -T 1 +1  [0-9.]+/")
        self.assertRegex(r.stdout, r"\nblastp 1 thread +1  [0-9.]+/")
        self.assertRegex(r.stdout, r"fasta36 -T 1 .*80%:3/3 90%:3/3")
        self.assertRegex(r.stdout, r"blastp 1 thread .*80%:3/3 90%:3/3")


if __name__ == "__main__":
    unittest.main(verbosity=1)
