#!/usr/bin/env bash
# Runs scenario files through tavrek-admin on a fresh demo company of their own, so that
# the document numbers they expect start at the first one:
#   run-scenario.sh TAVREK_ADMIN FILE...                   on a new company file
#   run-scenario.sh --postgresql HOST TAVREK_ADMIN FILE... on a clone of the demo template of
#                                                          the test PostgreSQL at HOST
# With --network first, the company is served by a tavrek-server (beside tavrek-admin) on
# loopback and the scenarios go through it.
set -euo pipefail
network=0
if [ "$1" = "--network" ]; then
  network=1
  shift
fi
host=
if [ "$1" = "--postgresql" ]; then
  host=$2
  shift 2
fi
admin=$1
shift
folder=$(mktemp -d)
cleanup() {
  if [ -n "${server_pid:-}" ]; then kill -TERM "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  if [ -n "${database:-}" ]; then "$bin/dropdb" -h "$host" -U tavrek --force "$database"; fi
  rm -rf "$folder"
}
trap cleanup EXIT
if [ -z "$host" ]; then
  company=$folder/company.tavrek
  "$admin" init "$company" >/dev/null
else
  bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
  database=scenario_$$_$RANDOM
  "$bin/createdb" -h "$host" -U tavrek -T tavrek_demo "$database"
  company="postgresql://tavrek@/$database?host=$host"
fi
if [ "$network" = 0 ]; then
  "$admin" run "$company" "$@"
  exit
fi
: >"$folder/server.log"
"$(dirname "$admin")/tavrek-server" --listen 127.0.0.1:0 --scenario-checks "$company" >"$folder/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do
  address=$(sed -n 's/^listening on //p' "$folder/server.log")
  if [ -n "$address" ]; then break; fi
  if ! kill -0 "$server_pid" 2>/dev/null; then cat "$folder/server.log" >&2; exit 1; fi
  sleep 0.1
done
if [ -z "$address" ]; then echo "tavrek-server did not start" >&2; exit 1; fi
"$admin" run --server "$address" "$@"
