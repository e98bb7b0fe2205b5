# The ordinary build shared by scripts/run and scripts/test: sourced, not
# run. Callers are in the repository's top directory. Both configure build/
# with the same options, so that what one compiled the other reuses.

ordinary_build=build

ordinary_configure() {
  # A build directory made by another generator cannot be reused.
  if [[ -f $ordinary_build/CMakeCache.txt ]] &&
     ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$ordinary_build/CMakeCache.txt"; then
    rm -rf "$ordinary_build"
  fi
  cmake -S . -B "$ordinary_build" -G Ninja -DVARDEL_WERROR=ON -DVARDEL_TESTS=ON >/dev/null
}

# ordinary_build_targets [TARGET...]: builds those targets, or everything.
ordinary_build_targets() {
  if (($#)); then
    cmake --build "$ordinary_build" -j "$(nproc)" --target "$@"
  else
    cmake --build "$ordinary_build" -j "$(nproc)"
  fi
}
