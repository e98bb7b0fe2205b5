"""Binary files of the demo phone, made from nothing but the standard library:
PNG pictures, TrueType-shaped font files and .mpkg packages (gzip'd tar).
Every function returns the same bytes for the same arguments."""

import gzip
import io
import struct
import tarfile
import zlib

# A fixed time for every archive member and gzip header, so packages are
# byte-for-byte reproducible.
FIXED_MTIME = 1772359200  # 2026-03-01 10:00 UTC


def _png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _png_from_rows(width, height, rows):
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", header)
            + _png_chunk(b"IDAT", zlib.compress(rows, 9)) + _png_chunk(b"IEND", b""))


def png(width, height, pixel):
    """An RGBA PNG; pixel(x, y) gives (r, g, b, a)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter type None
        for x in range(width):
            rows.extend(pixel(x, y))
    return _png_from_rows(width, height, bytes(rows))


def colour(index):
    """A distinct, saturated colour for a running number."""
    palette = [(0xD3, 0x3F, 0x49), (0x2E, 0x86, 0xAB), (0x3B, 0xB2, 0x73), (0xF2, 0xA5, 0x41),
               (0x7E, 0x57, 0xC2), (0x1F, 0x9E, 0x9A), (0xE0, 0x6C, 0x9F), (0x8D, 0x6E, 0x3F)]
    r, g, b = palette[index % len(palette)]
    shift = (index // len(palette)) * 23 % 96
    return ((r + shift) % 256, (g + 2 * shift) % 256, (b + 3 * shift) % 256)


def icon(width, height, index):
    """An application icon: a rounded tile with a light disc in the middle."""
    r, g, b = colour(index)
    radius = max(2, min(width, height) // 5)
    cx, cy = (width - 1) / 2, (height - 1) / 2
    disc = min(width, height) / 4

    def pixel(x, y):
        dx = max(radius - x, 0, x - (width - 1 - radius))
        dy = max(radius - y, 0, y - (height - 1 - radius))
        if dx * dx + dy * dy > radius * radius:
            return (0, 0, 0, 0)
        if (x - cx) ** 2 + (y - cy) ** 2 <= disc * disc:
            return (255, 255, 255, 255)
        if x == 0 or y == 0 or x == width - 1 or y == height - 1:
            return (r // 2, g // 2, b // 2, 255)
        return (r, g, b, 255)
    return png(width, height, pixel)


def wallpaper(width, height, index):
    """A skin picture: a vertical gradient in the theme's colour with stripes."""
    r, g, b = colour(index)
    rows = bytearray()
    for y in range(height):
        f = 0.45 + 0.55 * y / max(1, height - 1)
        plain = bytes((int(r * f), int(g * f), int(b * f), 255))
        light = bytes((min(255, int(r * f) + 24), min(255, int(g * f) + 24), min(255, int(b * f) + 24), 255))
        rows.append(0)
        rows.extend(b"".join(light if (x + y) // 12 % 2 else plain for x in range(width)))
    return _png_from_rows(width, height, bytes(rows))


def font(family):
    """A small sfnt file (TrueType outline flavour) with just a naming table
    carrying the family name: enough to be found, copied and told apart."""
    name = family.encode("utf-16-be")
    records = [(3, 1, 0x409, 1, len(name), 0), (3, 1, 0x409, 4, len(name), 0)]
    table = struct.pack(">HHH", 0, len(records), 6 + 12 * len(records))
    for rec in records:
        table += struct.pack(">HHHHHH", *rec)
    table += name
    table += b"\0" * (-len(table) % 4)
    checksum = sum(struct.unpack(">%dI" % (len(table) // 4), table)) & 0xFFFFFFFF
    offset = 12 + 16
    head = struct.pack(">IHHHH", 0x00010000, 1, 16, 0, 0)
    directory = b"name" + struct.pack(">III", checksum, offset, len(table))
    return head + directory + table


def mpkg(files):
    """A package: a tar archive, gzip-compressed. files maps archive paths
    (directories end in "/") to bytes or Latin-1 text; names are stored sorted."""
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as tar:
        for path in sorted(files):
            info = tarfile.TarInfo(path.rstrip("/"))
            info.mtime = FIXED_MTIME
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            if path.endswith("/"):
                info.type = tarfile.DIRTYPE
                info.mode = 0o755
                tar.addfile(info)
            else:
                data = files[path]
                if isinstance(data, str):
                    data = data.encode("latin-1")
                info.size = len(data)
                info.mode = 0o755 if data.startswith(b"#!") else 0o644
                tar.addfile(info, io.BytesIO(data))
    out = io.BytesIO()
    with gzip.GzipFile(fileobj=out, mode="wb", mtime=0, filename="") as gz:
        gz.write(raw.getvalue())
    return out.getvalue()
