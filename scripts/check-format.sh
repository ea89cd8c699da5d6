#!/usr/bin/env bash
# Fails when a C++ file of the product (the engine, the dialog, the
# application, the command-line tool) differs from what clang-format makes
# of it under the project's .clang-format. `clang-format-14 -i FILE` mends it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files 'codec/*' 'win32/*' 'ui/*' 'app/*' 'cli/*' | grep -E '\.(cpp|h)$')
clang-format-14 --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files as clang-format makes them"
