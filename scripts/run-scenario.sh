#!/usr/bin/env bash
# Runs scenario files through tavrek-admin on a fresh demo company of their own, so that
# the document numbers they expect start at the first one:
#   run-scenario.sh TAVREK_ADMIN FILE...                   on a new company file
#   run-scenario.sh --postgresql HOST TAVREK_ADMIN FILE... on a clone of the demo template of
#                                                          the test PostgreSQL at HOST
set -euo pipefail
host=
if [ "$1" = "--postgresql" ]; then
  host=$2
  shift 2
fi
admin=$1
shift
if [ -z "$host" ]; then
  folder=$(mktemp -d)
  trap 'rm -rf "$folder"' EXIT
  "$admin" init "$folder/company.tavrek" >/dev/null
  "$admin" run "$folder/company.tavrek" "$@"
else
  bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
  name=scenario_$$_$RANDOM
  "$bin/createdb" -h "$host" -U tavrek -T tavrek_demo "$name"
  trap '"$bin/dropdb" -h "$host" -U tavrek --force "$name"' EXIT
  "$admin" run "postgresql://tavrek@/$name?host=$host" "$@"
fi
