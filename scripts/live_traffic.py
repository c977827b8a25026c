#!/usr/bin/python3
"""Traffic of one host of the live demo (scripts/live_demo.sh), run inside its network
namespace. Plain UDP sockets, so every frame stays within the MTU (no offloaded segments):

  sink                 receives and drops what comes to PORT (unicast, broadcast, multicast)
  talk ME PEERS...     for SECONDS: bulk datagrams of 1,400 bytes to one peer of its own, at
                       a rate that swells and fades over a minute (phase from ME); bursts
                       of bulk, 10 s in every 30 s, to a peer that changes every burst;
                       small 64-byte datagrams to the other peers; a broadcast every 2 s
                       and a multicast to 239.1.2.3 every second

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
        # 1 to 21 bulk datagrams a round: about 28 to 600 kB/s.
        swell = 1 + 10 * (1 + math.sin(2 * math.pi * elapsed / 60 + phase))
        steady = peers[phase % len(peers)]
        send(s, bulk, steady, int(swell))
        burst = peers[int(elapsed // 30 + phase + 1) % len(peers)]
        bursting = elapsed % 30 < 10 and burst != steady
        if bursting:
            send(s, bulk, burst, 8)
        for peer in peers:
            if peer != steady and not (bursting and peer == burst):
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
