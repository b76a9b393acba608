#!/usr/bin/env bash
# Ctrl-C ends holdstill serve: the phone is switched off, the run's summary
# is printed and the status is 0. Usage: serve_interrupt_test.sh HOLDSTILL
set -euo pipefail
work=$(mktemp -d)
trap 'kill -9 $pid 2>/dev/null || true; rm -rf "$work"' EXIT
"$1" serve --port 0 --device "$work/phone" >"$work/out" 2>&1 &
pid=$!
for _ in $(seq 100); do grep -q "serving the phone at" "$work/out" && break; sleep 0.1; done
grep -q "serving the phone at" "$work/out" || { echo "never served"; cat "$work/out"; exit 1; }
kill -INT $pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "still running 10 s after Ctrl-C"; cat "$work/out"; exit 1; fi
wait $pid || { echo "status $?"; cat "$work/out"; exit 1; }
grep -q "the phone was switched off" "$work/out" || { echo "no switch-off line"; cat "$work/out"; exit 1; }
