#!/usr/bin/env bash
# Fuzzes the image decoders, and the whole way of a web picture (detection, thumbnail,
# upload preparation under every type word): builds the libFuzzer targets with clang, AddressSanitizer and
# UBSan in build/fuzz, replays the kept regression inputs, then runs each target for
# FUZZ_SECONDS seconds (default 60). Exits non-zero when any target crashes; the input that
# did it is left in build/fuzz/crashes/<target>/ (copy it into
# tests/image/fuzz/regressions/ once fixed).
# Usage: scripts/fuzz.sh [TARGET...]   targets: detect bmp gif jpeg png tiff prepare
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-$(nproc)}
all=(detect bmp gif jpeg png tiff prepare)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

"$root/scripts/apt-ensure.sh" cmake clang libclang-rt-14-dev libjpeg62-turbo-dev libpng-dev libtiff-dev \
  libcrypto++-dev zlib1g-dev pkg-config googletest python3-pil

# FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION lets mutated PNGs past their checksums.
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
sanitize+=" -DFUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION"
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSF_FUZZ=ON \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_image_}"

# Seeds: small pictures of every kind, generated (never downloaded).
seeds=$build/seeds
if [ ! -f "$seeds/.done" ]; then
  rm -rf "$seeds"
  /usr/bin/python3 "$root/tests/image/fuzz/make_seeds.py" "$seeds"
  touch "$seeds/.done"
fi

status=0
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for t in "${targets[@]}"; do
  exe=$build/tests/image/fuzz_image_$t
  corpus=$build/corpus/$t
  crashes=$build/crashes/$t
  mkdir -p "$corpus" "$crashes"
  regressions=("$root"/tests/image/fuzz/regressions/*)
  if [ -e "${regressions[0]}" ]; then
    if ! "$exe" -rss_limit_mb=2560 "${regressions[@]}" >"$build/$t-regressions.log" 2>&1; then
      echo "fuzz $t: a kept regression input fails again (see $build/$t-regressions.log)" >&2
      status=1
      continue
    fi
  fi
  echo "fuzz $t: ${seconds}s"
  if "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=262144 \
       -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "$seeds" >"$build/$t.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$build/$t.log" | sed "s/^/fuzz $t: /" || true
  else
    echo "fuzz $t: CRASH, input kept in $crashes (log: $build/$t.log)" >&2
    grep -E 'ERROR|runtime error|SUMMARY' "$build/$t.log" | head -5 >&2 || true
    status=1
  fi
done
exit $status
