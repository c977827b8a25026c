#!/usr/bin/python3
"""Traffic of one host of the live demo (scripts/live_demo.sh), run inside its network
namespace. Plain UDP sockets, so every frame stays within the MTU (no offloaded segments):

  sink                 receives and drops what comes to PORT (unicast, broadcast, multicast)
  talk ME PEERS...     for SECONDS: bulk datagrams of 1,400 bytes to the first peer, at a
                       rate that swells and fades over a minute (phase from ME); small
                       64-byte datagrams to the other peers; a broadcast every 2 s and a
                       multicast to 239.1.2.3 every second; every 20 s the bulk moves to the
                       next peer, so the busiest conversations change while one watches

usage: live_traffic.py sink | talk ME PEER... [--seconds N]
"""
import math
import socket
import sys
import time

PORT = 9999
GROUP = "239.1.2.3"
BROADCAST = "10.77.0.255"
TICK = 0.05  # seconds between sending rounds


def sink():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("0.0.0.0", PORT))
    member = socket.inet_aton(GROUP) + socket.inet_aton("0.0.0.0")
    s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, member)
    while True:
        s.recv(65535)


def talk(me, peers, seconds):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
    s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(me))
    bulk, small = b"B" * 1400, b"s" * 64
    phase = int(me.split(".")[-1])
    start = time.time()
    tick = 0
    while time.time() - start < seconds:
        elapsed = time.time() - start
        # 0 to 40 bulk datagrams a round: about 0 to 1.1 MB/s.
        swell = 20 * (1 + math.sin(2 * math.pi * elapsed / 60 + phase))
        target = peers[int(elapsed // 20 + phase) % len(peers)]
        send(s, bulk, target, int(swell))
        for peer in peers:
            if peer != target:
                send(s, small, peer, 1 + (tick + phase) % 3)
        if tick % int(2 / TICK) == phase:
            send(s, small, BROADCAST, 1)
        if tick % int(1 / TICK) == phase:
            send(s, b"m" * (200 + 50 * phase), GROUP, 1)
        tick += 1
        time.sleep(TICK)


def send(s, payload, address, count):
    for _ in range(count):
        try:
            s.sendto(payload, (address, PORT))
        except OSError:
            pass  # a full socket buffer: the next round sends again


def main():
    if sys.argv[1:2] == ["sink"]:
        sink()
        return
    args = sys.argv[2:]
    seconds = 3600.0
    if "--seconds" in args:
        at = args.index("--seconds")
        seconds = float(args[at + 1])
        del args[at:at + 2]
    talk(args[0], args[1:], seconds)


if __name__ == "__main__":
    main()
