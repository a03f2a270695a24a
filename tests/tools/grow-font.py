#!/usr/bin/env python3
"""Makes a large font out of a small one, for tests that need a font of many
megabytes: the 'CFF ' table of IN gets SIZE bytes of deterministic noise
appended (SEED chooses it; EDITS bytes of it are then changed, spread
evenly), the tables are laid out again back to back in their order, and the
checksums are made right. Standard library only.

    grow-font.py IN OUT SIZE [SEED [EDITS]]
"""
import random
import struct
import sys


def checksum(data):
    data = data + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def main():
    source, target, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    edits = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    font = open(source, "rb").read()
    version, count = struct.unpack(">IH", font[:6])
    entries = []
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", font[12 + 16 * i : 28 + 16 * i])
        entries.append([tag, offset, font[offset : offset + length]])
    noise = bytearray(random.Random(seed).randbytes(size))
    for i in range(edits):
        noise[(i * 7919 * 4096) % size] ^= 0x5A
    for entry in entries:
        if entry[0] == b"CFF ":
            entry[2] = entry[2] + bytes(noise)
    # The tables in the file's order, back to back, each on a multiple of 4.
    order = sorted(entries, key=lambda e: e[1])
    position = 12 + 16 * count
    for entry in order:
        entry[1] = position
        position += len(entry[2]) + (-len(entry[2]) % 4)
    for entry in entries:
        if entry[0] == b"head":
            entry[2] = entry[2][:8] + b"\0\0\0\0" + entry[2][12:]
    directory = font[:12]
    for tag, offset, data in entries:
        directory += struct.pack(">4sIII", tag, checksum(data), offset, len(data))
    body = b"".join(data + b"\0" * (-len(data) % 4) for _, _, data in order)
    image = bytearray(directory + body)
    head = next(e for e in entries if e[0] == b"head")
    struct.pack_into(">I", image, head[1] + 8, (0xB1B0AFBA - checksum(bytes(image))) & 0xFFFFFFFF)
    open(target, "wb").write(image)


if __name__ == "__main__":
    main()
