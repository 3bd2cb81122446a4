# Sourced by the build and test scripts: runs build steps without their
# chatter, showing the tail of a step's output only when it fails.
jobs=$(nproc)
quiet_log=$(mktemp)
trap 'rm -f "$quiet_log"' EXIT

quietly() {
  if ! "$@" >"$quiet_log" 2>&1; then
    grep -v '^\[[0-9]*/[0-9]*\]' "$quiet_log" | tail -n 60
    echo "failed: $*"
    exit 1
  fi
}

# Configures and builds a CMake preset.
build() {
  quietly cmake --preset "$1"
  quietly cmake --build --preset "$1" -j "$jobs"
}
