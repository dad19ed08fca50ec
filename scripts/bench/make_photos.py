#!/usr/bin/env python3
"""Writes COUNT generated landscape photos of WIDTH x HEIGHT as JPEG (quality 92) into DIR,
unless they are there already. Each has its own sky, hills and grain, so none compresses
like another. Usage: make_photos.py DIR COUNT WIDTH HEIGHT"""
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter

def photo(index, width, height):
    rnd = random.Random(index)
    sky_top = (rnd.randint(40, 120), rnd.randint(90, 170), rnd.randint(180, 255))
    sky_low = (rnd.randint(180, 255), rnd.randint(150, 220), rnd.randint(120, 200))
    img = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(img)
    for y in range(height):
        t = y / height
        draw.line([(0, y), (width, y)], fill=tuple(int(a + (b - a) * t) for a, b in zip(sky_top, sky_low)))
    for layer in range(3):
        base = height * (0.55 + 0.12 * layer)
        points = [(0, height)]
        for x in range(0, width + 200, 200):
            points.append((x, base + rnd.randint(-height // 12, height // 12)))
        points.append((width, height))
        shade = 30 + 25 * layer
        draw.polygon(points, fill=(shade, 90 + rnd.randint(0, 60), shade))
    grain = Image.effect_noise((width // 4, height // 4), 40).resize((width, height)).convert("RGB")
    return Image.blend(img, grain, 0.12).filter(ImageFilter.SMOOTH)

def main():
    folder, count, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        path = os.path.join(folder, f"photo{i:03d}.jpg")
        if not os.path.exists(path):
            photo(i, width, height).save(path + ".part", "JPEG", quality=92)
            os.replace(path + ".part", path)

if __name__ == "__main__":
    main()
