#!/usr/bin/env python3
"""Writes velmora.ico from velmora.png: one 128 x 128 image at 32 bits per pixel, stored
as a device-independent bitmap (colour rows bottom-up, then the AND mask), the form every
Windows version and Wine read. Standard library only.

    python3 app/resources/make_icon.py app/resources/velmora.png app/resources/velmora.ico
"""
import struct
import sys
import zlib


def read_rgba_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise SystemExit(f"{path}: only 8-bit RGBA, non-interlaced PNG is read")
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = prev[i]
            corner = prev[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def ico_bytes(width, height, rows):
    colour = b"".join(
        bytes(b for x in range(width) for b in (row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]))
        for row in reversed(rows))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytes(mask_stride * height)  # all opaque: the alpha channel decides
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = info + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + image


if __name__ == "__main__":
    width, height, rows = read_rgba_png(sys.argv[1])
    with open(sys.argv[2], "wb") as out:
        out.write(ico_bytes(width, height, rows))
