#!/usr/bin/env bash
# Fails when shellcheck finds fault with the project's shell scripts: any at
# all in the installed wekset-pdf, warnings in those of the build and tests.
set -u
cd "$(dirname "$0")/.." || exit 1
if ! command -v shellcheck > /dev/null; then
  [ "${CI:-}" = true ] && { echo "FAIL: shellcheck is not installed, and CI must check"; exit 1; }
  echo "SKIPPED: shellcheck is not installed"
  exit 77
fi
shellcheck src/pdf/wekset-pdf && shellcheck -S warning .ci/run bench/*.sh tests/*.sh tools/*.sh &&
  echo "ok   shellcheck"
