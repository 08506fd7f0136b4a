#!/bin/sh
# Runs a test program against a throw-away PostgreSQL cluster of its own, made by pg_virtualenv
# (Debian's postgresql-common) and dropped when the program ends; the program's exit status is
# passed on. A machine without PostgreSQL fails here, loudly: scripts/deps installs it.
set -eu
if ! command -v pg_virtualenv >/dev/null 2>&1; then
    echo "with-server.sh: pg_virtualenv is missing; install postgresql and postgresql-common" \
         "(scripts/deps does)" >&2
    exit 1
fi
export OKULYK_TEST_STORE=server
# UTF-8 whatever the machine's locale; no disk flushes, since the cluster is thrown away.
exec pg_virtualenv -t -i "--encoding=UTF8 --locale=C.UTF-8" -o fsync=off \
    -o synchronous_commit=off -o full_page_writes=off "$@"
