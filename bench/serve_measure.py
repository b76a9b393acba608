#!/usr/bin/python3
"""Measures holdstill serve as a page sees it: the time from a posted touch
to the changed screen arriving on the event stream, frames per second while
the steadiness meter moves, and the server's CPU while the phone sits still
and while it is shaken (one page connected in each case).

    bench/serve_measure.py build/release/sim/holdstill [--seconds S]
"""
import argparse
import http.client
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TICKS = os.sysconf("SC_CLK_TCK")


class Phone:
    def __init__(self, holdstill):
        self.device = tempfile.mkdtemp(prefix="holdstill-measure-")
        self.process = subprocess.Popen([holdstill, "serve", "--port", "0", "--device", self.device + "/phone"],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        for line in self.process.stdout:
            found = re.search(r"serving the phone at http://([^:/]+):(\d+)/", line)
            if found:
                self.host, self.port = found.group(1), int(found.group(2))
                break
        threading.Thread(target=lambda: [None for _ in self.process.stdout], daemon=True).start()
        self.frames = []  # arrival times of frame events
        self.lock = threading.Lock()
        threading.Thread(target=self._read_events, daemon=True).start()

    def _read_events(self):
        connection = http.client.HTTPConnection(self.host, self.port)
        connection.request("GET", "/api/events")
        response = connection.getresponse()
        event = None
        while True:
            line = response.fp.readline()
            if not line:
                return
            if line.startswith(b"event: "):
                event = line[7:].strip()
            elif line.startswith(b"data: ") and event == b"frame":
                with self.lock:
                    self.frames.append(time.monotonic())

    def call(self, method, path, body=None):
        connection = http.client.HTTPConnection(self.host, self.port)
        connection.request(method, path, json.dumps(body) if body is not None else None,
                           {"Content-Type": "application/json"})
        answer = connection.getresponse().read()
        return json.loads(answer) if answer else None

    def state(self):
        return self.call("GET", "/api/state")

    def wait_for(self, condition, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if condition(self.state()):
                return
            time.sleep(0.05)
        raise RuntimeError("timed out")

    def frame_count(self):
        with self.lock:
            return len(self.frames)

    def first_frame_after(self, start, seconds=2):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            with self.lock:
                later = [t for t in self.frames if t > start]
            if later:
                return later[0]
            time.sleep(0.001)
        return None

    def cpu_seconds(self):
        with open(f"/proc/{self.process.pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS

    def cpu_share(self, seconds):
        before, start = self.cpu_seconds(), time.monotonic()
        frames = self.frame_count()
        time.sleep(seconds)
        elapsed = time.monotonic() - start
        return (self.cpu_seconds() - before) / elapsed, (self.frame_count() - frames) / elapsed

    def quit(self):
        self.call("POST", "/api/quit")
        self.process.wait(timeout=60)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("holdstill")
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    phone = Phone(args.holdstill)
    phone.wait_for(lambda s: s["alerts"])
    phone.call("POST", "/api/alert", {"button": 0})
    phone.call("POST", "/api/gps/off")
    phone.wait_for(lambda s: s["cameraOpen"] and not s["alerts"])
    time.sleep(2)

    cpu, fps = phone.cpu_share(args.seconds)
    print(f"camera open, phone still:   CPU {cpu * 100:5.1f} % of a core, {fps:4.1f} frames/s")

    latencies = []
    for _ in range(20):
        time.sleep(0.5)
        start = time.monotonic()
        phone.call("POST", "/api/tap", {"x": 293, "y": 44})  # steady mode on/off: the button changes
        arrived = phone.first_frame_after(start)
        if arrived:
            latencies.append((arrived - start) * 1000)
    latencies.sort()
    print(f"touch to changed screen on the page: median {statistics.median(latencies):.1f} ms, "
          f"p90 {latencies[int(len(latencies) * 0.9) - 1]:.1f} ms, max {latencies[-1]:.1f} ms "
          f"({len(latencies)} of 20 touches)")

    if not phone.state()["steadyMode"]:
        phone.call("POST", "/api/tap", {"x": 293, "y": 44})
    phone.call("POST", "/api/motion", {"motion": "shake", "amplitude": 0.2})
    phone.call("POST", "/api/tap", {"x": 200, "y": 240})
    time.sleep(1)
    cpu, fps = phone.cpu_share(args.seconds)
    print(f"steady mode, phone shaken:  CPU {cpu * 100:5.1f} % of a core, {fps:4.1f} frames/s (meter moving)")
    phone.quit()


if __name__ == "__main__":
    sys.exit(main())
