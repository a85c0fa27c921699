#!/usr/bin/env python3
"""Sets the mode of every member of a .deb's ar archive to rw-r--r--.

cpack writes the members (debian-binary, control.tar.*, data.tar.*) as files of its own
under the builder's umask and copies their modes into the archive; fixed modes keep two
builds' packages the same bytes. The header's fields have fixed widths: the file is
changed in place, nothing moves.
"""
import sys

MAGIC = b"!<arch>\n"
HEADER = 60
MODE = slice(40, 48)


def fix(path):
    with open(path, "r+b") as deb:
        data = bytearray(deb.read())
        if not data.startswith(MAGIC):
            sys.exit(f"{path}: not an ar archive")
        at = len(MAGIC)
        while at + HEADER <= len(data):
            header = data[at:at + HEADER]
            if header[58:60] != b"`\n":
                sys.exit(f"{path}: damaged member header at byte {at}")
            header[MODE] = b"100644".ljust(8)
            data[at:at + HEADER] = header
            size = int(header[48:58].decode("ascii"))
            at += HEADER + size + (size & 1)
        deb.seek(0)
        deb.write(data)


for name in sys.argv[1:]:
    fix(name)
