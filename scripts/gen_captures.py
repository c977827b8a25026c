#!/usr/bin/python3
"""Writes the small capture files the probe's tests replay (tests/data/captures/ by default).
Every file is the same on every run (fixed seed, fixed times).

  mixed.pcap         unicast between eight hosts in both directions, sizes 60 to 1514
                     and a few longer (offloaded segments),
                     broadcast and multicast destinations, short frames (runts),
                     802.1Q and 802.1ad/802.1Q tagged frames
  wrap.pcap          frames cut to 60 bytes whose original length is 1.4 GB, so that
                     the octet counter of their pair passes 2^32
  truncated.pcap     mixed.pcap cut in the middle of a frame
  not-a-capture.pcap a text file

usage: gen_captures.py [OUT_DIR]
"""
import os
import random
import struct
import sys

from scapy.all import ARP, Dot1AD, Dot1Q, Ether, IP, Raw, UDP, wrpcap

# Hosts: the first four are named in data/ethers, the others are not.
HOSTS = ["00:05:85:c9:65:a5", "00:03:93:94:5e:41", "00:1b:21:aa:57:05", "00:1a:a1:9d:f7:91",
         "02:00:00:00:00:05", "02:00:00:00:00:06", "00:a0:c9:12:34:56", "00:a0:c9:12:34:57"]
BROADCAST = "ff:ff:ff:ff:ff:ff"
MULTICAST = ["01:00:5e:00:00:fb", "33:33:00:00:00:01", "01:80:c2:00:00:00"]
START = 1700000000.0


def ip_of(host):
    return "10.0.0.%d" % (HOSTS.index(host) + 1)


def unicast(rng, source, destination, size):
    """An IPv4/UDP frame of `size` bytes (without FCS)."""
    header = Ether(src=source, dst=destination) / IP(src=ip_of(source), dst=ip_of(destination)) \
        / UDP(sport=40000, dport=9)
    return header / Raw(bytes(rng.randrange(256) for _ in range(max(0, size - len(header)))))


def mixed_frames(rng):
    frames = []
    pairs = [(a, b) for a in HOSTS for b in HOSTS if a != b]
    # Few enough frames per pair that tshark prints every byte count in full (under 10,000).
    for _ in range(300):
        source, destination = rng.choice(pairs)
        size = rng.choice([60, 64, 128, 576, 1024, 1514, rng.randrange(60, 1515)])
        frames.append(unicast(rng, source, destination, size))
    for host in HOSTS[:6]:
        # An ARP request as the sender hands it over, unpadded (42 bytes: a runt), and padded.
        arp = Ether(src=host, dst=BROADCAST) / ARP(hwsrc=host, psrc=ip_of(host), pdst="10.0.0.9")
        frames += [arp, arp / Raw(b"\0" * 18)]
        for group in MULTICAST:
            frames.append(Ether(src=host, dst=group) / Raw(b"\x88\xb5" + b"m" * rng.randrange(46, 300)))
    for _ in range(5):
        source, destination = rng.sample(HOSTS, 2)
        frames.append(Ether(src=source, dst=destination, type=0x88b5) / Raw(b"r" * rng.randrange(0, 40)))
    for _ in range(12):
        source, destination = rng.sample(HOSTS[:4], 2)
        inner = IP(src=ip_of(source), dst=ip_of(destination)) / UDP() / Raw(b"v" * rng.randrange(10, 1400))
        frames.append(Ether(src=source, dst=destination) / Dot1Q(vlan=rng.choice([10, 20])) / inner)
        frames.append(Ether(src=destination, dst=source) / Dot1AD(vlan=100) / Dot1Q(vlan=10) / inner)
    # Longer than the longest Ethernet frame (1518 octets with the FCS): offloaded segments,
    # as Linux hands them to captures.
    for size in (1515, 1600, 4000):
        frames.append(unicast(rng, HOSTS[4], HOSTS[5], size))
    rng.shuffle(frames)
    for number, frame in enumerate(frames):
        frame.time = START + number * 0.004
    return frames


def write_wrap(path):
    """Two pairs, frames cut to 60 bytes with an original length of 1.4 GB each."""
    with open(path, "wb") as f:
        f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, 1))
        big = 1400000000
        for number in range(7):
            a, b = (HOSTS[0], HOSTS[1]) if number % 3 else (HOSTS[2], HOSTS[3])
            frame = bytes(Ether(src=a, dst=b) / IP() / UDP() / Raw(b"w" * 18))[:60]
            f.write(struct.pack("<IIII", int(START) + number, 0, len(frame), big))
            f.write(frame)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tests", "data", "captures")
    os.makedirs(out, exist_ok=True)
    mixed = os.path.join(out, "mixed.pcap")
    wrpcap(mixed, mixed_frames(random.Random(15)))
    write_wrap(os.path.join(out, "wrap.pcap"))
    with open(mixed, "rb") as f:
        data = f.read()
    # 24 bytes of file header, then records of a 16-byte header and the frame; cut 20 bytes
    # into the twelfth frame.
    end = 24
    for _ in range(11):
        end += 16 + struct.unpack_from("<I", data, end + 8)[0]
    with open(os.path.join(out, "truncated.pcap"), "wb") as f:
        f.write(data[:end + 16 + 20])
    with open(os.path.join(out, "not-a-capture.pcap"), "w") as f:
        f.write("This is a text file, not a packet capture.\n")


if __name__ == "__main__":
    main()
