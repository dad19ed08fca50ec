#!/usr/bin/python3
"""Draws the panel's skin pictures: 30 PNG faces and icons, the 131 x 17 colour-keyed icon
strip, and skins.rc, which embeds them. Run it again only to change a picture; everything it
writes is committed and the build never runs it.

Needs python3-pil and fonts-wqy-microhei. Shapes are drawn at eight times the size and
reduced, so edges on the pixel grid stay one pixel sharp while curves are smoothed."""
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 8  # supersampling factor

# One palette for every picture. None of these is one of the three greys that loading the
# strip with LR_LOADMAP3DCOLORS would turn into system colours.
INK = (51, 51, 51)
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
BLUE = {"top": (78, 158, 236), "bottom": (40, 125, 212), "border": (28, 102, 184)}
BLUE_HOVER = {"top": (110, 180, 245), "bottom": (62, 146, 228), "border": (38, 116, 198)}
BLUE_PRESSED = {"top": (160, 202, 242), "bottom": (132, 184, 234), "border": (40, 110, 188)}
LIGHT = {"top": (255, 255, 255), "bottom": (233, 238, 244), "border": (163, 178, 196)}
LIGHT_HOVER = {"top": (242, 248, 255), "bottom": (210, 230, 251), "border": (86, 152, 220)}
FLAT = {"top": (239, 241, 243), "bottom": (239, 241, 243), "border": (206, 210, 215)}
GREY_TEXT = (160, 166, 173)
ACCENT = (40, 125, 212)
GREEN = (46, 163, 76)
GREEN_DARK = (33, 135, 60)
RED = (214, 72, 66)
DARK = (66, 72, 80)


# --- drawing primitives -------------------------------------------------------------------

def coverage(w, h, paint):
    """A w x h coverage mask; paint(draw, s) draws white in pixel units scaled by s."""
    big = Image.new("L", (w * SS, h * SS), 0)
    paint(ImageDraw.Draw(big), SS)
    return big.resize((w, h), Image.BOX)


def fill(img, mask, colour, opacity=255):
    layer = Image.new("RGBA", img.size, colour + (0,))
    layer.putalpha(mask if opacity == 255 else mask.point(lambda v: v * opacity // 255))
    img.alpha_composite(layer)


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGBA", (w, h))
    for y in range(h):
        t = y / (h - 1) if h > 1 else 0
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        img.paste(colour + (255,), (0, y, w, y + 1))
    return img


def box(x0, y0, x1, y1, s):
    """Pixel rectangle [x0, x1) x [y0, y1) in supersampled coordinates (inclusive corners)."""
    return (x0 * s, y0 * s, x1 * s - 1, y1 * s - 1)


def rounded(w, h, radius, inset=0):
    return coverage(w, h, lambda d, s: d.rounded_rectangle(
        box(inset, inset, w - inset, h - inset, s), radius=max(radius - inset, 0) * s, fill=255))


def face(w, h, colours, radius=3):
    """A button face: 1-pixel border, vertical gradient, a faint highlight under the top edge
    and transparent rounded corners."""
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    fill(img, rounded(w, h, radius), colours["border"])
    inner = rounded(w, h, radius, 1)
    body = vertical_gradient(w, h, colours["top"], colours["bottom"])
    body.putalpha(inner)
    img.alpha_composite(body)
    if colours["top"] != colours["bottom"]:
        shine = coverage(w, h, lambda d, s: d.rectangle(box(radius, 1, w - radius, 2, s), fill=255))
        fill(img, shine, WHITE, 70)
    return img


def font(size):
    return ImageFont.truetype(FONT, size)


def text_mask(w, h, text, size, cx, cy):
    """Glyph coverage of text centred on (cx, cy), placed on whole pixels so it stays sharp."""
    mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(mask)
    f = font(size)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=f)
    x = round(cx - (right - left) / 2 - left)
    y = round(cy - (bottom - top) / 2 - top)
    draw.text((x, y), text, font=f, fill=255)
    return mask


def text_width(text, size):
    left, _, right, _ = ImageDraw.Draw(Image.new("L", (1, 1))).textbbox((0, 0), text, font=font(size))
    return right - left


def arc_band(d, s, cx, cy, r_out, r_in, start, end, steps=64):
    """A thick arc between two radii, angles in degrees measured clockwise from 3 o'clock."""
    outer, inner = [], []
    for i in range(steps + 1):
        a = math.radians(start + (end - start) * i / steps)
        outer.append(((cx + r_out * math.cos(a)) * s, (cy + r_out * math.sin(a)) * s))
        inner.append(((cx + r_in * math.cos(a)) * s, (cy + r_in * math.sin(a)) * s))
    d.polygon(outer + inner[::-1], fill=255)


def stroke(d, s, points, width):
    pts = [(x * s, y * s) for x, y in points]
    d.line(pts, fill=255, width=round(width * s), joint="curve")
    for x, y in pts:  # round caps
        r = width * s / 2
        d.ellipse((x - r, y - r, x + r, y + r), fill=255)


# --- icons (RGBA, transparent ground) -----------------------------------------------------

def icon_rotate(size, colour, clockwise):
    """A circular arrow; the anticlockwise one has its head at the top pointing left."""
    c = (size - 1) / 2 + 0.5
    r_out = size * 0.38
    width = max(size * 0.14, 1.9)
    r_in = r_out - width

    def paint(d, s):
        arc_band(d, s, c, c + 0.6, r_out, r_in, -90, 195)
        mid = (r_out + r_in) / 2
        head = width * 1.35
        tip_x = c - head * 1.3
        top = c + 0.6 - mid
        d.polygon([(tip_x * s, top * s), ((c + 0.6) * s, (top - head) * s), ((c + 0.6) * s, (top + head) * s)],
                  fill=255)
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    fill(img, coverage(size, size, paint), colour)
    return img if not clockwise else img.transpose(Image.FLIP_LEFT_RIGHT)


def icon_cross(w, h, colour, width=2.0, margin=3.5, halo=None):
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    x0, x1 = margin, w - margin
    y0 = (h - (x1 - x0)) / 2
    y1 = y0 + (x1 - x0)

    def paint(stroke_width):
        return coverage(w, h, lambda d, s: (stroke(d, s, [(x0, y0), (x1, y1)], stroke_width),
                                            stroke(d, s, [(x1, y0), (x0, y1)], stroke_width)))
    if halo:
        fill(img, paint(width + 2.2), halo)
    fill(img, paint(width), colour)
    return img


def icon_tick(w, h, colour, points, width):
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    fill(img, coverage(w, h, lambda d, s: stroke(d, s, points, width)), colour)
    return img


def icon_magnifier(size, colour):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    c, r, w = size * 0.40, size * 0.29, 1.7

    def paint(d, s):
        d.ellipse(((c - r) * s, (c - r) * s, (c + r) * s, (c + r) * s), fill=255)
        d.ellipse(((c - r + w) * s, (c - r + w) * s, (c + r - w) * s, (c + r - w) * s), fill=0)
        stroke(d, s, [(c + r * 0.78, c + r * 0.78), (size - 2.2, size - 2.2)], 2.4)
    fill(img, coverage(size, size, paint), colour)
    return img


def icon_upload(colour):
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))

    def paint(d, s):
        d.polygon([(8 * s, 1.5 * s), (13 * s, 6.5 * s), (3 * s, 6.5 * s)], fill=255)
        d.rectangle(box(7, 6, 9, 11, s), fill=255)
        d.rectangle(box(2, 13, 14, 14, s), fill=255)
        d.rectangle(box(2, 10, 3, 14, s), fill=255)
        d.rectangle(box(13, 10, 14, 14, s), fill=255)
    fill(img, coverage(16, 16, paint), colour)
    return img


def icon_picture(frame, sky, hill, sun):
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    fill(img, coverage(16, 16, lambda d, s: d.rounded_rectangle(box(1, 2, 15, 14, s), radius=1.5 * s, fill=255)),
         frame)
    fill(img, coverage(16, 16, lambda d, s: d.rectangle(box(2, 3, 14, 13, s), fill=255)), sky)
    fill(img, coverage(16, 16, lambda d, s: d.polygon(
        [(2 * s, 13 * s), (6.5 * s, 7 * s), (9.5 * s, 10.5 * s), (11 * s, 9 * s), (14 * s, 13 * s)], fill=255)), hill)
    fill(img, coverage(16, 16, lambda d, s: d.ellipse((9.6 * s, 4 * s, 12.4 * s, 6.8 * s), fill=255)), sun)
    return img


def icon_globe(colour):
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))

    def paint(d, s):
        c, r, w = 8, 6.5, 1.25
        d.ellipse(((c - r) * s, (c - r) * s, (c + r) * s, (c + r) * s), fill=255)
        d.ellipse(((c - r + w) * s, (c - r + w) * s, (c + r - w) * s, (c + r - w) * s), fill=0)
        d.ellipse(((c - 2.9) * s, (c - r) * s, (c + 2.9) * s, (c + r) * s), fill=255)
        d.ellipse(((c - 2.9 + w) * s, (c - r + w) * s, (c + 2.9 - w) * s, (c + r - w) * s), fill=0)
        d.rectangle(box(7.4, 2, 8.6, 14, s), fill=255)
        d.rectangle(box(2, 7.4, 14, 8.6, s), fill=255)
    fill(img, coverage(16, 16, paint), colour)
    return img


def icon_disc(size, colour, border, mark):
    """A filled disc with a mark drawn over it (mark(d, s) paints white)."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    fill(img, coverage(size, size, lambda d, s: d.ellipse((0.5 * s, 0.5 * s, (size - 0.5) * s, (size - 0.5) * s),
                                                         fill=255)), border)
    fill(img, coverage(size, size, lambda d, s: d.ellipse((1.5 * s, 1.5 * s, (size - 1.5) * s, (size - 1.5) * s),
                                                         fill=255)), colour)
    fill(img, coverage(size, size, mark), WHITE)
    return img


def greyed(icon, towards=(239, 241, 243), keep=0.55):
    """Disabled look: the icon's lightness only, washed towards the flat face."""
    out = icon.copy()
    px = out.load()
    for y in range(out.height):
        for x in range(out.width):
            r, g, b, a = px[x, y]
            l = 0.3 * r + 0.59 * g + 0.11 * b
            px[x, y] = tuple(round(l * keep + t * (1 - keep)) for t in towards) + (a,)
    return out


# --- the skins ----------------------------------------------------------------------------

def caption_button(w, h, colours, caption, text_colour, icon=None, size=12, radius=3):
    img = face(w, h, colours, radius)
    gap = 5
    content = text_width(caption, size) + (icon.width + gap if icon else 0)
    left = (w - content) // 2
    if icon:
        img.alpha_composite(icon, (left, (h - icon.height) // 2))
        left += icon.width + gap
    tw = text_width(caption, size)
    fill(img, text_mask(w, h, caption, size, left + tw / 2, h / 2), text_colour)
    return img


def dotted_frame(img, x0, y0, x1, y1, colour, phase=0):
    px = img.load()
    for x in range(x0, x1 + 1):
        for y in (y0, y1):
            if (x + y + phase) % 2 == 0:
                px[x, y] = colour + (255,)
    for y in range(y0, y1 + 1):
        for x in (x0, x1):
            if (x + y + phase) % 2 == 0:
                px[x, y] = colour + (255,)


def check_box(hover, checked):
    img = Image.new("RGBA", (15, 15), (0, 0, 0, 0))
    if hover:
        fill(img, coverage(15, 15, lambda d, s: d.rectangle(box(0, 0, 15, 15, s), fill=255)), ACCENT)
        fill(img, coverage(15, 15, lambda d, s: d.rectangle(box(1, 1, 14, 14, s), fill=255)), (236, 245, 254))
    else:
        fill(img, coverage(15, 15, lambda d, s: d.rectangle(box(0, 0, 15, 15, s), fill=255)), (214, 219, 225))
        fill(img, coverage(15, 15, lambda d, s: d.rectangle(box(1, 1, 14, 14, s), fill=255)), WHITE)
        dotted_frame(img, 0, 0, 14, 14, (134, 144, 156))
    if checked:
        img.alpha_composite(icon_tick(15, 15, GREEN, [(3.6, 7.6), (6.2, 10.2), (11.4, 4.6)], 2.0))
    return img


def close_button(hover):
    img = Image.new("RGBA", (15, 15), (0, 0, 0, 0))
    border, body, mark = ((190, 56, 50), (226, 84, 76), WHITE) if hover else ((170, 180, 192), (250, 251, 253), DARK)
    fill(img, rounded(15, 15, 2), border)
    fill(img, rounded(15, 15, 2, 1), body)
    img.alpha_composite(icon_cross(15, 15, mark, width=1.6, margin=4.2))
    return img


def info_icon():
    def mark(d, s):
        d.ellipse((14.4 * s, 7.2 * s, 17.6 * s, 10.4 * s), fill=255)
        d.rounded_rectangle((14.5 * s, 12.5 * s, 17.5 * s, 24.5 * s), radius=0.8 * s, fill=255)
    return icon_disc(32, (52, 138, 222), (30, 104, 186), mark)


def add_icon():
    def mark(d, s):
        d.rectangle(box(7, 4, 9, 12, s), fill=255)
        d.rectangle(box(4, 7, 12, 9, s), fill=255)
    return icon_disc(16, GREEN, GREEN_DARK, mark)


def title_background():
    img = vertical_gradient(1, 32, (250, 252, 255), (229, 238, 249))
    img.putpixel((0, 31), (206, 221, 238, 255))
    return img


def big_button(colours):
    w, h = 203, 51
    img = face(w, h, colours, radius=4)
    caption, size = "选择照片", 18
    icon = icon_picture(WHITE, colours["bottom"], (206, 232, 255), (255, 214, 102)).resize((24, 24), Image.LANCZOS)
    gap = 10
    tw = text_width(caption, size)
    left = (w - (icon.width + gap + tw)) // 2
    img.alpha_composite(icon, (left, (h - icon.height) // 2))
    fill(img, text_mask(w, h, caption, size, left + icon.width + gap + tw / 2, h / 2), WHITE)
    return img


def pressed_face():
    img = face(72, 25, BLUE_PRESSED)
    dotted_frame(img, 3, 3, 68, 21, (28, 88, 160))
    return img


def skins():
    upload_white = icon_upload(WHITE)
    picture = icon_picture(ACCENT, (226, 240, 253), GREEN, (245, 170, 40))
    globe = icon_globe(ACCENT)

    def cancel_icon():
        return icon_disc(16, RED, (184, 52, 47), lambda d, s: (stroke(d, s, [(5.2, 5.2), (10.8, 10.8)], 1.7),
                                                               stroke(d, s, [(10.8, 5.2), (5.2, 10.8)], 1.7)))

    def toolbar(colours, caption, icon, text=INK):
        return caption_button(84, 24, colours, caption, text, icon)

    def toolbar_disabled(caption, icon):
        return toolbar(FLAT, caption, greyed(icon), GREY_TEXT)

    return [
        ("BtnNormal", face(72, 25, LIGHT)),
        ("BtnHover", face(72, 25, LIGHT_HOVER)),
        ("BtnDown", pressed_face()),
        ("BtnDisable", face(72, 25, FLAT)),
        ("CheckBox-Normal", check_box(False, False)),
        ("CheckBox-Hover", check_box(True, False)),
        ("CheckBox-Checked", check_box(False, True)),
        ("CheckBox-CkHover", check_box(True, True)),
        ("BtnCloseNormal", close_button(False)),
        ("BtnCloseHover", close_button(True)),
        ("BtnOk", caption_button(55, 24, BLUE, "确定", WHITE)),
        ("BtnCancel", caption_button(51, 24, LIGHT, "取消", INK)),
        ("IcoAdd", add_icon()),
        ("IcoInfo", info_icon()),
        ("Title_bk", title_background()),
        ("BtnPost-Normal", toolbar(BLUE, "开始上传", upload_white, WHITE)),
        ("BtnPost-Hover", toolbar(BLUE_HOVER, "开始上传", upload_white, WHITE)),
        ("BtnPost-Disable", toolbar_disabled("开始上传", icon_upload(ACCENT))),
        ("BtnPost-Cancel", toolbar(LIGHT, "取消上传", cancel_icon())),
        ("BtnAdd-Normal", toolbar(LIGHT, "添加照片", picture)),
        ("BtnAdd-Hover", toolbar(LIGHT_HOVER, "添加照片", picture)),
        ("BtnAdd-Disable", toolbar_disabled("添加照片", picture)),
        ("BtnAddUrl-Normal", toolbar(LIGHT, "添加URL", globe)),
        ("BtnAddUrl-Hover", toolbar(LIGHT_HOVER, "添加URL", globe)),
        ("BtnAddUrl-Disable", toolbar_disabled("添加URL", globe)),
        ("BtnAdd2-Normal", big_button(BLUE)),
        ("BtnAdd2-Hover", big_button(BLUE_HOVER)),
        ("RotatioLeft", icon_rotate(16, GREEN, clockwise=False)),
        ("RotatioRight", icon_rotate(16, GREEN, clockwise=True)),
        ("Btn_Delete", icon_cross(16, 16, DARK, width=2.2, margin=3.5)),
    ]


# --- the strip ----------------------------------------------------------------------------

def keyed(icon, ground):
    """Flattens an RGBA icon for the 24-bit strip: faint edge pixels become the key colour,
    the rest is blended over the ground the cell is usually drawn on."""
    out = Image.new("RGB", icon.size, MAGENTA)
    px, src = out.load(), icon.load()
    for y in range(icon.height):
        for x in range(icon.width):
            r, g, b, a = src[x, y]
            if a >= 64:
                t = a / 255
                px[x, y] = tuple(round(c * t + q * (1 - t)) for c, q in zip((r, g, b), ground))
    return out


def scroll_arrow(up):
    img = face(17, 17, {"top": (246, 249, 252), "bottom": (222, 231, 241), "border": (158, 175, 196)}, radius=2)

    def paint(d, s):
        if up:
            d.polygon([(8.5 * s, 5.5 * s), (12.5 * s, 10.5 * s), (4.5 * s, 10.5 * s)], fill=255)
        else:
            d.polygon([(8.5 * s, 11.5 * s), (12.5 * s, 6.5 * s), (4.5 * s, 6.5 * s)], fill=255)
    fill(img, coverage(17, 17, paint), (78, 90, 106))
    return img


def scroll_thumb():
    """A 17 x 10 thumb, cut into the 4-row top cap, the 1-row middle and the 5-row bottom."""
    img = Image.new("RGBA", (17, 10), (0, 0, 0, 0))
    fill(img, coverage(17, 10, lambda d, s: d.rounded_rectangle(box(2, 0, 15, 10, s), radius=3 * s, fill=255)),
         (132, 156, 186))
    body = Image.new("RGBA", (17, 10))
    for x in range(17):
        t = (x - 3) / 10
        colour = tuple(round(a + (b - a) * min(max(t, 0), 1)) for a, b in zip((224, 234, 246), (196, 212, 232)))
        body.paste(colour + (255,), (x, 0, x + 1, 10))
    body.putalpha(coverage(17, 10, lambda d, s: d.rounded_rectangle(box(3, 1, 14, 9, s), radius=2 * s, fill=255)))
    img.alpha_composite(body)
    return img


STRIP_CELLS = [  # name, x, y, width, height
    ("LeftCirc", 1, 1, 14, 14), ("RightCirc", 17, 1, 14, 14), ("Del", 33, 1, 13, 14),
    ("Search", 49, 1, 15, 15), ("Check", 64, 0, 16, 16), ("ScrollUp", 80, 0, 17, 17),
    ("ScrollDown", 97, 0, 17, 17), ("SliderUp", 114, 0, 17, 4), ("SliderMid", 114, 4, 17, 1),
    ("SliderDown", 114, 5, 17, 5),
]


def strip():
    out = Image.new("RGB", (131, 17), MAGENTA)
    # The item's tool buttons sit on a darkened band over the photo, hence bright glyphs
    # blended towards dark grey; the delete mark and the check sit on the photo or on white.
    dark_band = (62, 62, 62)
    bright_green = (96, 214, 112)
    check = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    fill(check, rounded(16, 16, 3), GREEN_DARK)
    fill(check, rounded(16, 16, 3, 1), GREEN)
    check.alpha_composite(icon_tick(16, 16, WHITE, [(4.0, 8.2), (6.8, 11.0), (12.0, 5.2)], 2.1))
    thumb = keyed(scroll_thumb(), WHITE)
    pictures = {
        "LeftCirc": keyed(icon_rotate(14, bright_green, clockwise=False), dark_band),
        "RightCirc": keyed(icon_rotate(14, bright_green, clockwise=True), dark_band),
        "Del": keyed(icon_cross(13, 14, DARK, width=2.0, margin=3.0, halo=WHITE), WHITE),
        "Search": keyed(icon_magnifier(15, (244, 246, 248)), dark_band),
        "Check": keyed(check, WHITE),
        "ScrollUp": keyed(scroll_arrow(True), WHITE),
        "ScrollDown": keyed(scroll_arrow(False), WHITE),
        "SliderUp": thumb.crop((0, 0, 17, 4)),
        "SliderMid": thumb.crop((0, 4, 17, 5)),
        "SliderDown": thumb.crop((0, 5, 17, 10)),
    }
    for name, x, y, w, h in STRIP_CELLS:
        picture = pictures[name]
        assert picture.size == (w, h), name
        out.paste(picture, (x, y))
    return out


# --- output -------------------------------------------------------------------------------

FIRST_ID = 300  # the ids in src/ui/SkinResources.h follow the order of skins()

RC_HEAD = """// The panel's skin pictures, written by skins/make_skins.py. Compiled once per deliverable:
// the strip's id differs between them (SF_STRIP_NPAPI selects the plug-in's).
#include "ui/SkinResources.h"

#ifdef SF_STRIP_NPAPI
SF_STRIP_ID_NPAPI BITMAP "skins/strip.bmp"
#else
SF_STRIP_ID_ACTIVEX BITMAP "skins/strip.bmp"
#endif

"""


def main(out_dir):
    made = skins()
    assert len(made) == 30
    lines = []
    for index, (name, img) in enumerate(made):
        img.save(os.path.join(out_dir, name + ".png"), "PNG", optimize=True)
        lines.append('%d PNG "skins/%s.png"\n' % (FIRST_ID + index, name))
    strip().save(os.path.join(out_dir, "strip.bmp"), "BMP")
    with open(os.path.join(out_dir, "..", "skins.rc"), "w", encoding="utf-8") as rc:
        rc.write(RC_HEAD + "".join(lines))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else HERE)
