# Draws the program's icon (a tracker sending from a map pin) and writes it as quorvale3config.ico, or with --png SIZE
# as a PNG for the native window and the desktop entry; run once, the files are kept.
import math
import struct
import sys
import zlib

NAVY = (0x1F, 0x3A, 0x68, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
ORANGE = (0xF0, 0x8A, 0x24, 0xFF)
CLEAR = (0, 0, 0, 0)


def pixel(size, x, y):
    """Colour of pixel (x, y), y down, drawn at 4x4 samples per pixel."""
    samples = []
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            samples.append(shade(u, v))
    return tuple(round(sum(s[i] for s in samples) / len(samples)) for i in range(4))


def shade(u, v):
    # Rounded square background.
    r = 0.18
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if math.hypot(u - cx, v - cy) > r:
        return CLEAR
    # Map pin: a disc over a point, lower left.
    px, py, pr = 0.36, 0.42, 0.17
    if math.hypot(u - px, v - py) < 0.06:
        return NAVY
    if math.hypot(u - px, v - py) < pr:
        return ORANGE
    if py < v < 0.86 and abs(u - px) < pr * (0.86 - v) / (0.86 - py):
        return ORANGE
    # Two radio arcs to the upper right of the pin.
    d = math.hypot(u - px, v - py)
    angle = math.atan2(py - v, u - px)
    if -0.2 < angle < 1.4:
        for arc in (0.30, 0.45):
            if abs(d - arc) < 0.045:
                return WHITE
    return NAVY


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up, as BMP stores it
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = (16, 32)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_png(path, size):
    raw = b""
    for y in range(size):
        raw += b"\0" + b"".join(bytes(pixel(size, x, y)) for x in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--png":
        write_png(sys.argv[3], int(sys.argv[2]))
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else "quorvale3config.ico")
