#!/bin/sh
# make install and make package, in a fresh build folder, install the game's
# packages alone and build named targets only: no package that only the tests
# need (one make test installs and make run does not), and no cmake --build of
# everything, which would build the tests. Read from make -n, which runs
# nothing but make itself, in an environment of PATH alone.
#
#   game_packages_test.sh SOURCE_DIR
set -eu
command -v make >/dev/null || { echo "make is not installed: skipped"; exit 77; }
source=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
fresh=build-packages-test-$$
[ ! -e "$source/$fresh" ] || fail "$source/$fresh exists"

dry_run() { env -i PATH="$PATH" make --no-print-directory -C "$source" -n "$1" BUILD="$fresh"; }
# The packages a make -n output checks for, one a line.
packages() { sed -n 's/.*for p in \([^;]*\); do.*/\1/p' | tr ' ' '\n' | sed '/^$/d' | sort -u; }

dry_run run | packages >"${TMPDIR:-/tmp}/$fresh.run"
test_only=$(dry_run test | packages | grep -vxF -f "${TMPDIR:-/tmp}/$fresh.run" || true)
rm -f "${TMPDIR:-/tmp}/$fresh.run"
echo "$test_only" | grep -qx googletest || fail "make -n test names no googletest: cannot tell test packages"

for target in install package; do
    commands=$(dry_run $target)
    for package in $(echo "$commands" | packages); do
        echo "$test_only" | grep -qxF "$package" && fail "make $target installs $package, which only the tests need"
    done
    echo "$commands" | grep 'cmake --build' | grep -qv -- '--target' && fail "make $target builds every target"
    echo "make $target installs: $(echo "$commands" | packages | tr '\n' ' ')"
done
