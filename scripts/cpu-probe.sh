#!/usr/bin/env bash
# Measures the CPU the window uses while an input test repeats, maximised at 1920 x 1080.
#
#   scripts/cpu-probe.sh [--seconds N] [--source builtin|pty] [--perf FILE] [--build DIR]
#
# Starts a virtual display (xvfb-run) with openbox, runs the window from a temporary folder
# (its KORVEX.cfg and results log go there), presses Ctrl+1 (input test, repeating) and reads
# the window's utime + stime from /proc/PID/stat over N seconds (default 120) after a 5 s
# warm-up. --source builtin: the built-in simulated instrument (korvex --simulator), which
# runs in the window's process and is counted with it; --source pty (default): korvex-sim
# --pace on a pseudo-terminal, as a real instrument on a serial line, counted apart. Then Ctrl+L
# locks the test, which logs the series, and the run count read from the log shows how many
# cycles the figure covers. --perf FILE records the window's call graph with perf meanwhile.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=120
source=pty
perfOut=
build=build/default
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --source) source=$2; shift 2 ;;
    --perf) perfOut=$(realpath -m "$2"); shift 2 ;;
    --build) build=$2; shift 2 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "cpu-probe: unknown argument '$1'" >&2; exit 1 ;;
  esac
done
case "$source" in builtin|pty) ;; *) echo "cpu-probe: --source builtin or pty" >&2; exit 1 ;; esac

if [ -z "${CPU_PROBE_INSIDE:-}" ]; then
  for tool in xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "cpu-probe: $tool is missing" >&2; exit 2; }
  done
  args=(--seconds "$seconds" --source "$source" --build "$build")
  [ -n "$perfOut" ] && args+=(--perf "$perfOut")
  CPU_PROBE_INSIDE=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "${args[@]}"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${CPU_PROBE_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

ticks() { # utime + stime of a process, in clock ticks
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}
threads() { # per thread: id, name, CPU ticks, wake-ups (voluntary context switches)
  for t in /proc/$1/task/*; do
    printf '%s %s %s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm")" "$(awk '{ print $14 + $15 }' "$t/stat")" \
      "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status")"
  done
}

cp "$build/src/app/korvex" "$work/"
# A portable copy: the window keeps its settings and log in the temporary folder.
"$root/$build/tools/cli/korvex-cli" paths --make-portable "$work"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

windowArgs=()
simPid=
if [ "$source" = pty ]; then
  "$root/$build/tools/sim/korvex-sim" --pace >"$work/sim.txt" &
  simPid=$!
  pids+=($simPid)
  for _ in $(seq 50); do [ -s "$work/sim.txt" ] && break; sleep 0.1; done
  export KORVEX_COM1=$(head -1 "$work/sim.txt")
else
  windowArgs=(--simulator)
fi

(cd "$work" && exec ./korvex "${windowArgs[@]}") >"$work/window.log" 2>&1 &
pid=$!
pids+=($pid)
win=$(xdotool search --sync --name 'KORVEX' | head -1)
sleep 2 # maximised and painted
xdotool windowactivate "$win" 2>/dev/null; sleep 0.5; xdotool key ctrl+1
sleep 5 # warm-up: the first cycles

hz=$(getconf CLK_TCK)
t0=$(date +%s.%N)
w0=$(ticks $pid)
threads $pid >"$work/threads0"
s0=0
[ -n "$simPid" ] && s0=$(ticks $simPid)
if [ -n "$perfOut" ]; then
  perf record -q -g -F 2999 -p $pid -o "$perfOut" -- sleep "$seconds" >/dev/null 2>&1
else
  sleep "$seconds"
fi
w1=$(ticks $pid)
threads $pid >"$work/threads1"
s1=0
[ -n "$simPid" ] && s1=$(ticks $simPid)
t1=$(date +%s.%N)

xdotool key ctrl+l # ends the series; the log keeps it with its count
sleep 2
runs=$("$root/$build/tools/cli/korvex-cli" log list --db "$work/KORVEX-log.db" --csv 2>/dev/null |
  awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "seriesRuns") c = i } NR > 1 && c { n += $c } END { print n + 0 }')

awk -v w=$((w1 - w0)) -v s=$((s1 - s0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" -v src="$source" -v runs="$runs" 'BEGIN {
  el = t1 - t0
  printf "source %s, %.1f s measured, %d runs in the series (the whole series, with the warm-up)\n", src, el, runs
  printf "window    %6.2f s CPU = %5.2f %% of a core\n", w / hz, 100 * w / hz / el
  if (src == "pty") printf "korvex-sim %5.2f s CPU = %5.2f %% of a core\n", s / hz, 100 * s / hz / el
}'
echo "window threads: CPU s, wake-ups per s"
join "$work/threads0" "$work/threads1" | awk -v hz="$hz" -v el="$(echo "$t1 - $t0" | bc -l)" '{
  printf "  %-16s %6.2f s %7.1f /s\n", $2, ($6 - $3) / hz, ($7 - $4) / el }'
