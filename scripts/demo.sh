#!/usr/bin/env bash
# The demonstration, run by scripts/run.sh with the build folder: starts the
# reference album service with its demonstration account (demo/demo) in a
# fresh data folder, uploads the bundled sample pictures with tessel-upload
# into a new album with tags, prints the summary and the album's web page, and
# stops the service again.
#
#   bash scripts/demo.sh BUILD_DIR [--keep]
#
# --keep leaves the service running so that the album can be browsed; the
# script then prints how to stop it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:?usage: demo.sh BUILD_DIR [--keep]}
shift
keep=0
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    *) echo "demo.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

service_bin=$build_dir/tools/album-service/album-service
upload_bin=$build_dir/tools/tessel-upload/tessel-upload
for bin in "$service_bin" "$upload_bin"; do
  [ -x "$bin" ] || { echo "demo.sh: $bin is missing; build first" >&2; exit 1; }
done

data=$(mktemp -d "${TMPDIR:-/tmp}/tessel-demo.XXXXXX")
# The uploader's per-user settings go to the demo folder, not the real home.
home=$data/home
mkdir -p "$home"
service_pid=""

cleanup() {
  if [ "$keep" = 1 ] && [ -n "$service_pid" ] && kill -0 "$service_pid" 2>/dev/null; then
    return
  fi
  if [ -n "$service_pid" ]; then
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
  rm -rf "$data"
}
trap cleanup EXIT

# Starts the service on a port (0: any free one) and sets base_url; false when it did not come up.
start_service() {
  local port=$1 log=$data/service-$1.log
  "$service_bin" --data "$data/service" --port "$port" --seed-demo >"$log" 2>&1 &
  service_pid=$!
  for _ in $(seq 100); do
    if grep -q '^listening on ' "$log"; then
      base_url=$(sed -n 's/^listening on //p' "$log" | head -n 1)
      return 0
    fi
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$service_pid" 2>/dev/null || true
  wait "$service_pid" 2>/dev/null || true
  service_pid=""
  return 1
}

mkdir -p "$data/service"
# The built-in endpoints point at 18741; when something else holds that port
# the service takes a free one and the uploader is told with --service.
if ! (exec 3<>/dev/tcp/127.0.0.1/18741) 2>/dev/null && start_service 18741; then
  :
elif ! start_service 0; then
  echo "demo.sh: the album service did not start:" >&2
  cat "$data"/service-*.log >&2 || true
  exit 1
fi
echo "Reference album service at $base_url (account demo, password demo)."
echo

status=0
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
  "$upload_bin" --lines --service "$base_url" -u demo -p demo \
  --create-album "演示相册" --album-desc "tessel-upload 上传的样片" -t "演示 样片,风景" \
  "$top/resources/samples" || status=$?

echo
echo "What the service stored:"
"$service_bin" --data "$data/service" --list | sed 's/^/  /'
echo
if [ "$keep" = 1 ]; then
  echo "The service keeps running (pid $service_pid) with its data in $data."
  echo "Open the album page printed above in a browser; stop with: kill $service_pid && rm -rf $data"
else
  echo "Stopping the service (run 'bash scripts/demo.sh $build_dir --keep' to browse the album)."
fi
exit "$status"
