#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each on a scratch copy of its seed
# corpus. Prints executions and coverage per target; fails on any finding.
#   scripts/fuzz.sh [SECONDS [TARGET...]]   default: 30 seconds, every target
# A finding's input is kept in build-fuzz/findings/ for a rerun:
#   build-fuzz/bin/TARGET build-fuzz/findings/TARGET-crash-...
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-30}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_claude_answer fuzz_codex_answer fuzz_claude_credentials fuzz_codex_credentials fuzz_copilot_answer
        fuzz_gemini_answer fuzz_fetch_wire)
fi
case "$seconds" in
    '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS [TARGET...]]" >&2; exit 2 ;;
esac

build_dir=${QUOTIX_FUZZ_BUILD_DIR:-$QUOTIX_ROOT/build-fuzz}
quotix_install_packages "${QUOTIX_PACKAGES[@]}" "${QUOTIX_FUZZ_PACKAGES[@]}"
# Only the libraries under test and the harnesses are built, with the clang of
# the LLVM installed above, whose runtimes and symbolizer match it.
CC=clang-$QUOTIX_LLVM_VERSION CXX=clang++-$QUOTIX_LLVM_VERSION cmake -S "$QUOTIX_ROOT" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_FUZZ=ON -DQUOTIX_BUILD_TESTS=OFF -DQUOTIX_BUILD_BENCH=OFF >&2
cmake --build "$build_dir" --target quotix_fuzzers --parallel "$(nproc)" >&2

symbolizer=/usr/lib/llvm-$QUOTIX_LLVM_VERSION/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$build_dir/findings"
mkdir -p "$findings"

failed=0
findings_count=0
printf '%-26s %8s %12s %10s %6s %7s %s\n' target seconds executions exec/s cov ft verdict
for target in "${targets[@]}"; do
    work="$scratch/$target"
    mkdir -p "$work/corpus"
    cp "$QUOTIX_ROOT/fuzz/corpus/$target/"* "$work/corpus/"
    log="$work/log"
    verdict=clean
    # -timeout: one input taking this long is a hang, and a finding.
    if ! nice -n 5 "$build_dir/bin/$target" "$work/corpus" \
        -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -dict="$QUOTIX_ROOT/fuzz/json.dict" -artifact_prefix="$work/" >"$log" 2>&1; then
        verdict=FINDING
        failed=1
        findings_count=$((findings_count + 1))
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    printf '%-26s %8s %12s %10s %6s %7s %s\n' "$target" "$seconds" "${executions:-?}" "${rate:-?}" \
        "${cov:-?}" "${ft:-?}" "$verdict"
    if [ "$verdict" != clean ]; then
        for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
            [ -e "$artifact" ] && cp "$artifact" "$findings/$target-$(basename "$artifact")"
        done
        echo "--- $target: end of the fuzzer's log (inputs kept in $findings)" >&2
        tail -n 40 "$log" >&2
    fi
done
echo "fuzz: $((${#targets[@]} - findings_count)) passed, $findings_count failed"
exit "$failed"
