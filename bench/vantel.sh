#!/usr/bin/env bash
# Prediction benchmark of vantel on the example bank (2000 Swiss-Prot entries whose families
# carry class keywords and features, written by example/make_example.py).
#
# Queries are bank entries, one per family of at least three members. `search` compares them
# with the bank once. Then, query by query, `orisk` learns keyword statistics from the
# supermotifs of every other family (self hits and the held-out family left out on both
# sides), and `vantel` predicts the held-out query's keywords from its own supermotifs. The
# predicted KW lines are scored against the query's real KW line (precision and recall over
# all queries), and the time and peak memory of each vantel run are reported, with one more
# run on a motif file of 500 supermotifs.
#
#   bench/vantel.sh [--tiny] [--queries N] [--build DIR] [--workdir DIR]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$ROOT/build
work=
queries=40
while (($#)); do
  case $1 in
    --tiny) queries=6 ;;
    --queries) queries=${2:?}; shift ;;
    --build) build=${2:?}; shift ;;
    --workdir) work=${2:?}; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "vantel bench: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[[ $queries =~ ^[1-9][0-9]*$ ]] || { echo "vantel bench: --queries needs a positive number" >&2; exit 2; }
[[ -n $work ]] || work=$ROOT/out/bench-vantel
case $build in /*) ;; *) build=$ROOT/$build ;; esac
for p in search orisk vantel; do
  [[ -x $build/$p ]] || { echo "vantel bench: $build/$p is missing (build it first)" >&2; exit 2; }
done
[[ -x /usr/bin/time ]] || { echo "vantel bench: /usr/bin/time is needed" >&2; exit 2; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$ROOT"/example/{params.txt,colors.txt,code.txt,bank.dat} .
echo bank.dat >banks.lst
python3 "$ROOT/tools/mkidx.py" bank.dat >/dev/null

# Queries: one entry per family of three members or more, in bank order, copied verbatim.
python3 - "$ROOT/example" "$queries" <<'EOF'
import json, re, sys
sys.path.insert(0, sys.argv[1])
import make_example as mx

limit = int(sys.argv[2])
gen = mx.Gen(mx.EXAMPLE_SEED)
_, entries, _ = mx.build_bank(gen, mx.EXAMPLE_ENTRIES, mx.EXAMPLE_MEAN_LEN,
                              mx.EXAMPLE_QUERIES, mx.EXAMPLE_IDENTITIES)
text = open("bank.dat").read()
blocks = [b + "//\n" for b in text.split("//\n")[:-1]]
assert len(blocks) == len(entries), "the example bank does not match its generator"
family = {}
for i, e in enumerate(entries):
    assert blocks[i].startswith("ID   " + e.name + " "), "entry %d differs" % i
    family.setdefault(id(e.family), []).append(i)
members = list(family.values())
fam_of = {i: n for n, m in enumerate(members) for i in m}
chosen, seen = [], set()
for i in range(len(entries)):
    f = fam_of[i]
    if f in seen or len(members[f]) < 3:
        continue
    seen.add(f)
    chosen.append(i)
    if len(chosen) == limit:
        break

def keywords(block):
    kw = " ".join(l[5:] for l in block.splitlines() if l.startswith("KW   "))
    return sorted({k.strip().rstrip(".").upper() for k in kw.split(";") if k.strip().rstrip(".")})

open("queries.dat", "w").write("".join(blocks[i] for i in chosen))
json.dump({"queries": [{"bank": i, "family": fam_of[i], "kw": keywords(blocks[i])} for i in chosen],
           "family": {str(i): f for i, f in fam_of.items()}},
          open("plan.json", "w"))
print("%d queries from %d families of three or more" % (len(chosen), len(seen)))
EOF
python3 "$ROOT/tools/mkidx.py" queries.dat >/dev/null

/usr/bin/time -f "%e s, %M KB" -o search.time "$build/search" params.txt banks.lst queries.dat all.mot >search.log
echo "search: $(cat search.time)"

# Motif files per held-out query, with python splitting the supermotif blocks.
python3 - <<'EOF'
import json
plan = json.load(open("plan.json"))
fam = {int(k): v for k, v in plan["family"].items()}
qs = plan["queries"]
blocks, cur = [], None
for line in open("all.mot"):
    if line.startswith("Supermotif"):
        t = line.split()
        cur = {"q": int(t[2]), "b": int(t[4]), "lines": [line]}
        blocks.append(cur)
    elif cur is not None and line.lstrip().startswith("'"):
        cur["lines"].append(line)
    else:
        cur = None
def keep(b, held):
    q = qs[b["q"]]
    if b["b"] == q["bank"]:
        return False                      # the query against its own copy
    if held is None:
        return True
    return q["family"] != qs[held]["family"] and fam[b["b"]] != qs[held]["family"]
for h, q in enumerate(qs):
    with open("train_%d.mot" % h, "w") as f:
        f.writelines(l for b in blocks if keep(b, h) for l in b["lines"])
    with open("test_%d.mot" % h, "w") as f:
        f.write("Query: %d\n\n" % h)
        f.writelines(l for b in blocks if b["q"] == h and keep(b, None) for l in b["lines"])
with open("train_all.mot", "w") as f:
    f.writelines(l for b in blocks if keep(b, None) for l in b["lines"])
EOF

nq=$(python3 -c 'import json; print(len(json.load(open("plan.json"))["queries"]))')
: >vantel.times
for ((h = 0; h < nq; h++)); do
  "$build/orisk" "train_$h.mot" "stat_$h.sta" -KW KW >"orisk_$h.log"
  /usr/bin/time -f "%e %M" -o "vantel_$h.time" "$build/vantel" "stat_$h.sta" "test_$h.mot" "pred_$h.txt" >"vantel_$h.log"
  echo "$h $(grep -c '^Supermotif' "test_$h.mot") $(cat "vantel_$h.time")" >>vantel.times
done

# The 500-supermotif run: one query against 500 bank entries, motifs placed at random
# (vantel reads positions and powers only).
"$build/orisk" train_all.mot stat_all.sta -KW KW >orisk_all.log
python3 - <<'EOF'
import json, random
plan = json.load(open("plan.json"))
lens = [int(l.split()[-2]) for l in open("bank.dat") if l.startswith("ID   ")]
qlen = [int(l.split()[-2]) for l in open("queries.dat") if l.startswith("ID   ")][0]
rnd = random.Random(500)
with open("big.mot", "w") as f:
    f.write("Query: 0\n\n")
    for b in rnd.sample(range(len(lens)), 500):
        n = rnd.randint(1, 4)
        f.write("Supermotif queries.dat      0 bank.dat %6d %6.2f %3d   query-bank\n"
                % (b, rnd.uniform(5, 60), n))
        for _ in range(n):
            ln = rnd.randint(8, max(8, min(qlen, lens[b]) // 3))
            qb = rnd.randint(0, qlen - ln)
            bb = rnd.randint(0, max(0, lens[b] - ln))
            f.write("     '+' %6d %6d %6d %10d %10d\n" % (qb, bb, ln, 30000, rnd.randint(10**6, 10**8)))
EOF
/usr/bin/time -f "%e %M" -o big.time "$build/vantel" stat_all.sta big.mot pred_big.txt >vantel_big.log

python3 - <<'EOF'
import json, statistics
plan = json.load(open("plan.json"))
tp = fp = fn = 0
times, mems, rows = [], [], []
for line in open("vantel.times"):
    h, nsup, sec, kb = line.split()
    h = int(h)
    truth = set(plan["queries"][h]["kw"])
    pred = set()
    for l in open("pred_%d.txt" % h):
        if l.startswith("KW   "):
            pred.add(l[5:50].strip())
    t, f_, n = len(pred & truth), len(pred - truth), len(truth - pred)
    tp, fp, fn = tp + t, fp + f_, fn + n
    times.append(float(sec)); mems.append(int(kb))
    rows.append((h, int(nsup), t, f_, n))
print("query  supermotifs  right  wrong  missed")
for r in rows:
    print("%5d  %11d  %5d  %5d  %6d" % r)
prec = tp / (tp + fp) if tp + fp else 0.0
rec = tp / (tp + fn) if tp + fn else 0.0
print("keywords: precision %.3f (%d of %d predicted), recall %.3f (%d of %d)"
      % (prec, tp, tp + fp, rec, tp, tp + fn))
print("vantel per query: median %.3f s, max %.3f s; peak memory median %d KB, max %d KB"
      % (statistics.median(times), max(times), statistics.median(mems), max(mems)))
sec, kb = open("big.time").read().split()
print("vantel, 500 supermotifs: %s s, %s KB (target: under 1 s and 200 MB)" % (sec, kb))
EOF
