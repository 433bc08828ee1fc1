#!/usr/bin/env python3
"""Draws Corvane's icon (a blue tile with a white frame and a small bar
chart, the window's own colours) and writes it as res/corvane.ico with a
16x16 and a 32x32 image, 32-bit with alpha.

    make_icon.py [OUT.ico]          the Windows icon (default res/corvane.ico)
    make_icon.py --png SIZE OUT     the same picture as a SIZE x SIZE PNG
                                    (the Linux packages' hicolor icons)"""
import struct
import sys
import zlib

BLUE = (0x00, 0x00, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)
GREY = (0xE2, 0xE4, 0xEB)
RED = (0xEE, 0x00, 0x00)


def picture(n):
    px = [[BLUE for _ in range(n)] for _ in range(n)]
    for i in range(n):
        px[0][i] = px[n - 1][i] = px[i][0] = px[i][n - 1] = WHITE
    # title strip like the window's title bar
    s = max(1, n // 8)
    for y in range(1, 1 + s):
        for x in range(1, n - 1):
            px[y][x] = WHITE
    # bars of a small chart rising to the right, the last one red
    heights = [0.30, 0.55, 0.40, 0.75]
    w = max(1, n // 8)
    gap = max(1, n // 16)
    x0 = (n - (4 * w + 3 * gap)) // 2
    base = n - 1 - max(1, n // 8)
    for k, h in enumerate(heights):
        top = base - int(h * (base - 2 * s))
        colour = RED if k == 3 else GREY
        for y in range(top, base):
            for x in range(x0 + k * (w + gap), x0 + k * (w + gap) + w):
                px[y][x] = colour
    return px


def dib(n):
    px = picture(n)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in range(n - 1, -1, -1):  # bottom-up
        for (r, g, b) in px[y]:
            rows += bytes((b, g, r, 0xFF))
    mask = b'\x00' * (((n + 31) // 32) * 4 * n)
    return header + rows + mask


def main(out):
    images = [dib(16), dib(32)]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip((16, 32), images):
        data += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


def write_png(n, out):
    """The picture as an opaque 8-bit RGB PNG; no time stamp or other
    chunk, so the same size always gives the same bytes."""
    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body
                + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b''.join(b'\x00' + bytes(c for pixel in row for c in pixel) for row in picture(n))
    data = (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == '--png':
        write_png(int(sys.argv[2]), sys.argv[3])
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else 'res/corvane.ico')
