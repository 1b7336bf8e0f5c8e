#!/usr/bin/env python3
"""velkan-webhost started by systemd-socket-activate on a free loopback port: it must serve from
the socket it is handed, not one of its own, and answer /access for an allowed origin and another."""
import http.client
import json
import shutil
import socket
import subprocess
import sys
import time

program = sys.argv[1]
activate = shutil.which("systemd-socket-activate")
if activate is None:
    print("systemd-socket-activate is not installed: skipped")
    sys.exit(77)

with socket.socket() as probe:
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]

allowed = "http://pages.example.test"
# --port 0: a bridge that ignored the handed socket would listen elsewhere and not answer here.
bridge = subprocess.Popen([activate, "-l", f"127.0.0.1:{port}", program, "--port", "0",
                           "--allow-origin", allowed],
                          stderr=subprocess.PIPE, text=True)
failed = []
try:
    def access(origin):
        deadline = time.monotonic() + 60
        while True:
            try:
                connection = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
                connection.request("GET", "/access", headers={"Origin": origin})
                response = connection.getresponse()
                return response.status, json.loads(response.read())
            except ConnectionRefusedError:
                # systemd-socket-activate is still binding.
                if time.monotonic() > deadline or bridge.poll() is not None:
                    raise
                time.sleep(0.05)

    for origin, expected in ((allowed, True), ("http://other.example.test", False)):
        status, answer = access(origin)
        if status != 200 or answer.get("allowed") is not expected:
            failed.append(f"/access from {origin}: {status} {answer}, expected allowed={expected}")
finally:
    bridge.terminate()
    _, errors = bridge.communicate(timeout=60)

if f"serving http://127.0.0.1:{port}/" not in errors:
    failed.append(f"the bridge did not serve the handed socket on port {port}: {errors}")
for failure in failed:
    print(failure)
if not failed:
    print(f"socket-activated bridge answered /access on 127.0.0.1:{port}")
sys.exit(1 if failed else 0)
