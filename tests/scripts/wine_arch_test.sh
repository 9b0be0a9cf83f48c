#!/usr/bin/env bash
# Tests of scripts/wine-arch and scripts/wine-run against stand-in Wine
# loaders and servers, so that every path can be taken on any machine: a
# loader that works, one the kernel cannot load (as the 32-bit one where
# 32-bit programs cannot run), one that fails, and one that is missing.
#
#   wine_arch_test.sh GROUP SCRIPTS_DIR      GROUP: choice, environment, wine_run
set -uo pipefail

group="$1"
scripts="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

check() { # NAME EXPECTED ACTUAL
    if [[ "$2" == "$3" ]]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        echo "  expected: $2"
        echo "  actual:   $3"
        failures=$((failures + 1))
    fi
}

check_contains() { # NAME NEEDLE HAYSTACK
    if [[ "$3" == *"$2"* ]]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        echo "  expected to contain: $2"
        echo "  actual: $3"
        failures=$((failures + 1))
    fi
}

# --- stand-ins
export FAKE_CALLS="$work/calls"
: >"$FAKE_CALLS"
fake="$work/fake"
mkdir -p "$fake" "$work/bin"
# A Wine program that starts: it gives its version, records every other call
# with the variables that select Wine, and makes the prefix for wineboot.
cat >"$fake/program" <<'PROGRAM'
#!/usr/bin/env bash
[[ "${1:-}" == --version ]] && { echo "wine-8.0"; exit 0; }
echo "$(basename "$0") ${WINEARCH:-} ${WINELOADER:-} ${WINESERVER:-} ${WINEPREFIX:-} | $*" >>"$FAKE_CALLS"
if [[ "${1:-}" == wineboot ]]; then
    [[ -n "${FAKE_WINEBOOT_FAILS:-}" ]] && { echo "wineboot cannot make the prefix" >&2; exit 1; }
    # FAKE_WINEBOOT_FLAKY names a file: the first wineboot makes it and
    # leaves no registry behind, later ones work.
    if [[ -n "${FAKE_WINEBOOT_FLAKY:-}" && ! -e "$FAKE_WINEBOOT_FLAKY" ]]; then
        touch "$FAKE_WINEBOOT_FLAKY"
        mkdir -p "$WINEPREFIX"
        exit 0
    fi
    mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/system.reg"
fi
[[ "${1:-}" == prog.exe ]] && echo "prog.exe says hello"
exit 0
PROGRAM
chmod +x "$fake/program"
for name in wine32 wineserver32 wine64 wineserver64; do
    cp "$fake/program" "$fake/$name"
done
# Debian's commands, first on PATH: any call of them is a call that did not
# go through the chosen loader and server.
for name in wine wine64 wineserver wineboot; do
    cp "$fake/program" "$work/bin/$name"
done
export PATH="$work/bin:$PATH"
# An executable the kernel refuses to load ("Exec format error"), as the
# 32-bit loader on a machine without 32-bit support.
printf '\177ELF\011\001\001\000\000\000\000\000\000\000\000\000' >"$fake/foreign"
head -c 64 /dev/zero >>"$fake/foreign"
chmod +x "$fake/foreign"
# A program that starts but fails.
printf '#!/bin/sh\necho "cannot open display" >&2\nexit 3\n' >"$fake/failing"
chmod +x "$fake/failing"

working_wines() {
    export TARROW_WINE32_LOADER="$fake/wine32" TARROW_WINE32_SERVER="$fake/wineserver32"
    export TARROW_WINE64_LOADER="$fake/wine64" TARROW_WINE64_SERVER="$fake/wineserver64"
    unset TARROW_WINE_ARCH
}

run() { # ARGS...: runs wine-arch; sets out, err, status
    status=0
    out="$("$scripts/wine-arch" "$@" 2>"$work/err")" || status=$?
    err="$(cat "$work/err")"
}

case "$group" in
choice)
    working_wines
    run
    check "the 32-bit Wine is chosen where it starts" "0 win32" "$status $out"
    run --reason
    check "and the reason says the machine runs 32-bit programs" \
        "this machine runs 32-bit programs" "$out"

    working_wines
    TARROW_WINE32_LOADER="$fake/foreign" run
    check "the 64-bit Wine is chosen where the 32-bit loader cannot be loaded" "0 win64" "$status $out"
    TARROW_WINE32_LOADER="$fake/foreign" run --reason
    check "and the reason says the machine cannot run 32-bit programs" \
        "this machine cannot run 32-bit programs" "$out"

    TARROW_WINE32_SERVER="$fake/failing" run
    check "a 32-bit server that fails rules out the 32-bit Wine" "0 win64" "$status $out"
    TARROW_WINE32_LOADER="$work/none/wine" run --reason
    check "a missing 32-bit loader is named as such" "the 32-bit Wine is not installed" "$out"

    TARROW_WINE_ARCH=win64 run
    check "TARROW_WINE_ARCH=win64 forces the 64-bit Wine where the 32-bit one starts" \
        "0 win64" "$status $out"
    TARROW_WINE_ARCH=win64 run --reason
    check "and the reason names the variable" "forced by TARROW_WINE_ARCH=win64" "$out"

    TARROW_WINE32_LOADER="$fake/foreign" TARROW_WINE_ARCH=win32 run
    check "forcing the 32-bit Wine where it cannot start fails and prints no choice" \
        "1 " "$status $out"
    check_contains "and says why" "cannot run 32-bit programs" "$err"
    check_contains "and names the loader" "$fake/foreign" "$err"

    TARROW_WINE32_LOADER="$fake/foreign" TARROW_WINE64_LOADER="$fake/failing" run
    check "where neither Wine starts there is no choice" "1 " "$status $out"
    check_contains "and the message says so" "no Wine can run Windows programs here" "$err"
    check_contains "naming what the 64-bit loader said" "cannot open display" "$err"

    TARROW_WINE_ARCH=win16 run
    check "an unknown TARROW_WINE_ARCH is refused" "1 " "$status $out"
    check_contains "naming the value" "'win16'" "$err"
    ;;

environment)
    working_wines
    run --env
    check "--env selects the chosen Wine's loader and server" \
        "WINEARCH=win32 WINELOADER=$fake/wine32 WINESERVER=$fake/wineserver32" "$(echo $out)"
    TARROW_WINE_ARCH=win64 run --env
    check "--env follows a forced choice" \
        "WINEARCH=win64 WINELOADER=$fake/wine64 WINESERVER=$fake/wineserver64" "$(echo $out)"

    TARROW_WINE_ARCH=win32 run --env win64
    check "a build's architecture decides its Wine, whatever is forced" \
        "WINEARCH=win64 WINELOADER=$fake/wine64 WINESERVER=$fake/wineserver64" "$(echo $out)"
    TARROW_WINE32_LOADER="$fake/foreign" run --env win32
    check "the 32-bit build never gets the 64-bit Wine" "1 " "$status $out"
    check_contains "and the message says why" "the 32-bit build needs the 32-bit Wine" "$err"
    TARROW_WINE64_LOADER="$work/none/wine64" run --env win64
    check "nor the 64-bit build the 32-bit one" "1 " "$status $out"
    check_contains "and the message says it is not installed" "the 64-bit Wine is not installed" "$err"

    odd="$work/odd dir/it's"
    mkdir -p "$odd"
    cp "$fake/program" "$odd/wine64"
    TARROW_WINE64_LOADER="$odd/wine64" run --exports win64
    (
        eval "$out"
        echo "$WINEARCH|$WINELOADER|$WINESERVER"
    ) >"$work/exported"
    check "--exports survives eval with spaces and quotes in paths" \
        "win64|$odd/wine64|$fake/wineserver64" "$(cat "$work/exported")"
    ;;

wine_run)
    working_wines
    export DISPLAY=:fake # no virtual display is started
    prefix="$work/prefix"
    calls() { cat "$FAKE_CALLS"; }

    status=0
    "$scripts/wine-run" --arch win64 --prefix "$prefix" --start >/dev/null 2>&1 || status=$?
    output="$("$scripts/wine-run" --arch win64 --prefix "$prefix" -- prog.exe one two)" ||
        status=$?
    "$scripts/wine-run" --arch win64 --prefix "$prefix" --stop >/dev/null 2>&1 || status=$?
    check "start, run and stop succeed" "0" "$status"
    check "the program's output comes back" "prog.exe says hello" "$output"
    selected="win64 $fake/wine64 $fake/wineserver64 $prefix"
    check "every call goes to the 64-bit loader or server with that Wine selected" "" \
        "$(grep -v -e "^wine64 $selected | " -e "^wineserver64 $selected | " "$FAKE_CALLS")"
    check "the prefix is made, set up and waited for, served, used and stopped" \
        "wine64|wineboot -i
wine64|reg add HKCU\\Software\\Wine\\X11 Driver /v Managed /d N /f
wineserver64|-w
wineserver64|-p
wine64|cmd /c exit
wine64|prog.exe one two
wineserver64|-k" "$(sed 's/ .* | /|/' "$FAKE_CALLS")"
    check "the prefix is marked with its architecture" "win64" "$(cat "$prefix/.tarrow-ready")"

    : >"$FAKE_CALLS"
    "$scripts/wine-run" --arch win64 --prefix "$prefix" -- prog.exe >/dev/null
    check "a ready prefix is not made again" "wine64|prog.exe" "$(sed 's/ .* | /|/' "$FAKE_CALLS")"

    : >"$FAKE_CALLS"
    "$scripts/wine-run" --arch win32 --prefix "$prefix" -- prog.exe >/dev/null
    check "a prefix made for the other architecture is made anew, under the 32-bit Wine" \
        "wineserver32|-k
wine32|wineboot -i
wine32|reg add HKCU\\Software\\Wine\\X11 Driver /v Managed /d N /f
wineserver32|-w
wine32|prog.exe" "$(sed 's/ .* | /|/' "$FAKE_CALLS")"
    check "and marked for it" "win32" "$(cat "$prefix/.tarrow-ready")"

    : >"$FAKE_CALLS"
    status=0
    TARROW_WINE32_LOADER="$fake/foreign" "$scripts/wine-run" --arch win32 \
        --prefix "$work/prefix32" --start >/dev/null 2>"$work/err" || status=$?
    check "starting a 32-bit prefix where 32-bit programs cannot run fails" "1" "$status"
    check_contains "with the reason" "this machine cannot run 32-bit programs" "$(cat "$work/err")"
    check "and no Wine ran in its place" "" "$(calls)"
    check "and no prefix was made" "no" "$([[ -e "$work/prefix32" ]] && echo yes || echo no)"

    status=0
    FAKE_WINEBOOT_FAILS=1 "$scripts/wine-run" --arch win64 --prefix "$work/prefix64" \
        -- prog.exe >/dev/null 2>"$work/err" || status=$?
    check "a prefix that cannot be made fails the run" "1" "$status"
    check_contains "showing what wineboot said" "wineboot cannot make the prefix" "$(cat "$work/err")"
    check "and the program does not run" "" "$(grep 'prog.exe' "$FAKE_CALLS")"

    : >"$FAKE_CALLS"
    status=0
    FAKE_WINEBOOT_FLAKY="$work/flaky" "$scripts/wine-run" --arch win64 \
        --prefix "$work/prefix-flaky" -- prog.exe >/dev/null 2>"$work/err" || status=$?
    check "a first attempt that leaves no registry is made again, and the run goes on" "0" \
        "$status"
    check "with a second wineboot" "2" "$(grep -c 'wineboot -i' "$FAKE_CALLS")"
    check "the prefix is marked ready" "win64" "$(cat "$work/prefix-flaky/.tarrow-ready")"
    ;;

*)
    echo "unknown group $group" >&2
    exit 2
    ;;
esac

echo "$failures failed"
[[ $failures -eq 0 ]]
