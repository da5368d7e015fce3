#!/usr/bin/python3
# Writes windows/recta.ico from the PNGs in data/icons, which are rendered from the SVG: one
# PNG-compressed image a size, as Windows reads them since Vista. Run it again whenever they
# change: python3 windows/make-ico.py
import pathlib
import struct

root = pathlib.Path(__file__).resolve().parent.parent
sizes = [16, 24, 32, 48, 64, 128, 256]
images = [(root / "data" / "icons" / f"{size}.png").read_bytes() for size in sizes]

# The header, then one entry a size (0 stands for 256), then the images in that order.
header = struct.pack("<HHH", 0, 1, len(sizes))
offset = len(header) + 16 * len(sizes)
entries = b""
for size, image in zip(sizes, images):
    entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
    offset += len(image)
(root / "windows" / "recta.ico").write_bytes(header + entries + b"".join(images))
