#!/usr/bin/env bash
# Installs the built program into an empty folder (DESTDIR), starts the installed binary as the
# desktop menu does on a virtual display with a fresh home folder, and checks that the sign-in
# window comes up on the user's copy of the demo course, whose stored paths name the copy.
#   install_smoke.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
export OKULYK_SMOKE_ROOT="$work/root"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$OKULYK_SMOKE_ROOT/usr/bin/okulyk" --default-course >"$HOME/okulyk.log" 2>&1 &
    pid=$!
    shown=""
    for _ in $(seq 1 150); do
        if xdotool search --name "^Кіру$" >/dev/null 2>&1; then shown=yes; break; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ -z "$shown" ]; then
        echo "the sign-in window did not come up; the program said:" >&2
        cat "$HOME/okulyk.log" >&2
        exit 1
    fi
'
course="$HOME/.local/share/okulyk/course"
[ -f "$course/db.mdb" ] || { echo "no user copy of the demo course in $course" >&2; exit 1; }
# Every stored path into a course folder names the copy.
paths="$(grep -aoE "/[[:alnum:]/._-]*okulyk/course/(lectures|labs|videos)/" "$course/db.mdb" | sort -u)"
[ -n "$paths" ] || { echo "no stored paths found in the copy" >&2; exit 1; }
while read -r path; do
    case "$path" in
    "$course"/*) ;;
    *) echo "the copy still names another folder: $path" >&2; exit 1 ;;
    esac
done <<<"$paths"
[ -w "$course/db.mdb" ] || { echo "the copy is not writable" >&2; exit 1; }
echo "installed program came up on $course"
