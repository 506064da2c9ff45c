#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs the data-layer benchmarks and prints how far loading and saving stand above the cost of
# merely reading and writing the same bytes, and the heap of the loaded collection against its
# limit. Usage: bench/run.sh [path/to/recitor_bench] [extra benchmark options...]
set -eu

bench=${1:-build-bench/bench/recitor_bench}
[ $# -gt 0 ] && shift
out=$(mktemp)
trap 'rm -f "$out"' EXIT

"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json "$@"

python3 - "$out" <<'EOF'
import json, sys

runs = json.load(open(sys.argv[1]))["benchmarks"]

def median(name):
    for run in runs:
        if run.get("run_name", "").startswith(name + "/") and run.get("aggregate_name") == "median":
            return run["real_time"], run.get("time_unit", "ms")
    for run in runs:  # a single repetition has no aggregates
        if run.get("run_name", "").startswith(name + "/"):
            return run["real_time"], run.get("time_unit", "ms")
    return None, None

print()
# The targets: loading within 1.5 times reading the files' lines into memory, saving within 1.5
# times writing the same bytes durably. The other ratios are for information: against the files
# read whole into one block, which no parser can come near, and from a cold page cache.
for slow, floor, target in (("BM_Load", "BM_ReadFloor", 1.5),
                            ("BM_SaveAll", "BM_AtomicWriteFloor", 1.5),
                            ("BM_Load", "BM_ReadWholeFiles", None),
                            ("BM_LoadCold", "BM_ReadWholeFilesCold", None)):
    (a, unit), (b, _) = median(slow), median(floor)
    if a is None or b is None:
        continue
    ratio = a / b
    if target is None:
        verdict = "information"
    else:
        verdict = f"target {target}x: " + ("ok" if ratio <= target else "above target")
    print(f"{slow:18} {a:9.2f} {unit} / {floor:22} {b:8.2f} {unit} = {ratio:5.2f}x  ({verdict})")

for run in runs:
    if run.get("run_name", "").startswith("BM_LoadMemory/") and "heap_MiB" in run:
        heap, limit, files = run["heap_MiB"], run["limit_MiB"], run["files_MiB"]
        verdict = "ok" if heap <= limit else "above limit"
        print(f"heap after load {heap:.1f} MiB for {files:.1f} MiB of files;"
              f" limit 2 x files + 20 MiB = {limit:.1f} MiB ({verdict});"
              f" after a save {run['heap_saved_MiB']:.1f} MiB")
        break
EOF
