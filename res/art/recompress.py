#!/usr/bin/python3
"""Recompresses PNGs losslessly in place, and compares pictures by their decoded pixels.

    recompress.py FILE.png...       each file replaced by its smallest lossless encoding that keeps
                                    its size, colour type and bit depth (the resource table and the
                                    loader depend on them); refuses when the pixels would change
    recompress.py --same DIR DIR    fails unless both folders hold the same PNG names whose pixels
                                    (RGBA, every frame) are identical

Two encodings are tried: zopflipng's (its own filters, and it may pick another colour type, in
which case it is not taken) and the file's own filtered rows deflated again by zopfli. Nothing lossy
is asked of either: no --lossy_transparent, no --lossy_8bit.
"""
import io
import os
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image, ImageSequence

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def pixels(source):
    """Every frame of a picture as (width, height, RGBA bytes)."""
    with Image.open(source) as img:
        return [(f.width, f.height, f.convert("RGBA").tobytes()) for f in ImageSequence.Iterator(img)]


def chunks(data):
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG")
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def header(data):
    """Width, height, bit depth and colour type from IHDR."""
    return data[16:26]


def redeflated(data, work):
    """The same PNG with its rows, filters and all, deflated again by zopfli into one IDAT."""
    parts = list(chunks(data))
    rows = zlib.decompress(b"".join(body for kind, body in parts if kind == b"IDAT"))
    raw = os.path.join(work, "rows")
    with open(raw, "wb") as f:
        f.write(rows)
    subprocess.run(["zopfli", "--zlib", raw], check=True)
    with open(raw + ".zlib", "rb") as f:
        idat = f.read()
    out = SIGNATURE
    for kind, body in parts:
        if kind == b"IDAT":
            if idat is not None:
                out += chunk(kind, idat)
                idat = None
        elif kind in (b"IHDR", b"PLTE", b"tRNS", b"IEND"):
            out += chunk(kind, body)
    return out


def zopflipng(data, work):
    source, target = os.path.join(work, "in.png"), os.path.join(work, "out.png")
    with open(source, "wb") as f:
        f.write(data)
    subprocess.run(["zopflipng", "-y", source, target], check=True, stdout=subprocess.DEVNULL)
    with open(target, "rb") as f:
        return f.read()


def recompress(path):
    """Returns the sizes before and after."""
    with open(path, "rb") as f:
        original = f.read()
    before = pixels(path)
    best = original
    with tempfile.TemporaryDirectory() as work:
        for candidate in (zopflipng(original, work), redeflated(original, work)):
            if header(candidate) == header(original) and len(candidate) < len(best):
                best = candidate
    if best is not original:
        if pixels(io.BytesIO(best)) != before:
            sys.exit(f"art: recompressing {path} would change its pixels; left as it was")
        with open(path, "wb") as f:
            f.write(best)
    return len(original), len(best)


def same(left, right):
    names = sorted(n for n in os.listdir(left) if n.endswith(".png"))
    others = sorted(n for n in os.listdir(right) if n.endswith(".png"))
    if names != others:
        sys.exit(f"art: {left} and {right} hold different pictures: {sorted(set(names) ^ set(others))}")
    differ = [n for n in names if pixels(os.path.join(left, n)) != pixels(os.path.join(right, n))]
    if differ:
        sys.exit(f"art: pixels differ between {left} and {right}: {', '.join(differ)}")
    print(f"art: {len(names)} pictures in {left} have the pixels of {right}")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--same":
        same(sys.argv[2], sys.argv[3])
    elif len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        total_before = total_after = 0
        for path in sys.argv[1:]:
            before, after = recompress(path)
            total_before += before
            total_after += after
        print(f"art: {len(sys.argv) - 1} PNGs recompressed, {total_before} -> {total_after} bytes, pixels unchanged")
    else:
        sys.exit(__doc__)
