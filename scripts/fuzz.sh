#!/usr/bin/env bash
# Builds the fuzz targets with AddressSanitizer and UndefinedBehaviorSanitizer
# (the sanitize preset) and runs each for SECONDS (default 60), one after the
# other, in one process on one core. Seeds come from real files, copied into
# a scratch folder: the shortcuts and hives of ../shared/testdata (when it is
# there), the shipped language files, and the backups, logs and hives that
# the program's own writers make. What a run learns stays in
# build/sanitize/fuzz/<target>/corpus; a failing input is left there as
# crash-*, leak-* or timeout-*, and the script ends non-zero.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   targets: shortcut language backup logs hive report cli
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(shortcut language backup logs hive report cli)

bash scripts/setup.sh
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --target fuzzers

build=build/sanitize
testdata=../shared/testdata
seeds=$(mktemp -d "${TMPDIR:-/tmp}/hw-fuzz-seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
# The checks write a scratch file or hive per input: keep them in memory.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

copy_seeds() {  # target, files...
  local dir=$seeds/$1 n=0
  shift
  for f in "$@"; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    cp "$f" "$dir/real-$n"
  done
}

status=0
summary=()
for t in "${targets[@]}"; do
  fuzzer=$build/${t}_fuzzer
  [ -x "$fuzzer" ] || { echo "fuzz: no target $t" >&2; exit 2; }
  mkdir -p "$seeds/$t" "$build/fuzz/$t/corpus"
  HW_FUZZ_WRITE_SEEDS=$seeds/$t "$fuzzer" >/dev/null 2>&1
  # The other targets keep a window, a folder or a hive from one input to
  # the next, whose caches make a leak search after every input costly and
  # misleading; their leaks are searched at the end of the run instead.
  leaks=0
  case $t in
    shortcut) [ -d "$testdata/lnk" ] && mapfile -d '' files < <(find "$testdata/lnk" -type f ! -name '*.tsv' ! -name '*.md' ! -name '*.txt' ! -name LICENSE -print0) && copy_seeds "$t" "${files[@]}"
              max_len=16384 leaks=1 ;;
    language) copy_seeds "$t" resources/Ref/*.ini; max_len=8192 ;;
    backup) max_len=16384 ;;
    logs) max_len=8192 ;;
    report) max_len=65536 ;;
    hive) copy_seeds "$t" "$testdata/hives/hivex-minimal" "$testdata/hives-bad/plaso-corrupt_sub_key_list.hiv" \
            "$testdata/hives/artemis-win10-NTUSER.DAT" "$testdata/hives-bad/artemis-NTUSER_Bad.DAT"
          max_len=262144 ;;
    cli) printf 'scan\0--offline\0/mnt/win\0--sections\0RI,sup\0--format=json' >"$seeds/$t/line-1"
         printf 'repair\0--from\0r.json\0--yes\0--offline=/w\0--drive\0d=/d' >"$seeds/$t/line-2"
         printf 'backups\0restore\0a\0b\0--backup-folder\0/b' >"$seeds/$t/line-3"
         max_len=1024 ;;
  esac
  echo "== fuzz $t for ${seconds}s ($(ls "$seeds/$t" | wc -l) seeds)"
  log=$build/fuzz/$t/last-run.log
  if "$fuzzer" -max_total_time="$seconds" -max_len=$max_len -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 \
       -detect_leaks=$leaks \
       -artifact_prefix="$build/fuzz/$t/" "$build/fuzz/$t/corpus" "$seeds/$t" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    grep -E "ERROR|fuzz check failed|runtime error|SUMMARY|Test unit written" "$log" | head -20 >&2 || true
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  summary+=("$(printf '%-9s %-7s %10s executions in %ss' "$t" "$result" "${runs:-?}" "$seconds")")
done
printf '%s\n' "${summary[@]}"
exit $status
