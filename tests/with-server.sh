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
# A port of its own: suites run side by side, and pg_virtualenv would give each one 5432. It is
# taken below the range the system hands out to outgoing connections, whose local ports a
# listening server could not bind either.
port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
read -r ephemeral _ </proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || ephemeral=32768
span=$(( ephemeral - 20000 ))
port=$(( 20000 + ($$ * 7919 + $(date +%N | sed 's/^0*//;s/^$/0/')) % span ))
while ! port_free "$port"; do
    port=$(( 20000 + (port - 20000 + 1) % span ))
done
# UTF-8 whatever the machine's locale; no disk flushes, since the cluster is thrown away.
exec pg_virtualenv -t -c "-p $port" -i "--encoding=UTF8 --locale=C.UTF-8" -o fsync=off \
    -o synchronous_commit=off -o full_page_writes=off "$@"
