#!/usr/bin/env python3
"""Writes the transport tests' photos into the current folder: a gradient JPEG (a.jpg), a flat
PNG with a Chinese name and a blank (照片 一.png) and a two-frame GIF (anim.gif)."""
from PIL import Image

im = Image.new("RGB", (320, 240))
im.putdata([(x * 255 // 319, y * 255 // 239, (x + y) % 256) for y in range(240) for x in range(320)])
im.save("a.jpg", quality=90)
Image.new("RGB", (40, 30), (200, 30, 60)).save("照片 一.png")
frames = [Image.new("P", (16, 12), i) for i in (1, 2)]
frames[0].save("anim.gif", save_all=True, append_images=frames[1:])
