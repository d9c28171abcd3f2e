#!/usr/bin/env bash
# Runs a command with three loopback FTP servers (pyftpdlib): plain FTP, explicit
# FTPS with a certificate made here, and plain FTP with listings the tests craft.
# The tests find them through the BRVK_TEST_FTP_* variables; FTPS clients trust
# the certificate in BRVK_TEST_FTPS_CERTIFICATE. Stops them and exits with the
# command's status.
set -euo pipefail

. "$(dirname "$0")/server-wrapper.bash" ftp

mkdir -p "$work/root"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>"$work/openssl.log"

# A user name and password with quotes, a backslash, blanks and "%", so that every
# test that logs in also checks how credentials reach curl.
export BRVK_TEST_FTP_USER='brvk"q\'
export BRVK_TEST_FTP_PASSWORD='Pa"ss\wo rd'"'"'#%1'
export BRVK_TEST_FTP_ROOT="$work/root"
export BRVK_TEST_FTPS_CERTIFICATE="$work/certificate.pem"

WORK="$work" /usr/bin/python3 -c '
import json, os
w = os.environ["WORK"]
print(json.dumps({"user": os.environ["BRVK_TEST_FTP_USER"], "password": os.environ["BRVK_TEST_FTP_PASSWORD"],
                  "root": w + "/root", "certificate": w + "/certificate.pem", "key": w + "/key.pem"}))' \
  >"$work/config.json"
/usr/bin/python3 "$(dirname "$0")/ftp-server.py" <"$work/config.json" >"$work/ready" 2>"$work/server.log" &
server_pid=$!

wait_for_server "ftp-servers.sh: die FTP-Testserver starten nicht:" grep -qs '^READY' "$work/ready"
read -r _ ftp_port ftps_port crafted_port <"$work/ready"
export BRVK_TEST_FTP_PORT="$ftp_port" BRVK_TEST_FTPS_PORT="$ftps_port" BRVK_TEST_FTP_CRAFTED_PORT="$crafted_port"

"$@"
