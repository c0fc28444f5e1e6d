#!/usr/bin/env bash
# Fails when a C++ file is not formatted as .clang-format says.
set -u
cd "$(dirname "$0")/.." || exit 1
if ! command -v clang-format > /dev/null; then
  [ "${CI:-}" = true ] && { echo "FAIL: clang-format is not installed, and CI must check"; exit 1; }
  echo "SKIPPED: clang-format is not installed"
  exit 77
fi
find src tests -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror
