# The sanitizer build shared by scripts/test and scripts/fuzz: sourced, not
# run. Callers are in the repository's top directory. See docs/reliability.md.

# ASan + UBSan, the fuzz targets built for libFuzzer, clang from Debian.
safetynet_build=build-asan

safetynet_configure() {
  # A build directory made by another generator or compiler cannot be reused.
  if [[ -f $safetynet_build/CMakeCache.txt ]] &&
     ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$safetynet_build/CMakeCache.txt"; then
    rm -rf "$safetynet_build"
  fi
  cmake -S . -B "$safetynet_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
    -DVARDEL_WERROR=ON -DVARDEL_TESTS=ON -DVARDEL_SANITIZE=ON -DVARDEL_FUZZ=ON >/dev/null
}

# How every sanitized process runs, the program inside the phone sandbox
# included (the sandbox passes the environment on). Any error ends the
# process with a failure; leaks are errors. The suppressions name only code
# outside the project.
safetynet_environment() {
  local supp=$PWD/scripts/sanitizers
  export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:handle_abort=1
  export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1
  # By absolute path: inside the phone sandbox PATH holds busybox alone.
  local symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
  [[ -x $symbolizer ]] && export ASAN_SYMBOLIZER_PATH=$symbolizer
  return 0
}

# The fuzz targets, one name a line: every fuzz/NAME_fuzz.cpp.
safetynet_targets() {
  local f
  for f in fuzz/*_fuzz.cpp; do
    [[ -e $f ]] || continue
    f=${f##*/}
    printf '%s\n' "${f%_fuzz.cpp}"
  done
}

# Shows an input so that a person can read it: size, then the bytes as a
# Python bytes literal (blanks, line ends and high bytes all visible).
safetynet_show_input() {
  python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
print(f"  {sys.argv[1]} ({len(data)} bytes):")
text = repr(data)
print("  " + (text if len(text) <= 4000 else text[:4000] + " ...(cut)"))
PY
}

# safetynet_fuzz NAME SECONDS: runs the built target NAME for SECONDS on its
# seed corpus and on what earlier runs here found, in the sanitizer build.
# New inputs go to $safetynet_build/fuzz-runs/NAME/corpus, findings to
# .../findings. Prints one summary line; on a finding the end of the report
# and the input. Returns non-zero when something was found.
safetynet_fuzz() {
  local name=$1 seconds=$2
  local program=$safetynet_build/fuzz/${name}_fuzz
  local out=$PWD/$safetynet_build/fuzz-runs/$name
  mkdir -p "$out/corpus" "$out/findings"
  local before
  before=$(ls "$out/findings")
  local args=("$out/corpus" "$PWD/fuzz/corpus/$name"
              -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096
              -artifact_prefix="$out/findings/" -print_final_stats=1)
  [[ -f fuzz/$name.dict ]] && args+=(-dict="$PWD/fuzz/$name.dict")

  local status=0 started=$SECONDS
  VARDEL_FUZZ_WRITABLE=$out "$program" "${args[@]}" >"$out/log" 2>&1 || status=$?
  local took=$((SECONDS - started))
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log" | tail -n1)

  local found=()
  local f
  for f in $(ls "$out/findings"); do
    grep -qxF "$f" <<<"$before" || found+=("$out/findings/$f")
  done
  if ((status == 0 && ${#found[@]} == 0)); then
    printf 'fuzz %-22s %9s executions in %3d s, corpus %d inputs: nothing found\n' \
      "$name" "${runs:-?}" "$took" "$(ls "$out/corpus" | wc -l)"
    return 0
  fi
  printf 'fuzz %-22s FAILED after %s executions in %d s (exit status %d); the report ends:\n' \
    "$name" "${runs:-?}" "$took" "$status"
  grep -v -e '^#[0-9]' -e '^INFO:' -e '^stat::' "$out/log" | tail -n 60 | sed 's/^/  | /'
  if ((${#found[@]})); then
    echo "The input(s) that did it:"
    for f in "${found[@]}"; do safetynet_show_input "$f"; done
    echo "Replay one with: $program FILE. Once it is fixed, copy it into fuzz/corpus/$name/"
    echo "as regression-<what-it-did> and add a test of the fault where its area tests live."
  fi
  (( status != 0 )) || status=1
  return "$status"
}
