#!/usr/bin/env python3
"""Generates screen/font_cp437.cpp: the 8x8 screen font in code page 437 order.

The glyphs come from the standard PC 8x8 console font that Debian's
console-setup-linux package ships (Uni2-VGA8.psf.gz, a PSF file with a
Unicode table). Each code page 437 byte is mapped to its Unicode character
with Python's 'cp437' codec and the glyph for that character is looked up in
the font's table. The codec maps 0x00-0x1F and 0x7F to control characters,
so for those the usual pictogram characters are looked up instead; a glyph
the font still lacks is drawn here by hand.

Usage: python3 tools/make_font.py [font.psf.gz] > screen/font_cp437.cpp
"""

import gzip
import sys

DEFAULT_FONT = "/usr/share/consolefonts/Uni2-VGA8.psf.gz"

# The pictograms that code page 437 shows for the control range and 0x7F.
PICTOGRAMS = {
    0x00: "\u0020",  # shown blank
    0x01: "\u263A", 0x02: "\u263B", 0x03: "\u2665", 0x04: "\u2666",
    0x05: "\u2663", 0x06: "\u2660", 0x07: "\u2022", 0x08: "\u25D8",
    0x09: "\u25CB", 0x0A: "\u25D9", 0x0B: "\u2642", 0x0C: "\u2640",
    0x0D: "\u266A", 0x0E: "\u266B", 0x0F: "\u263C", 0x10: "\u25BA",
    0x11: "\u25C4", 0x12: "\u2195", 0x13: "\u203C", 0x14: "\u00B6",
    0x15: "\u00A7", 0x16: "\u25AC", 0x17: "\u21A8", 0x18: "\u2191",
    0x19: "\u2193", 0x1A: "\u2192", 0x1B: "\u2190", 0x1C: "\u221F",
    0x1D: "\u2194", 0x1E: "\u25B2", 0x1F: "\u25BC", 0x7F: "\u2302",
}

# Hand-drawn fallbacks (rows top to bottom, MSB = leftmost pixel), used only
# when the font has no glyph for a character.
FALLBACK = {
    0x00: [0x00] * 8,
    0x01: [0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E],
    0x02: [0x7E, 0xFF, 0xDB, 0xFF, 0xC3, 0xE7, 0xFF, 0x7E],
    0x03: [0x6C, 0xFE, 0xFE, 0xFE, 0x7C, 0x38, 0x10, 0x00],
    0x04: [0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00],
    0x05: [0x38, 0x7C, 0x38, 0xFE, 0xFE, 0xD6, 0x10, 0x38],
    0x06: [0x10, 0x38, 0x7C, 0xFE, 0xFE, 0x7C, 0x10, 0x38],
    0x07: [0x00, 0x00, 0x18, 0x3C, 0x3C, 0x18, 0x00, 0x00],
    0x08: [0xFF, 0xFF, 0xE7, 0xC3, 0xC3, 0xE7, 0xFF, 0xFF],
    0x09: [0x00, 0x3C, 0x66, 0x42, 0x42, 0x66, 0x3C, 0x00],
    0x0A: [0xFF, 0xC3, 0x99, 0xBD, 0xBD, 0x99, 0xC3, 0xFF],
    0x0B: [0x0F, 0x07, 0x0F, 0x7D, 0xCC, 0xCC, 0xCC, 0x78],
    0x0C: [0x3C, 0x66, 0x66, 0x66, 0x3C, 0x18, 0x7E, 0x18],
    0x0D: [0x3F, 0x33, 0x3F, 0x30, 0x30, 0x70, 0xF0, 0xE0],
    0x0E: [0x7F, 0x63, 0x7F, 0x63, 0x63, 0x67, 0xE6, 0xC0],
    0x0F: [0x99, 0x5A, 0x3C, 0xE7, 0xE7, 0x3C, 0x5A, 0x99],
    0x10: [0x80, 0xE0, 0xF8, 0xFE, 0xF8, 0xE0, 0x80, 0x00],
    0x11: [0x02, 0x0E, 0x3E, 0xFE, 0x3E, 0x0E, 0x02, 0x00],
    0x12: [0x18, 0x3C, 0x7E, 0x18, 0x18, 0x7E, 0x3C, 0x18],
    0x13: [0x66, 0x66, 0x66, 0x66, 0x66, 0x00, 0x66, 0x00],
    0x14: [0x7F, 0xDB, 0xDB, 0x7B, 0x1B, 0x1B, 0x1B, 0x00],
    0x15: [0x3E, 0x63, 0x38, 0x6C, 0x6C, 0x38, 0xCC, 0x78],
    0x16: [0x00, 0x00, 0x00, 0x00, 0x7E, 0x7E, 0x7E, 0x00],
    0x17: [0x18, 0x3C, 0x7E, 0x18, 0x7E, 0x3C, 0x18, 0xFF],
    0x18: [0x18, 0x3C, 0x7E, 0x18, 0x18, 0x18, 0x18, 0x00],
    0x19: [0x18, 0x18, 0x18, 0x18, 0x7E, 0x3C, 0x18, 0x00],
    0x1A: [0x00, 0x18, 0x0C, 0xFE, 0x0C, 0x18, 0x00, 0x00],
    0x1B: [0x00, 0x30, 0x60, 0xFE, 0x60, 0x30, 0x00, 0x00],
    0x1C: [0x00, 0x00, 0xC0, 0xC0, 0xC0, 0xFE, 0x00, 0x00],
    0x1D: [0x00, 0x24, 0x66, 0xFF, 0x66, 0x24, 0x00, 0x00],
    0x1E: [0x00, 0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0x00, 0x00],
    0x1F: [0x00, 0xFF, 0xFF, 0x7E, 0x3C, 0x18, 0x00, 0x00],
    0x7F: [0x00, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE, 0x00],
    0x9E: [0xF8, 0xCC, 0xCC, 0xFA, 0xC6, 0xCF, 0xC6, 0xC7],  # peseta sign
    0xA9: [0x00, 0x00, 0x00, 0xFC, 0xC0, 0xC0, 0x00, 0x00],  # reversed not sign
    0xEC: [0x00, 0x00, 0x7E, 0xDB, 0xDB, 0x7E, 0x00, 0x00],  # infinity
    0xEF: [0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0x00],  # intersection
    0xF0: [0x00, 0xFE, 0x00, 0xFE, 0x00, 0xFE, 0x00, 0x00],  # identical to
}

PSF1_MAGIC = b"\x36\x04"
PSF2_MAGIC = b"\x72\xb5\x4a\x86"


def read_psf(path):
    """Returns (glyph bitmaps, {unicode character: glyph index})."""
    data = gzip.open(path, "rb").read() if path.endswith(".gz") else open(path, "rb").read()
    if data[:2] == PSF1_MAGIC:
        mode, height = data[2], data[3]
        count = 512 if mode & 0x01 else 256
        width, row_bytes, offset = 8, 1, 4
        glyph_size = height
        glyphs = [data[offset + i * glyph_size: offset + (i + 1) * glyph_size] for i in range(count)]
        table = {}
        if mode & 0x02:
            pos = offset + count * glyph_size
            index = 0
            in_sequence = False
            while index < count and pos + 1 < len(data):
                value = data[pos] | (data[pos + 1] << 8)
                pos += 2
                if value == 0xFFFF:
                    index += 1
                    in_sequence = False
                elif value == 0xFFFE:
                    in_sequence = True
                elif not in_sequence:
                    table.setdefault(chr(value), index)
        return glyphs, table, width, height, row_bytes
    if data[:4] == PSF2_MAGIC:
        header = [int.from_bytes(data[i:i + 4], "little") for i in range(4, 32, 4)]
        _, header_size, flags, count, glyph_size, height, width = header
        row_bytes = (width + 7) // 8
        glyphs = [data[header_size + i * glyph_size: header_size + (i + 1) * glyph_size]
                  for i in range(count)]
        table = {}
        if flags & 0x01:
            rest = data[header_size + count * glyph_size:]
            for index, entry in enumerate(rest.split(b"\xff")[:count]):
                first = entry.split(b"\xfe")[0]
                for ch in first.decode("utf-8", errors="ignore"):
                    table.setdefault(ch, index)
        return glyphs, table, width, height, row_bytes
    raise SystemExit(f"{path}: not a PSF font")


def unicode_for(code):
    if code in PICTOGRAMS:
        return PICTOGRAMS[code]
    return bytes([code]).decode("cp437")


def build(path):
    glyphs, table, width, height, row_bytes = read_psf(path)
    if width != 8 or height != 8 or row_bytes != 1:
        raise SystemExit(f"{path}: glyphs are {width}x{height}, need 8x8")
    font = []
    drawn = []
    for code in range(256):
        ch = unicode_for(code)
        index = table.get(ch)
        if index is None:
            if code not in FALLBACK:
                raise SystemExit(f"no glyph for 0x{code:02X} (U+{ord(ch):04X}) and no fallback")
            font.append(list(FALLBACK[code]))
            drawn.append(code)
        else:
            font.append(list(glyphs[index][:8]))
    # The program erases text with 0xDB and relies on spaces being transparent.
    assert font[0xDB] == [0xFF] * 8, "0xDB must set all 64 pixels"
    assert font[0x20] == [0x00] * 8, "0x20 must set no pixel"
    return font, drawn


def emit(font, drawn, path):
    out = []
    out.append("// Generated by tools/make_font.py; do not edit by hand.")
    out.append("//")
    out.append("// The 8x8 screen font, 256 glyphs in code page 437 order, 8 rows each,")
    out.append("// top row first, most significant bit = leftmost pixel.")
    out.append("//")
    out.append(f"// Source: {path.rsplit('/', 1)[-1]} from Debian's console-setup-linux package")
    out.append("// (the standard PC 8x8 character set). Licence, from that package's")
    out.append("// copyright file: \"All console fonts are public domain by nature.\"")
    if drawn:
        listed = ", ".join(f"0x{c:02X}" for c in drawn)
        out.append(f"// Glyphs not in the source font, drawn by the generator: {listed}.")
    out.append('#include "screen/font_cp437.h"')
    out.append("")
    out.append("const std::uint8_t fontCp437[256][8] = {")
    for code, rows in enumerate(font):
        cells = ", ".join(f"0x{r:02X}" for r in rows)
        out.append(f"    {{{cells}}},  // 0x{code:02X}")
    out.append("};")
    return "\n".join(out) + "\n"


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_FONT
    font, drawn = build(path)
    sys.stdout.write(emit(font, drawn, path))


if __name__ == "__main__":
    main()
