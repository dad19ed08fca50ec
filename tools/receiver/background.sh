# Sourced by scripts that need the receiver for a while (demo, benchmark, tests):
#   start_receiver STORE_DIR LOG_FILE   sets receiver_port and receiver_pid, waits until it answers
#   stop_receiver
receiver_pid=
receiver_port=

start_receiver() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  receiver_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "$here/run.sh" "$receiver_port" "$1" >"$2" 2>&1 &
  receiver_pid=$!
  for _ in $(seq 50); do
    curl -fs "http://127.0.0.1:$receiver_port/" >/dev/null && return 0
    sleep 0.1
  done
  echo "the receiver did not start:" >&2
  cat "$2" >&2
  return 1
}

stop_receiver() {
  if [ -n "$receiver_pid" ]; then
    kill "$receiver_pid" 2>/dev/null && wait "$receiver_pid" 2>/dev/null || true
    receiver_pid=
  fi
}
