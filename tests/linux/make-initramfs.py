#!/usr/bin/env python3
"""Writes an uncompressed initramfs (cpio "newc") without cpio or root rights.

usage: make-initramfs.py OUT DEST=SOURCE...   (DEST a path in the image, SOURCE a file here)
The image gets /dev/console, so /init has a console before it mounts devtmpfs."""
import os
import stat
import sys


def entry(out, ino, name, mode, data=b"", rdev=(0, 0)):
    name_bytes = name.encode() + b"\0"
    fields = [ino, mode, 0, 0, 1, 0, len(data), 0, 0, rdev[0], rdev[1], len(name_bytes), 0]
    out.write(b"070701" + b"".join(b"%08X" % f for f in fields) + name_bytes)
    out.write(b"\0" * (-(110 + len(name_bytes)) % 4))
    out.write(data)
    out.write(b"\0" * (-len(data) % 4))


def main():
    out_path, pairs = sys.argv[1], sys.argv[2:]
    dirs, files = {"dev"}, []
    for pair in pairs:
        dest, source = pair.split("=", 1)
        dest = dest.strip("/")
        files.append((dest, source))
        parts = dest.split("/")[:-1]
        for i in range(1, len(parts) + 1):
            dirs.add("/".join(parts[:i]))
    with open(out_path, "wb") as out:
        ino = 1
        for d in sorted(dirs):
            entry(out, ino, d, stat.S_IFDIR | 0o755)
            ino += 1
        entry(out, ino, "dev/console", stat.S_IFCHR | 0o600, rdev=(5, 1))
        ino += 1
        for dest, source in files:
            with open(source, "rb") as f:
                data = f.read()
            mode = 0o755 if os.access(source, os.X_OK) else 0o644
            entry(out, ino, dest, stat.S_IFREG | mode, data)
            ino += 1
        entry(out, 0, "TRAILER!!!", 0)


if __name__ == "__main__":
    main()
