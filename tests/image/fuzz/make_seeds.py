#!/usr/bin/python3
"""Writes small seed pictures of every format and flavour the decoders handle."""
import io
import os
import struct
import sys

from PIL import Image


def picture(mode, size=(13, 9)):
    w, h = size
    img = Image.new("RGB", size)
    img.putdata([((x * 37) % 256, (y * 53) % 256, ((x + y) * 11) % 256) for y in range(h) for x in range(w)])
    if mode == "RGB":
        return img
    if mode == "P":
        return img.convert("P", palette=Image.ADAPTIVE, colors=16)
    if mode == "RGBA":
        img = img.convert("RGBA")
        img.putalpha(Image.linear_gradient("L").resize(size))
        return img
    return img.convert(mode)


def rle8_bmp():
    # 4 x 3, 8-bit RLE: encoded runs, an absolute run, a delta and end markers.
    palette = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(256))
    data = bytes([3, 1, 0, 0,  0, 4, 2, 3, 4, 5,  0, 0,  0, 2, 1, 0,  2, 7,  0, 1])
    header = struct.pack("<IiiHHIIiiII", 40, 4, 3, 1, 8, 1, len(data), 2835, 2835, 256, 0)
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + palette + data


def main(out):
    os.makedirs(out, exist_ok=True)
    n = 0

    def save(img, fmt, **options):
        nonlocal n
        buf = io.BytesIO()
        img.save(buf, fmt, **options)
        n += 1
        with open(os.path.join(out, f"seed{n:03d}.{fmt.lower()}"), "wb") as f:
            f.write(buf.getvalue())

    for mode in ("1", "L", "P", "RGB"):
        save(picture(mode), "BMP")
    for mode in ("P", "RGB"):
        save(picture(mode), "GIF")
    save(picture("P"), "GIF", interlace=True, transparency=3)
    for mode in ("L", "RGB", "CMYK"):
        save(picture(mode), "JPEG", quality=60)
    save(picture("RGB", (40, 24)), "JPEG", quality=70, progressive=True)
    save(picture("RGB", (17, 17)), "JPEG", quality=50, subsampling=0, dpi=(300, 300))
    for mode in ("1", "L", "P", "RGB", "RGBA", "LA"):
        save(picture(mode), "PNG")
    save(picture("L").convert("I"), "PNG")
    for mode, comp in (("RGB", None), ("RGB", "tiff_lzw"), ("P", None), ("L", "packbits"), ("RGBA", "tiff_deflate")):
        save(picture(mode), "TIFF", **({"compression": comp} if comp else {}))
    with open(os.path.join(out, "rle8.bmp"), "wb") as f:
        f.write(rle8_bmp())


if __name__ == "__main__":
    main(sys.argv[1])
