#!/usr/bin/env bash
# The install rules and the .deb, on a built tree:
#   package_test.sh install BUILD_DIR VERSION   installs into a temporary
#     DESTDIR, runs the installed quorvel-cli --version and checks the files
#     and the bash completion;
#   package_test.sh deb BUILD_DIR VERSION       builds the .deb with CPack and
#     checks its contents and dependencies with dpkg-deb.
set -uo pipefail
what=$1 build=$2 version=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The files every installation holds, relative to the prefix /usr.
FILES=(
  usr/bin/quorvel-cli
  usr/bin/quorvel
  usr/share/applications/quorvel.desktop
  usr/share/icons/hicolor/scalable/apps/quorvel.svg
  usr/share/man/man1/quorvel-cli.1.gz
  usr/share/man/man1/quorvel.1.gz
  usr/share/bash-completion/completions/quorvel-cli
  usr/share/doc/quorvel/copyright
)

case $what in
install)
  DESTDIR="$WORK/root" cmake --install "$build" --prefix /usr >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; fail "cmake --install"; }
  for f in "${FILES[@]}"; do [ -e "$WORK/root/$f" ] || fail "not installed: /$f"; done
  got=$("$WORK/root/usr/bin/quorvel-cli" --version) || fail "installed quorvel-cli --version exits with $?"
  [ "$got" = "quorvel-cli $version" ] || fail "installed --version says '$got', not 'quorvel-cli $version'"
  zcat "$WORK/root/usr/share/man/man1/quorvel-cli.1.gz" | grep -q '^\.SH EXIT STATUS' || fail "man page without EXIT STATUS"
  # The completion offers the commands of the installed program's --help.
  words=$(PATH="$WORK/root/usr/bin:$PATH" bash -c '
    source "$1"; COMP_WORDS=(quorvel-cli --local Shop sta); COMP_CWORD=3; _quorvel_cli; echo "${COMPREPLY[*]}"' _ \
    "$WORK/root/usr/share/bash-completion/completions/quorvel-cli")
  [ "$words" = "status" ] || fail "completion of 'sta' gives '$words'"
  grep -q '^Exec=quorvel$' "$WORK/root/usr/share/applications/quorvel.desktop" || fail ".desktop without Exec=quorvel"
  ;;
deb)
  (cd "$WORK" && cpack -G DEB -B "$WORK/out" --config "$build/CPackConfig.cmake") >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; fail "cpack"; }
  deb=$(ls "$WORK"/out/quorvel_"$version"*.deb 2>/dev/null | head -1)
  if [ -z "$deb" ]; then
    fail "no .deb made"
  else
    [ "$(dpkg-deb -f "$deb" Package)" = quorvel ] || fail "package name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
    depends=$(dpkg-deb -f "$deb" Depends)
    for p in libfbclient2 firebird3.0-utils firebird3.0-server-core libqt6widgets6 libqt6core6 libstdc++6; do
      [[ ", $depends," == *", $p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
    done
    contents=$(dpkg-deb -c "$deb")
    for f in "${FILES[@]}"; do grep -q " \./$f\$" <<<"$contents" || fail ".deb lacks /$f"; done
    dpkg-deb -x "$deb" "$WORK/x"
    got=$("$WORK/x/usr/bin/quorvel-cli" --version) || fail "packaged quorvel-cli --version exits with $?"
    [ "$got" = "quorvel-cli $version" ] || fail "packaged --version says '$got'"
  fi
  ;;
*) echo "usage: $0 install|deb BUILD_DIR VERSION"; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "ok: $what"
exit $((failures > 0))
