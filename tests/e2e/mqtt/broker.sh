#!/bin/bash
# A mosquitto broker for the MQTT end-to-end suite, run natively beside Wine (mosquitto is a Linux
# program). "start DIR" writes a configuration for a free 127.0.0.1 port, starts the broker and, once
# it accepts connections, writes DIR/port; when it cannot run, it writes why to DIR/skip and still
# succeeds, so the suite reports itself skipped. "stop DIR" stops that broker by its process id.
set -u
verb=${1:-}
dir=${2:-}
[ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

case "$verb" in
start)
    rm -rf "$dir" && mkdir -p "$dir" || exit 1
    broker=$(command -v mosquitto || ls /usr/sbin/mosquitto 2>/dev/null)
    if [ -z "$broker" ]; then
        echo "mosquitto is not installed (Debian package mosquitto)" >"$dir/skip"
        exit 0
    fi
    # A free port: bind to 0 and read back what the system gave.
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null)
    [ -n "$port" ] || port=$((20000 + RANDOM % 20000))
    {
        echo "listener $port 127.0.0.1"
        echo "allow_anonymous true"
        echo "persistence false"
        echo "log_dest file $dir/mosquitto.log"
        # Run as root, it would become the user "mosquitto", who cannot reach this folder.
        echo "user $(id -un)"
    } >"$dir/mosquitto.conf"
    "$broker" -c "$dir/mosquitto.conf" >/dev/null 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port" >"$dir/port"
            exit 0
        fi
        kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
        sleep 0.1
    done
    echo "mosquitto did not accept connections on 127.0.0.1:$port (see $dir/mosquitto.log)" >"$dir/skip"
    kill "$(cat "$dir/pid")" 2>/dev/null
    exit 1
    ;;
stop)
    rm -f "$dir/port"
    [ -f "$dir/pid" ] || exit 0
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || exit 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    exit 0
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
