#!/usr/bin/env bash
# The private PostgreSQL of the tests: a cluster in a folder of its own, reached only by
# the Unix socket in that folder, with the demo company as template database tavrek_demo.
# PostgreSQL refuses to run as root, so under root the server runs as the postgres user.
#   pg-test-server.sh start DIR TAVREK_ADMIN
#   pg-test-server.sh stop DIR
# A test of a lost server stops its own cluster as a power cut would, and starts it again;
# with TAVREK_PG_DURABLE=1 that cluster keeps every commit it acknowledged, as a company's would:
#   pg-test-server.sh crash DIR
#   pg-test-server.sh restart DIR
set -euo pipefail
command=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

run_server() {
  local commit=off
  if [ "${TAVREK_PG_DURABLE:-0}" = 1 ]; then commit=on; fi
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-k $dir -c listen_addresses= -c fsync=off -c synchronous_commit=$commit -c full_page_writes=off -c max_connections=300" \
    start >/dev/null
}

case $command in
  start)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
    as_owner "$bin/initdb" -D "$dir/data" -U tavrek -A trust -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log"
    run_server
    "$bin/createdb" -h "$dir" -U tavrek tavrek_demo
    "$3" init "postgresql://tavrek@/tavrek_demo?host=$dir" >/dev/null
    ;;
  crash)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
    ;;
  restart)
    run_server
    ;;
  stop)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start DIR TAVREK_ADMIN | stop DIR | crash DIR | restart DIR" >&2
    exit 2
    ;;
esac
