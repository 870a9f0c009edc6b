#!/usr/bin/env bash
# batch on real engines: a single-node Slurm started here for the test (its
# configuration, state and logs in a temporary folder, its daemons stopped by
# their PIDs), running the example sbatch script as a 4-task job array, then
# GNU parallel over two shards. Both must give every output byte for byte as
# one plain batch run does, record every input in exactly one report line and
# the bad files with their reasons, and finish a cut-short run when it is run
# again with --skip-existing. Needs root (the daemons run as root here).
#   tests/scale/slurm_test.sh BMPFILTERS
set -euo pipefail

tool=$(realpath "${1:?usage: $0 BMPFILTERS}")
here=$(cd "$(dirname "$0")/../.." && pwd)
sbatch_script=$here/examples/slurm_batch.sbatch
work=$(mktemp -d /tmp/bmpfilters-scale.XXXXXX)

# The daemons are stopped by the PIDs they wrote, and given a moment to go.
cleanup() {
  for pidfile in "$work"/slurmd.pid "$work"/slurmctld.pid; do
    [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  sleep 0.5
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/slurmctld.log "$work"/slurmd.log; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -20 "$log" >&2; }
  done
  exit 1
}

# --- The files: 16 different 64 x 48 pictures copied into 3000 files in
# nested folders, and a few bad ones.
header='BM\x36\x24\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x40\0\0\0\x30\0\0\0\x01\0\x18\0\0\0\0\0\0\x24\0\0'
header+='\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'  # resolution and colour counts: none
mkdir -p "$work/pictures"
for seed in {0..15}; do
  { printf "$header"; head -c 9216 /dev/urandom; } >"$work/pictures/$seed.bmp"
done
in=$work/in count=0
for top in {0..9}; do
  for sub in {0..5}; do
    mkdir -p "$in/t$top/s$sub"
    for n in {0..49}; do cp "$work/pictures/$(((top + sub + n) % 16)).bmp" "$in/t$top/s$sub/p$n.bmp"; done
    count=$((count + 50))
  done
done
echo "not a picture" >"$in/t1/notes.bmp"
printf 'BM' >"$in/t7/s5/tiny.bmp"
bad=("t1/notes.bmp" "t7/s5/tiny.bmp")
# A file that ends early is written, its missing rows black, with a warning.
head -c 1000 "$work/pictures/3.bmp" >"$in/t4/s2/cut.BMP"
inputs=$((count + ${#bad[@]} + 1))

# Files a second, for docs/speed.md: printed, never asserted.
now() { date +%s.%N; }
rate() {  # NAME START
  awk -v n="$inputs" -v s="$2" -v e="$(now)" -v name="$1" \
    'BEGIN { printf "%s: %d files in %.2f s, %.0f files a second\n", name, n, e - s, n / (e - s) }'
}

# --- What one plain run writes.
status=0
start=$(now)
"$tool" batch --recursive flip "$work/expected" "$in" >/dev/null 2>&1 || status=$?
rate "one batch run" "$start"
[ "$status" -eq 1 ] || fail "the plain run exited $status, not 1 (two bad files)"

# Every output byte for byte as the plain run's; every input in exactly one
# report line of REPORTDIR; the bad files failed with a reason.
check_run() {  # NAME OUTDIR REPORTDIR
  diff -r "$work/expected" "$2" >/dev/null || fail "$1: the outputs differ from one plain run's"
  # The latest line for each input counts: a resumed run records again.
  local listed
  listed=$(cat "$3"/*.jsonl | grep -o '^{"input":"[^"]*"' | sort)
  [ "$(uniq <<<"$listed" | wc -l)" -eq "$inputs" ] || fail "$1: $(uniq <<<"$listed" | wc -l) inputs reported, not $inputs"
  for name in "${bad[@]}"; do
    grep -qF "{\"input\":\"$in/$name\",\"output\":\"$2/$name\",\"status\":\"failed\",\"reason\":\"" "$3"/*.jsonl ||
      fail "$1: $name is not reported as failed with a reason"
  done
  grep -qF "{\"input\":\"$in/t4/s2/cut.BMP\",\"output\":\"$2/t4/s2/cut.BMP\",\"status\":\"warning\",\"reason\":\"the file ends early" \
    "$3"/*.jsonl || fail "$1: the file that ends early is not reported with a warning"
}

# --- Slurm: one node, this machine, everything under $work.
export SLURM_CONF=$work/slurm.conf
node=$(hostname -s)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work/state" "$work/spool"
cat >"$SLURM_CONF" <<CONF
ClusterName=bmpfilters-test
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/none
CredType=cred/none
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
MpiDefault=none
ReturnToService=2
KillWait=5
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -c -i
slurmd
for _ in $(seq 1 60); do
  sinfo -h -o %t 2>/dev/null | grep -qE '^(idle|mix|alloc)' && break
  sleep 0.5
done
sinfo -h -o %t | grep -qE '^(idle|mix|alloc)' || fail "the Slurm node did not come up"

export BMPFILTERS=$tool
cd "$work"
# The array's exit status is its worst task's: 1, for the bad files.
start=$(now)
timeout 120 sbatch --wait --quiet --array=0-3 "$sbatch_script" flip "$work/slurm-out" "$in" "$work/slurm-reports" ||
  [ $? -eq 1 ] || fail "the job array did not finish well"
rate "a 4-task Slurm array, from submission to its end" "$start"
grep -h '^{"summary"' "$work"/slurm-reports/*.jsonl | sed 's/.*"seconds":\([0-9.]*\).*/\1/' | sort -n |
  awk -v n="$inputs" 'END { printf "the slowest array task ran %.2f s (%.0f files a second over 4 tasks)\n", $1, n / $1 }'
# In one submission no input is reported twice.
[ -z "$(cat "$work"/slurm-reports/*.jsonl | grep -o '^{"input":"[^"]*"' | sort | uniq -d)" ] ||
  fail "slurm: an input is reported twice"
check_run "slurm" "$work/slurm-out" "$work/slurm-reports"
[ "$(ls "$work"/slurm-reports/*.jsonl | wc -l)" -eq 4 ] || fail "slurm: not one report per array task"
echo "slurm: a 4-task array wrote $inputs inputs' outputs as one run does"

# Cancelled midway: one task at a time, cancelled once the first is done;
# the same submission again finishes the rest and skips what was written.
job=$(sbatch --parsable --array=0-3%1 "$sbatch_script" flip "$work/cut-out" "$in" "$work/cut-reports")
for _ in $(seq 1 240); do
  grep -qs '^{"summary":true' "$work/cut-reports/report-$job-0.jsonl" && break
  sleep 0.25
done
scancel "$job"
for _ in $(seq 1 120); do
  [ -z "$(squeue -h -j "$job" 2>/dev/null)" ] && break
  sleep 0.25
done
written=$(find "$work/cut-out" -type f | wc -l)
[ "$written" -lt "$count" ] || fail "the cancelled array had written everything ($written files)"
timeout 120 sbatch --wait --quiet --array=0-3 "$sbatch_script" flip "$work/cut-out" "$in" "$work/cut-reports" ||
  [ $? -eq 1 ] || fail "the resubmitted array did not finish well"
check_run "slurm, resubmitted" "$work/cut-out" "$work/cut-reports"
grep -qh '"status":"skipped"' "$work"/cut-reports/report-*.jsonl || fail "the resubmission skipped nothing"
echo "slurm: an array cancelled after $written outputs was finished by resubmitting it"

# --- GNU parallel, two shards on this machine (--sshlogin would spread them).
# A first run of shard 0 alone stands for a run cut short.
parallel_run() {  # SHARDS...
  parallel --will-cite --jobs 2 "$tool" batch --recursive --skip-existing --shard {}/2 \
    --report "$work/parallel-reports/{#}-{}.jsonl" flip "$work/parallel-out" "$in" ::: "$@" >/dev/null 2>&1 || true
}
mkdir -p "$work/parallel-reports"
parallel_run 0
parallel_run 0 1
check_run "parallel" "$work/parallel-out" "$work/parallel-reports"
echo "parallel: two shards, one run again after the other, wrote every output as one run does"
