#!/bin/bash
# A mosquitto broker for the MQTT end-to-end suite, run natively beside Wine (mosquitto is a Linux
# program). "start DIR" writes a configuration for a free 127.0.0.1 port, starts the broker and, once
# it accepts connections, writes DIR/port; when it cannot run, it writes why to DIR/skip and still
# succeeds, so the suite reports itself skipped. The same broker has three TLS listeners whose
# certificates come from a CA made here with openssl (DIR/tls): one for localhost that asks for the
# account in DIR/tls/account, one for another name, one expired; their ports are in DIR/tls/ports
# and a second CA that signed none of them is DIR/tls/other-ca.pem. Without openssl, DIR/tls/skip
# says why. "stop DIR" stops that broker by its process id.
set -u
verb=${1:-}
dir=${2:-}
[ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

# A CA, a second CA, and server certificates signed by the first: for localhost, for another name,
# and one that expired in 2021. Says why in DIR/skip when it cannot.
make_certificates() {
    local tls=$1
    mkdir -p "$tls" || return 1
    if ! command -v openssl >/dev/null; then
        echo "openssl is not installed (Debian package openssl)" >"$tls/skip"
        return 1
    fi
    : >"$tls/index.txt"
    echo 01 >"$tls/serial"
    cat >"$tls/openssl.cnf" <<EOF
[ca]
default_ca = test_ca
[test_ca]
database = $tls/index.txt
new_certs_dir = $tls
serial = $tls/serial
certificate = $tls/ca.pem
private_key = $tls/ca.key
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[req]
distinguished_name = dn
prompt = no
[dn]
CN = kvRemote test
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[localhost_ext]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
[other-name_ext]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:broker.other.example
[expired_ext]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
EOF
    {
        for ca in ca other-ca; do
            openssl req -x509 -config "$tls/openssl.cnf" -extensions ca_ext -newkey rsa:2048 -nodes \
                -keyout "$tls/$ca.key" -out "$tls/$ca.pem" -days 3650 -subj "/CN=kvRemote test $ca" || return 1
        done
        for name in localhost other-name expired; do
            openssl req -config "$tls/openssl.cnf" -newkey rsa:2048 -nodes -keyout "$tls/$name.key" \
                -out "$tls/$name.csr" -subj "/CN=$name" || return 1
            if [ "$name" = expired ]; then
                dates=(-startdate 20200101000000Z -enddate 20210101000000Z)
            else
                dates=(-days 3650)
            fi
            openssl ca -config "$tls/openssl.cnf" -batch -notext -extensions "${name}_ext" "${dates[@]}" \
                -in "$tls/$name.csr" -out "$tls/$name.pem" || return 1
        done
        echo "kvtls s3cret-Tls" >"$tls/account"
        mosquitto_passwd -c -b "$tls/passwd" kvtls s3cret-Tls || return 1
    } >"$tls/openssl.log" 2>&1 || {
        echo "the test certificates could not be made (see $tls/openssl.log)" >"$tls/skip"
        return 1
    }
}

case "$verb" in
start)
    rm -rf "$dir" && mkdir -p "$dir" || exit 1
    broker=$(command -v mosquitto || ls /usr/sbin/mosquitto 2>/dev/null)
    if [ -z "$broker" ]; then
        echo "mosquitto is not installed (Debian package mosquitto)" >"$dir/skip"
        exit 0
    fi
    # Free ports: bind to 0 and read back what the system gave.
    ports=$(python3 -c 'import socket
s=[socket.socket() for _ in range(4)]
[x.bind(("127.0.0.1",0)) for x in s]
print(" ".join(str(x.getsockname()[1]) for x in s))' 2>/dev/null)
    [ -n "$ports" ] || ports="$((20000 + RANDOM % 20000)) $((40000 + RANDOM % 5000)) $((45000 + RANDOM % 5000)) $((50000 + RANDOM % 5000))"
    read -r port tls_port other_port expired_port <<<"$ports"
    tls_listeners=
    if make_certificates "$dir/tls"; then
        echo "$tls_port $other_port $expired_port" >"$dir/tls/ports"
        tls_listeners=1
    fi
    {
        echo "per_listener_settings true"
        echo "listener $port 127.0.0.1"
        echo "allow_anonymous true"
        if [ -n "$tls_listeners" ]; then
            for listener in "$tls_port localhost" "$other_port other-name" "$expired_port expired"; do
                read -r p name <<<"$listener"
                echo "listener $p 127.0.0.1"
                echo "certfile $dir/tls/$name.pem"
                echo "keyfile $dir/tls/$name.key"
                echo "tls_version tlsv1.2"
                if [ "$name" = localhost ]; then
                    echo "allow_anonymous false"
                    echo "password_file $dir/tls/passwd"
                else
                    echo "allow_anonymous true"
                fi
            done
        fi
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
