#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of a built tree for a number of executions (10 million unless given)
# and prints, per target, the executions done, the time taken and the findings kept.
#   fuzz/long_run.sh BUILD_DIR [RUNS] [WORK_DIR] [TARGET...]   (every target unless named)
# New corpus entries and findings go to WORK_DIR (a fresh folder under /tmp by default); the
# seeds in fuzz/corpus are only read.
set -eu
build=${1:?usage: fuzz/long_run.sh BUILD_DIR [RUNS] [WORK_DIR]}
runs=${2:-10000000}
work=${3:-$(mktemp -d /tmp/grumboldx-fuzz.XXXXXX)}
shift $(($# < 3 ? $# : 3))
targets=${*:-text_table font_definition highscores wav upload_reply upload_payload recording bmp server_request ogg_effect jpeg}
here=$(cd "$(dirname "$0")" && pwd)
bin=$build/fuzz/targets
seeds() {
  case $1 in
    text_table) echo text ;;
    font_definition) echo font ;;
    ogg_effect) echo ogg ;;
    *) echo "$1" ;;
  esac
}
printf '%-16s %12s %9s %s\n' target executions seconds findings
for t in $targets; do
  mkdir -p "$work/$t/corpus" "$work/$t/findings"
  start=$(date +%s)
  "$bin/fuzz_$t" -runs="$runs" -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$work/$t/findings/" "$work/$t/corpus" "$here/corpus/$(seeds "$t")" \
    >"$work/$t/log" 2>&1 || true
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log" | tail -1)
  found=$(ls "$work/$t/findings" | wc -l)
  printf '%-16s %12s %9s %s\n' "$t" "${done_runs:-?}" "$(($(date +%s) - start))" "$found"
done
echo "work folder: $work"
