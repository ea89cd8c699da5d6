#!/usr/bin/env bash
# The 32-bit Windows stack is only 4-byte aligned, and the SSSE3 kernel's
# legacy-encoded instructions fault on an unaligned spilled vector: its
# prologue must align its own frame. Reads the kernel's object in each
# 32-bit Windows build folder given; exits 77 (skipped) when there is none.
# Usage: check_kernel_stack.sh BUILD_DIR...
set -euo pipefail
object=codec/transform/CMakeFiles/morvane_transform.dir/kernel_nibble_shuffle.cpp.obj
checked=0
for build in "$@"; do
  [[ -f $build/$object ]] || continue
  format=$(i686-w64-mingw32-objdump -f "$build/$object" 2>/dev/null | sed -n 's/.*file format //p' || true)
  [[ $format == pe-i386 ]] || continue
  prologue=$(i686-w64-mingw32-objdump -d "$build/$object" |
    awk '/<.*ApplySsse3.*>:$/ {on = 1; next} on && (NF == 0 || ++lines > 8) {on = 0} on')
  if ! grep -q 'and *\$0xfffffff0,%esp' <<<"$prologue"; then
    echo "check_kernel_stack: $build: the SSSE3 kernel does not align its stack:" >&2
    echo "$prologue" >&2
    exit 1
  fi
  echo "check_kernel_stack: $build: the SSSE3 kernel aligns its stack"
  checked=$((checked + 1))
done
((checked > 0)) || { echo "check_kernel_stack: no 32-bit Windows build given"; exit 77; }
