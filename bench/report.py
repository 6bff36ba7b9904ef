#!/usr/bin/env python3
"""Helpers of bench/run.sh: the timing table, result comparison with the
date line masked, and the count of planted relatives each tool found.

  report.py table TIMES_DIR WORKDIR TOOL...   print the table
  report.py same FILE FILE                    exit 1 unless equal once masked
  report.py mask FILE OUT                     write FILE masked to OUT
  report.py found TOOL RESULT WORKDIR         planted relatives found
  report.py require TOOL RESULT WORKDIR PCT   exit 1 unless every relative at
                                              PCT % identity or more is found
  report.py pairs TIMES_DIR SETTING=LABEL...  the table of bench/threads.sh: the
                                              ratios -2/-1 of paired runs
"""

import os
import re
import statistics
import sys

# What changes from run to run in the suite's output files: a date as ctime writes it
# ("Www Mmm dd hh:mm:ss yyyy") ending a line, after blanks only (the banner of a search
# result) or after ", " (the head of a prediction). tests/common/testutil.h masks by the
# same rule.
DATE_LINE = re.compile(
    rb"^( +|.*, )[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}$",
    re.M)

LABELS = {"search1": "search -1", "search2": "search -2",
          "fasta36": "fasta36 -T 1", "blastp": "blastp 1 thread"}


def mask(data):
    return DATE_LINE.sub(rb"\1<date>", data)


def read_time(path):
    """(wall, cpu, peak MB) of one run, from /usr/bin/time's "%e %U %S %M" line."""
    with open(path) as f:
        fields = f.read().split()[-4:]
    wall, user, system, kb = (float(x) for x in fields)
    return wall, user + system, kb / 1024.0


def read_times(times_dir, tool):
    """(wall, cpu, peak MB) of every run of `tool`."""
    prefix = tool + "."
    return [read_time(os.path.join(times_dir, name))
            for name in sorted(os.listdir(times_dir)) if name.startswith(prefix)]


def read_pairs(times_dir, setting):
    """[(run of search -1, run of search -2)] of one setting, pair by pair: the
    files SETTING-1.K and SETTING-2.K, K = 1, 2, ... while both are there."""
    pairs = []
    while True:
        k = len(pairs) + 1
        one, two = ("%s/%s-%d.%d" % (times_dir, setting, mode, k) for mode in (1, 2))
        if not (os.path.exists(one) and os.path.exists(two)):
            return pairs
        pairs.append((read_time(one), read_time(two)))


def pairs_table(times_dir, settings):
    """The medians of wall and CPU seconds of both modes and the ratios -2/-1
    taken pair by pair (median/min/max), one row per (setting, label)."""
    # The setting column is as wide as its longest label (a long processor list).
    width = max([24] + [len(label) for _, label in settings])
    head = "%-*s %5s %9s %9s %9s %9s  %-22s %s" % (
        width, "setting", "pairs", "-1 wall", "-2 wall", "-1 cpu", "-2 cpu",
        "wall -2/-1 med/min/max", "cpu -2/-1 med/min/max")
    lines = [head, "-" * len(head)]
    for setting, label in settings:
        pairs = read_pairs(times_dir, setting)
        if not pairs:
            lines.append("%-*s %5d  (no pair)" % (width, label, 0))
            continue
        med = [spread([p[m][k] for p in pairs])[0] for m in (0, 1) for k in (0, 1)]
        # A run that took no measurable time gives no ratio.
        ratios = ["%.2f/%.2f/%.2f" % spread(r) if r else "n/a" for r in (
            [p[1][k] / p[0][k] for p in pairs if p[0][k] > 0] for k in (0, 1))]
        lines.append("%-*s %5d %9.2f %9.2f %9.2f %9.2f  %-22s %s" % (
            width, label, len(pairs), med[0], med[2], med[1], med[3], ratios[0], ratios[1]))
    return "\n".join(lines) + "\n"


def spread(values):
    """(median, min, max); an even count takes the mean of the middle two."""
    return statistics.median(values), min(values), max(values)


def query_numbers(workdir):
    """Query names in file order, as the FASTA tools name them."""
    names = []
    with open(os.path.join(workdir, "queries.fa")) as f:
        for line in f:
            if line.startswith(">"):
                names.append(line[1:].split()[0])
    return names


def bank_numbers(workdir):
    numbers = {}
    with open(os.path.join(workdir, "bench_fasta.fa")) as f:
        for line in f:
            if line.startswith(">"):
                numbers[line[1:].split()[0]] = len(numbers)
    return numbers


def planted(workdir):
    """{(query number, bank entry number): identity} of the planted relatives."""
    rows = {}
    with open(os.path.join(workdir, "relatives.tsv")) as f:
        for line in f:
            if line.startswith("#"):
                continue
            q, _, b, target, _ = line.split("\t")
            rows[(int(q), int(b))] = int(target)
    return rows


def hits(tool, result, workdir):
    """(query number, bank entry number) pairs that a tool reported."""
    pairs = set()
    if tool.startswith("search"):
        with open(result, "rb") as f:
            for line in f:
                if line.startswith(b"Supermotif"):
                    tok = line.split()
                    pairs.add((int(tok[2]), int(tok[4])))
        return pairs
    queries = {name: i for i, name in enumerate(query_numbers(workdir))}
    bank = bank_numbers(workdir)
    with open(result) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            tok = line.split("\t")
            if len(tok) < 2 or not tok[0].strip() or not tok[1].strip():
                continue
            q, s = tok[0].split()[0], tok[1].split()[0]
            if q in queries and s in bank:
                pairs.add((queries[q], bank[s]))
    return pairs


def found(tool, result, workdir):
    """{identity: (found, planted)} over the planted relatives."""
    truth = planted(workdir)
    got = hits(tool, result, workdir)
    out = {}
    for key, ident in truth.items():
        f, n = out.get(ident, (0, 0))
        out[ident] = (f + (key in got), n + 1)
    return out


def found_text(counts):
    return " ".join("%d%%:%d/%d" % (i, f, n) for i, (f, n) in sorted(counts.items()))


def table(times_dir, workdir, tools):
    rows = {t: read_times(times_dir, t) for t in tools}
    ref = rows.get("search1")
    # A reference that took no measurable time gives no ratio.
    ref_wall = spread([r[0] for r in ref])[0] if ref else 0
    ref_cpu = spread([r[1] for r in ref])[0] if ref else 0
    head = "%-16s %4s  %-22s %-22s %-22s %7s %7s" % (
        "program", "runs", "wall s med/min/max", "cpu s med/min/max",
        "peak MB med/min/max", "wall/s1", "cpu/s1")
    lines = [head, "-" * len(head)]
    for t in tools:
        runs = rows[t]
        if not runs:
            lines.append("%-16s %4d  (no run)" % (LABELS.get(t, t), 0))
            continue
        w, c, m = (spread([r[k] for r in runs]) for k in range(3))
        ratio_w = "%7.2f" % (w[0] / ref_wall) if ref_wall else "    n/a"
        ratio_c = "%7.2f" % (c[0] / ref_cpu) if ref_cpu else "    n/a"
        lines.append("%-16s %4d  %-22s %-22s %-22s %s %s" % (
            LABELS.get(t, t), len(runs),
            "%.2f/%.2f/%.2f" % w, "%.2f/%.2f/%.2f" % c, "%.1f/%.1f/%.1f" % m,
            ratio_w, ratio_c))
    lines.append("")
    lines.append("planted relatives found, by identity:")
    for t in tools:
        result = os.path.join(workdir, "res_%s.txt" % t)
        if os.path.exists(result):
            lines.append("  %-16s %s" % (LABELS.get(t, t),
                                         found_text(found(t, result, workdir))))
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    cmd, args = argv[1], argv[2:]
    if cmd == "table" and len(args) >= 3:
        sys.stdout.write(table(args[0], args[1], args[2:]))
        return 0
    if cmd == "same" and len(args) == 2:
        with open(args[0], "rb") as a, open(args[1], "rb") as b:
            return 0 if mask(a.read()) == mask(b.read()) else 1
    if cmd == "mask" and len(args) == 2:
        with open(args[0], "rb") as a:
            data = mask(a.read())
        with open(args[1], "wb") as b:
            b.write(data)
        return 0
    if cmd == "pairs" and len(args) >= 2:
        settings = [a.partition("=")[::2] for a in args[1:]]
        sys.stdout.write(pairs_table(args[0], [(s, l or s) for s, l in settings]))
        return 0
    if cmd == "found" and len(args) == 3:
        print(found_text(found(*args)))
        return 0
    if cmd == "require" and len(args) == 4:
        tool, result, workdir, pct = args
        missing = [(i, f, n) for i, (f, n) in sorted(found(tool, result, workdir).items())
                   if i >= int(pct) and f < n]
        for i, f, n in missing:
            print("bench: %s found %d of %d relatives planted at %d %% identity"
                  % (LABELS.get(tool, tool), f, n, i))
        return 1 if missing else 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
