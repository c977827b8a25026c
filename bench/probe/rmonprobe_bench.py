#!/usr/bin/python3
"""rmonprobe's replay speed, and its answers while it replays.

Writes a large capture (FRAMES frames over PAIRS ordered pairs of 2,000 hosts, lengths 60
to 1,514, each kept to its first 64 bytes as a probe's capture keeps them), then runs
`rmonprobe -r FILE --fast` on it. While it replays, a second thread of this process asks it
over UDP, one request at a time, alternately a get-next of matrixSDOctets and a get-bulk of
50 rows of it, and times every answer. Reports rmonprobe's own figures (frames per second
of wall time, and per second of CPU time of its capture thread, which is one core), the
number of answers during the replay, and the slowest answer.

usage: rmonprobe_bench.py [--rmonprobe BIN] [--frames N] [--pairs N] [--table-size N]
                          [--file PATH] [--keep]
Run it by hand on a quiet machine; it prints the load average before and after.
"""
import argparse
import os
import random
import socket
import struct
import subprocess
import sys
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "probe"))
from conv_oracle import free_port  # noqa: E402
SD_OCTETS = [1, 3, 6, 1, 2, 1, 16, 6, 2, 1, 5]
SNAP = 64


def write_capture(path, frames, pairs, seed=2):
    rng = random.Random(seed)
    hosts = [bytes([0x00, 0xA0, 0xC9, 0x10, h >> 8, h & 0xFF]) for h in range(2000)]
    chosen = set()
    while len(chosen) < pairs:
        a, b = rng.sample(range(len(hosts)), 2)
        chosen.add((a, b))
    # A pool of records (same time stamp: a fast replay does not read it) drawn at random.
    pool = []
    for a, b in sorted(chosen):
        length = rng.choice([60, 64, 128, 256, 576, 1024, 1514, rng.randrange(60, 1515)])
        frame = (hosts[b] + hosts[a] + b"\x08\x00" + bytes(SNAP))[:min(length, SNAP)]
        pool.append(struct.pack("<IIII", 1700000000, 0, len(frame), length) + frame)
    with open(path, "wb") as f:
        f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, SNAP, 1))
        left = frames
        while left:
            chunk = min(left, 100000)
            f.write(b"".join(rng.choices(pool, k=chunk)))
            left -= chunk


def ber_length(n):
    if n < 128:
        return bytes([n])
    body = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def tlv(tag, body):
    return bytes([tag]) + ber_length(len(body)) + body


def ber_int(n):
    return tlv(0x02, n.to_bytes(4, "big", signed=True))


def ber_oid(arcs):
    body = bytes([40 * arcs[0] + arcs[1]])
    for arc in arcs[2:]:
        chunk = [arc & 0x7F]
        arc >>= 7
        while arc:
            chunk.insert(0, 0x80 | (arc & 0x7F))
            arc >>= 7
        body += bytes(chunk)
    return tlv(0x06, body)


def request(pdu_tag, request_id, arcs, repetitions=0):
    """An SNMPv2c get-next (0xA1) or get-bulk (0xA5, non-repeaters 0) for one name."""
    varbinds = tlv(0x30, tlv(0x30, ber_oid(arcs) + b"\x05\x00"))
    pdu = tlv(pdu_tag, ber_int(request_id) + ber_int(0) + ber_int(repetitions) + varbinds)
    return tlv(0x30, ber_int(1) + tlv(0x04, b"public") + pdu)


class Asker(threading.Thread):
    """Asks the agent until stopped; keeps every answer's delay in seconds."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port = port
        self.delays = []
        self.lost = 0
        self.stopping = threading.Event()

    def run(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.settimeout(2.0)
        number = 0
        while not self.stopping.is_set():
            number += 1
            bulk = number % 2 == 0
            packet = request(0xA5 if bulk else 0xA1, number, SD_OCTETS, 50 if bulk else 0)
            sent = time.perf_counter()
            s.sendto(packet, ("127.0.0.1", self.port))
            try:
                s.recv(65535)
                self.delays.append(time.perf_counter() - sent)
            except socket.timeout:
                self.lost += 1
            time.sleep(0.001)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rmonprobe", default=os.path.join(ROOT, "build", "bin", "rmonprobe"))
    parser.add_argument("--frames", type=int, default=6000000)
    parser.add_argument("--pairs", type=int, default=5000)
    parser.add_argument("--table-size", type=int, default=10000)
    parser.add_argument("--file", default="/tmp/rmonprobe_bench.pcap")
    parser.add_argument("--keep", action="store_true", help="keep the capture file")
    args = parser.parse_args()

    print("load average before: %s" % open("/proc/loadavg").read().strip())
    started = time.time()
    write_capture(args.file, args.frames, args.pairs)
    print("capture: %d frames over %d pairs, %.0f MB, written in %.1f s"
          % (args.frames, args.pairs, os.path.getsize(args.file) / 1e6, time.time() - started))
    port = free_port()
    probe = subprocess.Popen([args.rmonprobe, "-r", args.file, "--fast", "--port", str(port),
                              "--table-size", str(args.table_size)],
                             stdout=subprocess.PIPE, text=True)
    try:
        if not probe.stdout.readline().startswith("listening"):
            raise SystemExit("rmonprobe did not start")
        asker = Asker(port)
        asker.start()
        done = probe.stdout.readline().strip()
        asker.stopping.set()
        asker.join()
    finally:
        probe.terminate()
        probe.wait()
        if not args.keep:
            os.remove(args.file)
    print(done)
    delays = sorted(asker.delays)
    if delays:
        print("answers during the replay: %d (%d unanswered within 2 s); delay median %.2f ms,"
              " 99th percentile %.2f ms, longest %.2f ms"
              % (len(delays), asker.lost, 1000 * delays[len(delays) // 2],
                 1000 * delays[int(len(delays) * 0.99)], 1000 * delays[-1]))
    print("load average after: %s" % open("/proc/loadavg").read().strip())


if __name__ == "__main__":
    main()
