#!/usr/bin/env bash
# Throwaway PostgreSQL servers for the tests and benchmarks. One cluster is made with initdb per
# root folder and copied for every server (a copy starts in a fraction of the time initdb takes);
# each server listens on a free loopback port and in its own folder, and runs as an unprivileged
# user (the postgres account when we are root, since PostgreSQL refuses to run as root).
#
# Sourced by scripts/test and scripts/bench; run by a test that needs a server of its own:
#   pgtestserver.sh start ROOT NAME [durable]   starts ROOT/NAME (anew, or again after a stop),
#                                               prints its port
#   pgtestserver.sh stop ROOT NAME              stops it, keeping what it holds
# The role is "tallyvane" with the password in ROOT/password.

tv_pg_bindir() {
    local dir
    dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [ -x "$dir/initdb" ] || { echo "PostgreSQL's server programs are not installed" >&2; return 1; }
    echo "$dir"
}

# Runs a command as the user that owns the servers.
tv_pg_as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# Makes ROOT (an empty folder) ready: password and the initdb'd template. Records the calling
# shell's process so that a later run can tell a root left by a killed run.
tv_pg_init() {
    local root=$1 bin
    bin=$(tv_pg_bindir) || return 1
    echo "$$" >"$root/owner"
    # Characters a URI must escape, so that the tests see them handled.
    (umask 077 && printf 'tv:p@ss/%s%%' "$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')" \
        >"$root/password")
    [ "$(id -u)" -eq 0 ] && chown -R postgres "$root"
    tv_pg_as_owner "$bin/initdb" -D "$root/template" -U tallyvane --pwfile="$root/password" \
        -A scram-sha-256 -E UTF8 --locale=C.UTF-8 --no-sync --no-instructions >"$root/initdb.log" 2>&1 ||
        { cat "$root/initdb.log" >&2; return 1; }
    cat >>"$root/template/postgresql.conf" <<'CONF'
listen_addresses = '127.0.0.1'
unix_socket_directories = '.'
max_connections = 60
shared_buffers = 64MB
logging_collector = off
CONF
}

# Starts ROOT/NAME from the template and prints its port. "durable" keeps the server's own
# settings for writing to disk; without it the server skips the waits for the disk (tests).
tv_pg_start() {
    local root=$1 name=$2 mode=${3:-} bin dir port try
    bin=$(tv_pg_bindir) || return 1
    dir=$root/$name
    # A server stopped before starts again with what it held.
    [ -d "$dir" ] || tv_pg_as_owner cp -a "$root/template" "$dir"
    local options=""
    [ "$mode" = durable ] || options="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
    for try in 1 2 3 4 5 6 7 8 9 10; do
        port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        if tv_pg_as_owner "$bin/pg_ctl" -D "$dir" -l "$dir/server.log" -w -t 60 \
            -o "-p $port $options" start >/dev/null 2>&1; then
            echo "$port"
            return 0
        fi
        grep -q "could not bind\|could not create any TCP/IP sockets\|already in use" "$dir/server.log" ||
            break
    done
    echo "The test database server did not start:" >&2
    cat "$dir/server.log" >&2
    return 1
}

tv_pg_stop() {
    local root=$1 name=$2 bin
    bin=$(tv_pg_bindir) || return 1
    [ -f "$root/$name/postmaster.pid" ] || return 0
    tv_pg_as_owner "$bin/pg_ctl" -D "$root/$name" -m fast -w -t 60 stop >/dev/null
}

# Stops every server under ROOT at once and removes ROOT.
tv_pg_stop_all() {
    local root=$1 bin pidfile
    [ -d "$root" ] || return 0
    bin=$(tv_pg_bindir) || return 1
    for pidfile in "$root"/*/postmaster.pid; do
        [ -f "$pidfile" ] || continue
        tv_pg_as_owner "$bin/pg_ctl" -D "$(dirname "$pidfile")" -m immediate -w -t 60 stop \
            >/dev/null 2>&1 || true
    done
    rm -rf "$root"
}

# Makes a new root under the temporary folder, after stopping the servers of roots whose run
# was killed before it could stop them. Prints the new root.
tv_pg_new_root() {
    local old owner root
    for old in "${TMPDIR:-/tmp}"/tv-pgtest.*; do
        [ -f "$old/owner" ] || continue
        owner=$(cat "$old/owner")
        kill -0 "$owner" 2>/dev/null || tv_pg_stop_all "$old"
    done
    root=$(mktemp -d "${TMPDIR:-/tmp}/tv-pgtest.XXXXXX")
    chmod 755 "$root"
    echo "$root"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case "${1:-}" in
    start) tv_pg_start "$2" "$3" "${4:-}" ;;
    stop) tv_pg_stop "$2" "$3" ;;
    *)
        echo "usage: $0 start|stop ROOT NAME" >&2
        exit 2
        ;;
    esac
fi
