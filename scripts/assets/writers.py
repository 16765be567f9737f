"""Small writers for the file formats the pictures are stored in: PNG, 32-bit BMP and TGA, ICO, GIF."""

import os
import struct
import zlib

from .drawing import *  # noqa: F401,F403


def ensure_dir(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)


def write_bytes(path, data):
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(data)


def png_bytes(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw.extend(px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(
        b"IEND", b"")


def bmp32_bytes(rows):
    """A 32-bit BMP with a version-5 header, so that readers keep the alpha channel."""
    height, width = len(rows), len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels.extend((b, g, r, a))
    header = struct.pack("<IiiHHIIiiII", 124, width, height, 1, 32, 3, len(pixels), 2835, 2835, 0, 0)
    header += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    header += b"BGRs" + bytes(36) + struct.pack("<III", 0, 0, 0)  # sRGB: no endpoints, no gamma
    header += struct.pack("<IIII", 4, 0, 0, 0)  # LCS_GM_IMAGES, no profile
    assert len(header) == 124
    offset = 14 + len(header)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + bytes(pixels)


def tga32_bytes(rows):
    height, width = len(rows), len(rows[0])
    # Uncompressed true colour, 8 alpha bits, first row at the top.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 0x28)
    pixels = bytearray()
    for row in rows:
        for r, g, b, a in row:
            pixels.extend((b, g, r, a))
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\x00"
    return header + bytes(pixels) + footer


def ico24_bytes(rows):
    """One 32x32 image at 24 bits per pixel with its AND mask: no palette, no alpha."""
    height, width = len(rows), len(rows[0])
    assert (width, height) == (32, 32)
    stride = (width * 3 + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                line.extend((b, g, r))
            else:
                line.extend((0, 0, 0))
                bits[x // 8] |= 0x80 >> (x % 8)
        line.extend(bytes(stride - len(line)))
        xor.extend(line)
        mask.extend(bits)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    assert len(image) == 3240, len(image)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 0, 0, 1, 24, len(image), 22)
    return directory + image


def lzw_encode(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size = min_size + 1
    table = {}
    next_code = end + 1
    emit(clear, size)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, size)
        table[key] = next_code
        next_code += 1
        if next_code == (1 << size) + 1 and size < 12:
            size += 1
        if next_code == 4096:
            emit(clear, size)
            table = {}
            next_code = end + 1
            size = min_size + 1
        prefix = k
    emit(prefix, size)
    if next_code == (1 << size) and size < 12:
        size += 1
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def lzw_decode(data, min_size):
    """Only to prove the encoder round-trips."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    bitpos = 0
    size = min_size + 1
    table = None
    prev = None
    out = []
    total_bits = len(data) * 8
    while bitpos + size <= total_bits:
        code = 0
        for i in range(size):
            if data[(bitpos + i) >> 3] >> ((bitpos + i) & 7) & 1:
                code |= 1 << i
        bitpos += size
        if code == clear:
            table = [[i] for i in range(clear)] + [None, None]
            size = min_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        else:
            if code < len(table):
                entry = table[code]
                table.append(prev + [entry[0]])
            else:
                entry = prev + [prev[0]]
                table.append(entry)
            if len(table) == (1 << size) and size < 12:
                size += 1
        out.extend(entry)
        prev = entry
    return out


def gif_bytes(indices, width, height, palette):
    assert len(palette) == 32
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0xF4, 0, 0)  # global table of 2^(4+1) colours
    for r, g, b in palette:
        out += bytes((r, g, b))
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data = lzw_encode(indices, 5)
    assert lzw_decode(data, 5) == list(indices), "LZW round trip failed"
    out.append(5)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b"\x00\x3b"
    return bytes(out)
