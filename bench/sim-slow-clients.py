#!/usr/bin/env python3
"""Latency of a normal client while slow clients hold connections to quenla-sim.

Starts quenla-sim (bench build) on a fresh ledger, opens N connections that send a request's
first bytes and then one byte a second, and times 50 ordinary (unsigned, so refused) POSTs.
Usage: bench/sim-slow-clients.py [SLOW_CONNECTIONS]   (after: cmake --build --preset bench)
"""
import http.client, os, re, socket, subprocess, sys, tempfile, threading, time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
slow_count = int(sys.argv[1]) if len(sys.argv) > 1 else 64
work = tempfile.mkdtemp()
sim = subprocess.Popen([f"{root}/build/bench/bin/quenla-sim", "--listen", "127.0.0.1:0",
                        "--db", f"{work}/ledger.sqlite"], stdout=subprocess.PIPE, text=True)
port = int(re.search(r"127\.0\.0\.1:(\d+)", sim.stdout.readline()).group(1))
stop = False

def slow():
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"POST /quenla-web/quenlaweb/quenlaapi HTTP/1.1\r\n")
    while not stop:
        try:
            s.sendall(b"X")
        except OSError:
            return
        time.sleep(1)

threads = [threading.Thread(target=slow, daemon=True) for _ in range(slow_count)]
for t in threads:
    t.start()
time.sleep(1)
times = []
for _ in range(50):
    start = time.perf_counter()
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    c.request("POST", "/quenla-web/quenlaweb/quenlaapi", body=b"{}")
    c.getresponse().read()
    c.close()
    times.append((time.perf_counter() - start) * 1000)
stop = True
sim.terminate()
sim.wait()
times.sort()
print(f"{slow_count} slow connections: a normal request took median {times[25]:.1f} ms, "
      f"max {times[-1]:.1f} ms (50 requests)")
