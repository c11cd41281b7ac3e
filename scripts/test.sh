#!/usr/bin/env bash
# Builds everything and runs every test suite: the native unit tests (with
# AddressSanitizer and UndefinedBehaviorSanitizer) and, under Wine, the same
# unit tests for Windows, the Win32 layer's tests and the end-to-end tests of
# vornalt.exe, built once with MinGW-w64's g++ and once with clang; every
# fuzz target for a short while; clang-tidy; the checks of the CI workflow
# and of the documentation's links; the release script, a check of the
# manifests it writes, and a second build of the release in another folder
# that must give the same bytes. Ends with CTest's summary of all of them.
#
# Usage: test.sh
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
  "") ;;
  *) echo "usage: test.sh" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
for preset in native windows windows-clang fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

source scripts/wine-env.sh
wine_env_start

# One CTest run over every build, so that one summary line covers them all.
cat > build/CTestTestfile.cmake <<EOT
subdirs("native")
subdirs("windows")
subdirs("windows-clang")
subdirs("fuzz")
add_test(clang_tidy "$root/scripts/tidy.sh")
add_test(workflow_validation "$root/scripts/validate-workflows.sh")
add_test(documentation_links python3 "$root/scripts/check-links.py")
add_test(source_shape python3 "$root/scripts/check-sources.py")
add_test(script_usage "$root/tests/scripts_test.sh")
add_test(release_package "$root/scripts/package.sh")
add_test(release_manifests python3 "$root/tests/release/release_test.py" "$root/dist"
         --bucket "$root/bucket/vornalt.json")
add_test(reproducible_release "$root/scripts/check-reproducible.sh" "$root/dist")
set_tests_properties(release_package PROPERTIES FIXTURES_SETUP release)
set_tests_properties(release_manifests reproducible_release PROPERTIES FIXTURES_REQUIRED release)
# The longest tests first, so that they run beside the others rather than
# last: clang-tidy, and the two builds of the release one after the other.
set_tests_properties(clang_tidy PROPERTIES COST 1000)
set_tests_properties(release_package reproducible_release PROPERTIES COST 500)
EOT
ctest --test-dir build --output-on-failure -j "$(nproc)"
