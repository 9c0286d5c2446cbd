#!/usr/bin/env bash
# The sweep on a real one-node Slurm (scripts/slurm-local.sh): the job script of
# --slurm-script, its array and merge, equal a lone sweep byte for byte; a cancelled shard
# cancels the merge, sweep merge names its cases, and the shard run again with --resume
# completes the sweep. Exits 77 (skipped) where Slurm cannot start, unless
# VELLMOR_REQUIRE_SLURM=1 makes that a failure.
#   slurm_sweep_test.sh VELLMOR_CLI SOURCE_DIR SCRATCH_DIR
set -euo pipefail
cli=$1
source_dir=$2
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"

status=0
"$source_dir/scripts/slurm-local.sh" start "$scratch/slurm" || status=$?
if [ "$status" -ne 0 ]; then
  if [ "${VELLMOR_REQUIRE_SLURM:-0}" = 1 ]; then
    echo "Slurm could not start, and VELLMOR_REQUIRE_SLURM=1" >&2
    exit 1
  fi
  exit "$status"
fi
trap '"$source_dir/scripts/slurm-local.sh" stop "$scratch/slurm"' EXIT
export SLURM_CONF=$scratch/slurm/slurm.conf

fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits until Slurm has no job left (two minutes at most).
drain() {
  for _ in $(seq 1200); do
    [ -z "$(squeue -h -o %i)" ] && return 0
    sleep 0.1
  done
  squeue >&2
  fail "jobs still queued after two minutes"
}

sweep=(sweep --vary take-up-speed=3000:5999:3 --vary zone2-air-velocity=30,60)

echo "== the job array and its merge equal a lone sweep"
mkdir "$scratch/whole" && cd "$scratch/whole"
"$cli" "${sweep[@]}" --quiet --summary lone.csv
"$cli" "${sweep[@]}" --slurm-script 4 > sweep.sh
bash sweep.sh
drain
[ -f summary.csv ] || { cat merge.log shard-*.log >&2 || true; fail "no summary.csv"; }
cmp summary.csv lone.csv || fail "the merged summary differs from the lone sweep's"

echo "== a cancelled shard: the merge is cancelled, sweep merge names it, --resume completes it"
mkdir "$scratch/cancelled" && cd "$scratch/cancelled"
"$cli" "${sweep[@]}" --slurm-script 4 > sweep.sh
submitted=$(bash sweep.sh)
array=$(sed -n 's/^shards: job \([0-9]*\);.*/\1/p' <<<"$submitted")
[ -n "$array" ] || fail "no job id in: $submitted"
scancel "${array}_4"
drain
[ ! -f summary.csv ] || fail "the merge ran although shard 4 was cancelled"
merge_status=0
"$cli" sweep merge shard-*.csv --output summary.csv 2> merge.err || merge_status=$?
[ "$merge_status" -eq 65 ] || fail "sweep merge exited $merge_status, not 65"
grep -q "cases are in no shard: " merge.err || { cat merge.err >&2; fail "the missing cases are not named"; }
sbatch --array=4 --wait sweep.sh > /dev/null
drain
"$cli" sweep merge shard-*.csv --output summary.csv
cmp summary.csv ../whole/lone.csv || fail "the resumed sweep differs from the lone sweep's"
echo "PASS"
