#!/usr/bin/env bash
# Checks every GitHub Actions workflow of the project with the pinned
# action-validator that scripts/setup.sh installs. Fails when one is
# malformed, or when there is none.
#
# Usage: validate-workflows.sh
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
validator=$root/.tools/action-validator/node_modules/.bin/action-validator
[ -x "$validator" ] || { echo "no $validator: run scripts/setup.sh"; exit 1; }
shopt -s nullglob
workflows=("$root"/.github/workflows/*.yml "$root"/.github/workflows/*.yaml)
[ ${#workflows[@]} -gt 0 ] || { echo "no workflow in .github/workflows"; exit 1; }
status=0
for workflow in "${workflows[@]}"; do
  if "$validator" "$workflow"; then
    echo "ok: ${workflow#"$root"/}"
  else
    echo "FAILED: ${workflow#"$root"/}"
    status=1
  fi
done
exit "$status"
