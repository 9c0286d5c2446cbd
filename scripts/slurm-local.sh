#!/usr/bin/env bash
# A one-node Slurm on this machine, for the sweep's cluster test:
#   scripts/slurm-local.sh start DIR   starts munged (if it is not running), slurmctld and slurmd
#                                      with a slurm.conf in DIR, and waits until the node is idle
#   scripts/slurm-local.sh stop DIR    stops every daemon that start started
# Clients need SLURM_CONF=DIR/slurm.conf. Needs root, slurm-wlm and munge (scripts/setup.sh
# installs them); exits 77 with the reason when Slurm cannot start here.
set -euo pipefail
command=${1:?start or stop}
dir=${2:?a scratch directory}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
conf=$dir/slurm.conf

skip() { echo "slurm-local: $*" >&2; exit 77; }

stop() {
  for daemon in slurmd slurmctld munged; do
    if [ -f "$dir/$daemon.started" ]; then
      pid=$(cat "$dir/$daemon.started")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
      rm -f "$dir/$daemon.started"
    fi
  done
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi
[ "$command" = start ] || { echo "usage: $0 start|stop DIR" >&2; exit 64; }
[ "$(id -u)" -eq 0 ] || skip "needs root (slurmd runs jobs as their users)"
for program in munged mungekey slurmctld slurmd sinfo sbatch; do
  command -v "$program" >/dev/null || skip "$program is not installed (slurm-wlm, munge)"
done

# munge: its key, its socket directory, the daemon as the munge user.
if ! pgrep -x munged >/dev/null; then
  [ -f /etc/munge/munge.key ] || mungekey --create >/dev/null 2>&1 || skip "no munge key"
  chown munge:munge /etc/munge/munge.key 2>/dev/null || true
  mkdir -p /run/munge /var/log/munge /var/lib/munge
  chown munge:munge /run/munge /var/log/munge /var/lib/munge
  su -s /bin/sh munge -c "munged --force" || skip "munged does not start"
  pgrep -x -n munged > "$dir/munged.started"
fi

host=$(hostname -s)
cpus=$(nproc)
mkdir -p "$dir/state" "$dir/spool"
cat > "$conf" <<CONF
ClusterName=vellmor-test
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/affinity
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
SchedulerParameters=batch_sched_delay=0
MailProg=/bin/true
ReturnToService=2
NodeName=$host CPUs=$cpus State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$conf
slurmctld -D -f "$conf" > "$dir/slurmctld.out" 2>&1 &
echo $! > "$dir/slurmctld.started"
slurmd -D -f "$conf" > "$dir/slurmd.out" 2>&1 &
echo $! > "$dir/slurmd.started"
for _ in $(seq 300); do
  if sinfo -h -o %T 2>/dev/null | grep -qx idle; then exit 0; fi
  for daemon in slurmctld slurmd; do
    if ! kill -0 "$(cat "$dir/$daemon.started")" 2>/dev/null; then
      tail -5 "$dir/$daemon.out" "$dir/$daemon.log" >&2 2>/dev/null || true
      stop
      skip "$daemon ended at start-up"
    fi
  done
  sleep 0.1
done
stop
skip "the node did not become idle within 30 s"
