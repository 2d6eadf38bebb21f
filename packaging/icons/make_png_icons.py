# Writes the program's icon as PNG files in the hicolor theme's sizes, drawn by
# the same function as the Windows .ico (ui/win32/make_icon.py); run once, the
# PNGs are kept.
import importlib.util
import os
import struct
import sys
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
HERE = os.path.dirname(os.path.abspath(__file__))


def load_drawing():
    path = os.path.join(HERE, "..", "..", "ui", "win32", "make_icon.py")
    found = importlib.util.spec_from_file_location("make_icon", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(size, pixel):
    rows = b""
    for y in range(size):  # top-down, as PNG stores it
        rows += b"\x00" + b"".join(bytes(pixel(size, x, y)) for x in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def main(root):
    drawing = load_drawing()
    for size in SIZES:
        folder = os.path.join(root, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "quorvale3config.png"), "wb") as f:
            f.write(png(size, drawing.pixel))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "hicolor"))
