#!/usr/bin/env bash
# The Group Policy templates as the build wrote them from the policy table: well-formed XML, and the
# same as the copies in the repository, which the Windows packages ship.
#
# usage: policy_templates_test.sh GENERATED_DIR REPOSITORY_DIR
# Exits 77 (skipped) without xmllint.
set -u
generated=${1:?} repository=${2:?}
command -v xmllint >/dev/null || { echo "SKIP: no xmllint"; exit 77; }
failures=0
for file in quelvo.admx en-US/quelvo.adml; do
    if ! xmllint --noout "$generated/$file"; then
        echo "FAIL: $file is not well-formed XML"
        failures=$((failures + 1))
    fi
    if ! cmp -s "$generated/$file" "$repository/$file"; then
        echo "FAIL: $repository/$file differs from the policy table's; copy $generated/$file over it"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "policy templates: well-formed and current"
[ "$failures" -eq 0 ]
