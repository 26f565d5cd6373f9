#!/usr/bin/env python3
"""Writes the hand-made GIF and BMP files the decoder tests read (Qt reads GIF but cannot
write it, and cannot write a BMP whose header lies).

Run anywhere: python3 make-pictures.py
"""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent
MALFORMED = HERE.parent / "malformed"
SEEDS = HERE.parent / "decoder-seeds"


def lzw(pixels, min_code_size):
    """GIF LZW with variable code width. The pictures are small: the code table never fills."""
    clear = 1 << min_code_size
    table = {(i,): i for i in range(clear)}
    width = min_code_size + 1
    codes = [(clear, width)]
    run = ()
    for p in pixels:
        if run + (p,) in table:
            run += (p,)
            continue
        codes.append((table[run], width))
        table[run + (p,)] = len(table) + 2
        assert len(table) < 4094
        if len(table) + 2 > (1 << width):
            width += 1
        run = (p,)
    codes += [(table[run], width), (clear + 1, width)]
    value, shift = 0, 0
    for code, code_width in codes:
        value |= code << shift
        shift += code_width
    return value.to_bytes((shift + 7) // 8, "little")


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b"\x00")


def frame(w, h, pixels, transparent=None, delay=0):
    gce = b""
    if transparent is not None or delay:
        flags = 1 if transparent is not None else 0
        gce = b"\x21\xF9\x04" + struct.pack("<BHB", flags, delay, transparent or 0) + b"\x00"
    desc = b"\x2C" + struct.pack("<HHHHB", 0, 0, w, h, 0)
    return gce + desc + b"\x02" + sub_blocks(lzw(pixels, 2))


def gif(w, h, palette, frames, screen=None, loop=False):
    sw, sh = screen or (w, h)
    pal = b"".join(bytes(c) for c in palette) + b"\x00" * (3 * (4 - len(palette)))
    head = b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x81, 0, 0) + pal
    if loop:
        head += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    return head + b"".join(frames) + b"\x3B"


def bmp(w, h, data=b""):
    """24-bit BMP header for w x h followed by whatever pixel data is given."""
    row = (abs(w) * 3 + 3) & ~3
    size = min(row * abs(h), 0xFFFFFFFF - 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, size, 2835, 2835, 0, 0)
    head = b"BM" + struct.pack("<IHHI", 14 + 40 + size, 0, 0, 54)
    return head + info + data


RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)


def quadrants(size):
    # Top left red, top right green, bottom left blue, bottom right white.
    half = size // 2
    return [(0 if x < half else 1) + (0 if y < half else 2)
            for y in range(size) for x in range(size)]


def main():
    four = gif(8, 8, [RED, GREEN, BLUE, WHITE], [frame(8, 8, quadrants(8))])
    (HERE / "four-colours.gif").write_bytes(four)
    (SEEDS / "four-colours.gif").write_bytes(four)

    # Red first frame, blue second: only the first is taken.
    two = gif(4, 4, [RED, BLUE], [frame(4, 4, [0] * 16, delay=10),
                                 frame(4, 4, [1] * 16, delay=10)], loop=True)
    (HERE / "two-frames.gif").write_bytes(two)
    (SEEDS / "two-frames.gif").write_bytes(two)

    # Left half red, right half the transparent index (white in the palette).
    half = [0 if x < 2 else 1 for y in range(4) for x in range(4)]
    (HERE / "transparent-half.gif").write_bytes(
        gif(4, 4, [RED, WHITE], [frame(4, 4, half, transparent=1)]))

    # A 1 x 1 frame on a 65535 x 65535 screen: the screen alone would take 16 GiB.
    (MALFORMED / "image-huge-screen.gif").write_bytes(
        gif(1, 1, [RED, BLUE], [frame(1, 1, [0])], screen=(65535, 65535)))
    # Codes beyond the table right after the clear code.
    bad = b"\x2C" + struct.pack("<HHHHB", 0, 0, 8, 8, 0) + b"\x02" + sub_blocks(b"\x0C\xFF\xFF\xFF")
    (MALFORMED / "image-bad-codes.gif").write_bytes(gif(8, 8, [RED, BLUE], [bad]))
    # Cut in the middle of the image data.
    (MALFORMED / "image-truncated.gif").write_bytes(four[:len(four) - 12])
    # A 4 x 4 frame on a screen of 0 x 0.
    (MALFORMED / "image-zero-screen.gif").write_bytes(
        gif(4, 4, [RED, BLUE], [frame(4, 4, [1] * 16)], screen=(0, 0)))

    # Headers whose full-size picture would not fit in memory, with almost no data behind.
    (MALFORMED / "image-claims-60000x60000.bmp").write_bytes(bmp(60000, 60000, b"\x80" * 64))
    (MALFORMED / "image-claims-5000x5000.bmp").write_bytes(
        bmp(5000, 5000, b"\x40\x80\xC0" * 5000))
    (MALFORMED / "image-truncated-header.bmp").write_bytes(bmp(8, 8)[:20])
    (MALFORMED / "image-negative-width.bmp").write_bytes(bmp(-8, 8, b"\x00" * 256))


if __name__ == "__main__":
    main()
