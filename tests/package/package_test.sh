#!/usr/bin/env bash
# The install puts down the binary, the manual page, the completions and the
# documents where each belongs, and the uninstall takes them away again; the
# Debian package holds the same, its binary runs, and lintian finds no error.
# Usage: package_test.sh BUILD_DIR
set -u
build=$(realpath "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
files="bin/quorvane share/man/man1/quorvane.1.gz share/bash-completion/completions/quorvane
share/zsh/site-functions/_quorvane share/fish/vendor_completions.d/quorvane.fish
share/doc/quorvane/copyright share/doc/quorvane/changelog.gz"

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "the install failed"
for f in $files; do [ -f "$work/prefix/$f" ] || fail "the install did not put down $f"; done
cmake --build "$build" --target uninstall >/dev/null || fail "the uninstall failed"
[ -z "$(find "$work/prefix" -type f)" ] || fail "the uninstall left $(find "$work/prefix" -type f | head -1)"

if command -v dpkg-deb >/dev/null; then
    (cd "$work" && cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >/dev/null) || fail "cpack failed"
    deb=$(ls "$work"/quorvane_*_*.deb 2>/dev/null | head -1)
    [ -n "$deb" ] || fail "no quorvane_VERSION_ARCH.deb was made"
    listed=$(dpkg-deb -c "$deb" | awk '{print $NF}')
    for f in $files; do grep -qx "./usr/$f" <<<"$listed" || fail "the package lacks usr/$f"; done
    for lib in libc6 libedit2; do
        dpkg-deb -f "$deb" Depends | grep -q $lib || fail "the package does not depend on $lib"
    done
    dpkg-deb -x "$deb" "$work/root"
    "$work/root/usr/bin/quorvane" --version | grep -q '^License MIT' || fail "the packaged binary does not run"
    if command -v lintian >/dev/null; then
        lintian "$deb" 2>/dev/null | grep '^E:' && fail "lintian reports errors"
    else
        echo "lintian is not installed: the package was NOT checked by it"
    fi
else
    echo "dpkg-deb is not installed: the Debian package was NOT built"
fi
echo "$failures failures"
[ $failures = 0 ]
