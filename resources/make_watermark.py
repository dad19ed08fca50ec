#!/usr/bin/python3
"""Draws the upload stamp: 196 x 65 pixels, a translucent badge with the product's name on
a transparent ground. Run it again only to change the picture; the PNG is committed."""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT = 196, 65


def font(size):
    for path in ("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
                 "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"):
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def main(out):
    img = Image.new("RGBA", (WIDTH, HEIGHT), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    draw.rounded_rectangle((2, 2, WIDTH - 3, HEIGHT - 3), radius=14, fill=(255, 255, 255, 90),
                           outline=(255, 255, 255, 200), width=2)
    # A small ferry: hull and cabin, left of the name.
    draw.polygon([(14, 36), (52, 36), (46, 46), (20, 46)], fill=(30, 90, 160, 200))
    draw.rectangle((24, 26, 40, 35), fill=(30, 90, 160, 170))
    draw.line((10, 50, 56, 50), fill=(30, 90, 160, 140), width=2)
    text_font = font(24)
    draw.text((62, 18), "Snapferry", font=text_font, fill=(20, 60, 120, 210))
    img.save(out, "PNG", optimize=True)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "watermark.png"))
