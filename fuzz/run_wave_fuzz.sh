#!/usr/bin/env bash
# Runs the wave reader's fuzzer for a bounded time on a copy of the seed
# corpus; fails when the fuzzer finds a crash, a leak, a hang or an
# allocation beyond its limit.
# Usage: fuzz/run_wave_fuzz.sh BUILD_DIR SECONDS
#   BUILD_DIR was configured with -DGRUMBOSH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build_dir=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

fuzzer=""
for candidate in "$build_dir/fuzz/wave_fuzz" "$build_dir/wave_fuzz"; do
  [ -x "$candidate" ] && fuzzer=$candidate && break
done
if [ -z "$fuzzer" ]; then
  echo "no wave_fuzz in $build_dir (configure with -DGRUMBOSH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++)" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/wave_fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
cp "$here"/corpus/wave/* "$work/corpus/"

# A parse allocates at most the input's size, so a low malloc limit turns any
# allocation by a declared size into a failure.
status=0
"$fuzzer" "$work/corpus" \
  -dict="$here/wave.dict" \
  -max_total_time="$seconds" \
  -max_len=4096 \
  -timeout=5 \
  -malloc_limit_mb=16 \
  -rss_limit_mb=1024 \
  -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" >"$work/fuzz.log" 2>&1 || status=$?
# The fuzzer's progress lines, one each time its corpus grows, are only of
# use when it failed; otherwise its closing statistics do.
if [ "$status" -ne 0 ]; then
  cat "$work/fuzz.log" >&2
else
  grep -E '^(Done|stat::)' "$work/fuzz.log" || tail -n 5 "$work/fuzz.log"
fi

found=$(find "$work/artifacts" -type f | wc -l)
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  # Keep what was found where it can be reproduced: BUILD_DIR/wave_fuzz_artifacts.
  mkdir -p "$build_dir/wave_fuzz_artifacts"
  cp "$work"/artifacts/* "$build_dir/wave_fuzz_artifacts/" 2>/dev/null || true
  echo "wave_fuzz FAILED (exit $status, $found artifact(s) in $build_dir/wave_fuzz_artifacts)" >&2
  exit 1
fi
echo "wave_fuzz: no failure in $seconds s"
