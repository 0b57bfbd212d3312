#!/usr/bin/env python3
"""Packs PNG renderings of the project's icon into one Windows .ico file.

Usage: make_icon.py OUT.ico SIZE:PNG [SIZE:PNG...]  (PNG entries are valid in .ico files)
"""
import struct
import sys


def main() -> None:
    out, entries = sys.argv[1], [arg.split(":", 1) for arg in sys.argv[2:]]
    images = [(int(size), open(path, "rb").read()) for size, path in entries]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory, data = b"", b""
    for size, png in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
        data += png
    with open(out, "wb") as ico:
        ico.write(header + directory + data)


if __name__ == "__main__":
    main()
