#!/usr/bin/env python3
"""A UDP relay between two games on this machine, standing in for a poor
network: every datagram is held for a random time, some are lost, and on
request some have a byte changed. The joiner sends to the relay's port; the
relay passes its datagrams on to the host's port and the host's answers
back. Only 127.0.0.1 is used; it ends by itself after --lifetime seconds.

Usage: relay.py LISTEN_PORT HOST_PORT [--delay MIN_MS MAX_MS] [--drop SHARE]
                [--flip SHARE] [--flip-after COUNT] [--seed N] [--lifetime S]
"""

import argparse
import heapq
import random
import select
import socket
import time

LOCAL = "127.0.0.1"
MAX_DATAGRAM = 65536


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("listen_port", type=int)
    parser.add_argument("host_port", type=int)
    parser.add_argument("--delay", type=float, nargs=2, default=(0.0, 0.0), metavar=("MIN_MS", "MAX_MS"))
    parser.add_argument("--drop", type=float, default=0.0, help="share of datagrams lost")
    parser.add_argument("--flip", type=float, default=0.0, help="share of datagrams with one byte changed")
    parser.add_argument("--flip-after", type=int, default=0, help="datagrams passed untouched first")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lifetime", type=float, default=120.0)
    options = parser.parse_args()
    chance = random.Random(options.seed)

    front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    front.bind((LOCAL, options.listen_port))
    back = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    back.bind((LOCAL, 0))
    host = (LOCAL, options.host_port)
    joiner = None
    due = []  # (time, order, socket, address, bytes)
    order = 0
    passed = 0
    end = time.monotonic() + options.lifetime

    while time.monotonic() < end:
        now = time.monotonic()
        while due and due[0][0] <= now:
            _, _, out, address, data = heapq.heappop(due)
            out.sendto(data, address)
        wait = min(0.05, max(0.0, due[0][0] - now)) if due else 0.05
        ready, _, _ = select.select([front, back], [], [], wait)
        for sock in ready:
            data, sender = sock.recvfrom(MAX_DATAGRAM)
            if sock is front:
                joiner = sender
                out, address = back, host
            elif joiner:
                out, address = front, joiner
            else:
                continue
            passed += 1
            if chance.random() < options.drop:
                continue
            if passed > options.flip_after and data and chance.random() < options.flip:
                at = chance.randrange(len(data))
                data = data[:at] + bytes([data[at] ^ chance.randrange(1, 256)]) + data[at + 1:]
            delay = chance.uniform(*options.delay) / 1000.0
            order += 1
            heapq.heappush(due, (now + delay, order, out, address, data))


if __name__ == "__main__":
    main()
