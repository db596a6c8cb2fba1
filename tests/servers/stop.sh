#!/usr/bin/env bash
# Stops the servers that start.sh started in <dir>.
dir=$1
[ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null
[ -f "$dir/fault.pid" ] && kill "$(cat "$dir/fault.pid")" 2>/dev/null
rm -f "$dir/nginx.pid" "$dir/fault.pid" "$dir/fault.port" "$dir/servers.env"
exit 0
