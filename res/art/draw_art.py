#!/usr/bin/python3
"""Draws every picture of the tool: the PNG resources, the icon, the bitmap 178 and the composed
window pictures in docs/. Run through scripts/art, which installs what this needs.

Every picture is drawn here from shapes and text, so a change of colour, wording or layout is a
change of this file. The table PICTURES binds ids to sizes and pixel formats; `check` refuses any
output that differs from it.
"""
import os
import re
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)
ROOT = os.path.dirname(RES)
PNG_DIR = os.path.join(RES, "png")
DOCS = os.path.join(ROOT, "docs")

FONT_DIR = "/usr/share/fonts/opentype/noto"
SC_INDEX = 2  # Noto Sans CJK SC inside the collection
# The dialogs' 宋体 is drawn in a Song (Ming) face with its metrics, as the test prefix stands it in.
SONG_FONT = "/usr/share/fonts/truetype/arphic/uming.ttc"  # index 0: AR PL UMing CN
SS = 4  # supersampling for shapes; text is drawn at 1:1 so it stays crisp

# The palette: one blue family, neutrals for text and panels.
BLUE_DEEP = (11, 61, 145)
BLUE = (30, 111, 217)
BLUE_BRIGHT = (47, 134, 240)
BLUE_LIGHT = (74, 155, 245)
BLUE_PALE = (234, 243, 255)
NAVY_TEXT = (27, 58, 102)
BODY_TEXT = (74, 91, 117)
MUTED_TEXT = (130, 142, 160)
PANEL_BG = (242, 246, 252)
CARD_BORDER = (220, 230, 245)
WHITE = (255, 255, 255)
GREY_DISABLED = (184, 192, 204)

# id: (width, height, mode). Four consecutive ids of a button are normal, hover, pressed, disabled.
PICTURES = {
    138: (410, 611, "RGBA"), 139: (400, 600, "RGB"), 140: (48, 16, "RGBA"),
    **{i: (26, 34, "RGB") for i in range(141, 145)},
    145: (232, 132, "RGBA"), 146: (204, 104, "RGBA"),
    **{i: (26, 34, "RGB") for i in range(147, 151)},
    **{i: (284, 85, "RGBA") for i in range(151, 155)},
    155: (330, 150, "RGBA"), 156: (320, 140, "RGB"),
    **{i: (55, 24, "RGB") for i in range(157, 160)},
    **{i: (12, 12, "RGB") for i in range(160, 163)},
    **{i: (55, 24, "RGB") for i in range(163, 172)},
    172: (410, 479, "RGBA"), 173: (400, 468, "RGBA"),
    **{i: (12, 12, "RGB") for i in range(174, 178)},
    **{i: (266, 60, "RGBA") for i in range(179, 183)},
    183: (541, 402, "RGBA"),
    **{i: (266, 60, "RGBA") for i in range(184, 192)},
    **{i: (58, 18, "RGB") for i in range(192, 196)},
}
ICON_SIZES = [16, 24, 32, 48, 256]


# ---------------------------------------------------------------------------------------------
# Drawing helpers


def font(size, bold=False):
    name = "NotoSansCJK-Bold.ttc" if bold else "NotoSansCJK-Regular.ttc"
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size, index=SC_INDEX)


def rounded_mask(size, box, radius):
    """An antialiased rounded-rectangle mask; `box` is (left, top, right, bottom), right/bottom exclusive."""
    w, h = size
    big = Image.new("L", (w * SS, h * SS), 0)
    x0, y0, x1, y1 = box
    ImageDraw.Draw(big).rounded_rectangle(
        (round(x0 * SS), round(y0 * SS), round(x1 * SS) - 1, round(y1 * SS) - 1), radius=radius * SS, fill=255)
    return big.resize(size, Image.LANCZOS)


def vertical_gradient(size, top, bottom):
    w, h = size
    strip = Image.new("RGB", (1, h))
    for y in range(h):
        t = y / max(1, h - 1)
        strip.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return strip.resize((w, h))


def solid(size, colour):
    return Image.new("RGB", size, colour)


def paint(base, fill, mask, opacity=1.0):
    """Composites `fill` (an RGB image or a colour) onto the RGBA `base` through `mask`."""
    if isinstance(fill, tuple):
        fill = solid(base.size, fill)
    alpha = mask if opacity >= 1.0 else mask.point(lambda v: round(v * opacity))
    layer = fill.convert("RGBA")
    layer.putalpha(alpha)
    base.alpha_composite(layer)


def shadow(size, box, radius, blur, colour, opacity, offset=(0, 0)):
    """A soft shadow or glow: the rounded shape blurred, in one colour."""
    x0, y0, x1, y1 = box
    dx, dy = offset
    mask = rounded_mask(size, (x0 + dx, y0 + dy, x1 + dx, y1 + dy), radius)
    mask = mask.filter(ImageFilter.GaussianBlur(blur)).point(lambda v: round(v * opacity))
    layer = Image.new("RGBA", size, colour + (0,))
    layer.putalpha(mask)
    return layer


def text(img, xy, s, size, colour, bold=False, anchor="la"):
    ImageDraw.Draw(img).text(xy, s, font=font(size, bold), fill=colour, anchor=anchor)


def lighten(colour, amount):
    return tuple(round(c + (255 - c) * amount) for c in colour)


def darken(colour, amount):
    return tuple(round(c * (1 - amount)) for c in colour)


def canvas(size, colour=(0, 0, 0, 0)):
    return Image.new("RGBA", size, colour)


# ---------------------------------------------------------------------------------------------
# Frames of the layered shells: a soft shadow around the content's rectangle and a thin rounded
# rim on its edge. The content window covers the inside exactly.


def frame(size, insets, rim, glow=None):
    w, h = size
    left, top, right, bottom = insets
    inner = (left, top, w - right, h - bottom)
    img = canvas(size)
    if glow:
        img.alpha_composite(shadow(size, inner, 10, min(insets) * 0.55, glow, 0.9))
    img.alpha_composite(shadow(size, inner, 6, max(1.5, min(insets) * 0.45), (10, 30, 70), 0.45, (0, 1.5)))
    rim_box = (inner[0] - 1, inner[1] - 1, inner[2] + 1, inner[3] + 1)
    paint(img, rim, rounded_mask(size, rim_box, 3))
    # The content window covers the inside; it stays see-through so the content shows whatever
    # the stacking of the two windows.
    img.paste((0, 0, 0, 0), inner)
    return img


# ---------------------------------------------------------------------------------------------
# Main window

BAND_HEIGHT = 150
BAND_TOP, BAND_BOTTOM = BLUE_DEEP, (30, 116, 220)


def band(size):
    return vertical_gradient(size, BAND_TOP, lighten(BAND_BOTTOM, 0) if size[1] == BAND_HEIGHT else BAND_BOTTOM)


def band_colour_at(y):
    t = y / (BAND_HEIGHT - 1)
    return tuple(round(a + (b - a) * t) for a, b in zip(BAND_TOP, BAND_BOTTOM))


def logo(size):
    """The tool's mark: a rounded blue tile holding a screen whose flicker is calmed to a steady line."""
    img = canvas((size, size))
    s = size / 256
    tile = vertical_gradient((size, size), BLUE_LIGHT, BLUE)
    paint(img, tile, rounded_mask((size, size), (8 * s, 8 * s, 248 * s, 248 * s), 56 * s))
    # the screen
    paint(img, WHITE, rounded_mask((size, size), (48 * s, 62 * s, 208 * s, 166 * s), 14 * s))
    paint(img, (21, 88, 184), rounded_mask((size, size), (62 * s, 76 * s, 194 * s, 152 * s), 6 * s))
    # stand
    paint(img, WHITE, rounded_mask((size, size), (116 * s, 166 * s, 140 * s, 190 * s), 0))
    paint(img, WHITE, rounded_mask((size, size), (88 * s, 186 * s, 168 * s, 200 * s), 7 * s))
    # a steady pulse line across the screen
    line = Image.new("L", (size * SS, size * SS), 0)
    pts = [(70, 122), (100, 122), (112, 100), (128, 138), (142, 112), (152, 122), (186, 122)]
    ImageDraw.Draw(line).line([(x * s * SS, y * s * SS) for x, y in pts], fill=255, width=max(1, round(9 * s * SS)),
                              joint="curve")
    paint(img, (120, 230, 170), line.resize((size, size), Image.LANCZOS))
    return img


def circling_arrows(img, cx, cy, r, colour):
    """Two arrows chasing each other round a circle: something is being done again, or restarted."""
    w, h = img.size
    big = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(big)
    cx, cy, r = cx * SS, cy * SS, r * SS
    width = max(1, round(r * 0.22))
    d.arc((cx - r, cy - r, cx + r, cy + r), 200, 340, fill=255, width=width)
    d.arc((cx - r, cy - r, cx + r, cy + r), 20, 160, fill=255, width=width)
    for (ax, ay), direction in (((cx + r * 0.94, cy - r * 0.34), 1), ((cx - r * 0.94, cy + r * 0.34), -1)):
        head = r * 0.32 * direction
        d.polygon([(ax - head, ay - head * 0.2), (ax + head, ay - head * 0.2), (ax, ay + head)], fill=255)
    paint(img, colour, big.resize((w, h), Image.LANCZOS))


def card(img, box, title, lines, mark):
    w, h = img.size
    img.alpha_composite(shadow((w, h), box, 8, 3, (30, 60, 110), 0.10, (0, 1)))
    paint(img, CARD_BORDER, rounded_mask((w, h), box, 8))
    x0, y0, x1, y1 = box
    paint(img, WHITE, rounded_mask((w, h), (x0 + 1, y0 + 1, x1 - 1, y1 - 1), 7))
    # a round badge with its sign
    cx, cy = x0 + 24, y0 + 24
    paint(img, BLUE_PALE, rounded_mask((w, h), (cx - 13, cy - 13, cx + 13, cy + 13), 13))
    if mark == "restart":
        circling_arrows(img, cx, cy, 7, BLUE)
    else:
        text(img, (cx, cy + 1), mark, 15, BLUE, True, "mm")
    text(img, (x0 + 46, y0 + 16), title, 14, NAVY_TEXT, True, "lm")
    for i, line in enumerate(lines):
        text(img, (x0 + 46, y0 + 38 + i * 20), line, 12, BODY_TEXT, False, "lm")


def main_background():
    img = canvas((400, 600), PANEL_BG + (255,))
    img.paste(vertical_gradient((400, BAND_HEIGHT), BAND_TOP, BAND_BOTTOM), (0, 0))
    # soft light shapes in the band, kept clear of the version text and the window buttons
    for cx, cy, r, a in ((360, 120, 90, 0.07), (300, 160, 60, 0.05), (30, 150, 70, 0.05)):
        layer = shadow((400, 600), (cx - r, cy - r, cx + r, cy + r), r, 1, WHITE, a)
        band_mask = Image.new("L", (400, 600), 0)
        band_mask.paste(255, (0, 0, 400, BAND_HEIGHT))
        layer.putalpha(Image.composite(layer.getchannel("A"), Image.new("L", (400, 600), 0), band_mask))
        img.alpha_composite(layer)
    img.alpha_composite(logo(22), (14, 8))
    text(img, (42, 19), "Rapimend", 12, WHITE, True, "lm")
    text(img, (184, 23), "版本", 12, (196, 218, 250), False, "rm")  # the version number follows at 188
    text(img, (200, 70), "PalluxAMD屏闪修复工具", 26, WHITE, True, "mm")
    text(img, (200, 106), "适用于 Pallux 系列 AMD 显卡笔记本", 13, (214, 230, 255), False, "mm")

    card(img, (20, 162, 380, 230), "屏幕闪烁？", ["画面忽明忽暗、闪烁跳动，静止画面时尤为明显"], "!")
    card(img, (20, 336, 380, 424), "修复原理", ["关闭显卡驱动的面板自刷新功能（PSR），",
                                              "即把 DalPSRFeatureEnable 设为 0。"], "i")
    card(img, (20, 432, 380, 520), "修复后请重启", ["修改在重启电脑后生效。点击修复前，",
                                                  "请先保存正在编辑的文档和数据。"], "restart")

    # the white strip for the agreement, the links and "更多工具"
    ImageDraw.Draw(img).rectangle((0, 530, 399, 599), fill=WHITE)
    ImageDraw.Draw(img).line((0, 530, 399, 530), fill=(225, 232, 242))
    grid = (29, 542)  # a small "more" mark left of the link button at (45, 540)
    for gx in (0, 6):
        for gy in (0, 6):
            paint(img, BLUE_BRIGHT, rounded_mask((400, 600), (grid[0] + gx, grid[1] + gy, grid[0] + gx + 5,
                                                              grid[1] + gy + 5), 1.5))
    return img.convert("RGB")


def window_button(glyph, state):
    """26 × 34 close or minimise button on the band's own colours."""
    img = canvas((26, 34))
    img.paste(vertical_gradient((26, 34), band_colour_at(0), band_colour_at(33)), (0, 0))
    if state == "hover":
        paint(img, WHITE, rounded_mask((26, 34), (0, 0, 26, 34), 0), 0.18)
    elif state == "pressed":
        paint(img, (0, 0, 0), rounded_mask((26, 34), (0, 0, 26, 34), 0), 0.22)
    colour = (141, 162, 192) if state == "disabled" else WHITE
    big = Image.new("L", (26 * SS, 34 * SS), 0)
    d = ImageDraw.Draw(big)
    cx, cy = 13 * SS, 17 * SS
    if glyph == "close":
        r = 4.5 * SS
        d.line((cx - r, cy - r, cx + r, cy + r), fill=255, width=round(1.6 * SS))
        d.line((cx - r, cy + r, cx + r, cy - r), fill=255, width=round(1.6 * SS))
    else:
        d.line((cx - 5 * SS, cy + 1 * SS, cx + 5 * SS, cy + 1 * SS), fill=255, width=round(1.6 * SS))
    paint(img, colour, big.resize((26, 34), Image.LANCZOS))
    return img.convert("RGB")


def glow_button(size, margin, label, state, style, text_size):
    """An artwork button: a rounded bar inside a soft glow that stays within the hit margin."""
    w, h = size
    bar = (margin, margin, w - margin, h - margin)
    radius = (h - 2 * margin) / 2
    img = canvas(size)
    if state == "disabled":
        img.alpha_composite(shadow(size, bar, radius, margin * 0.35, (120, 130, 145), 0.25, (0, 1)))
    else:
        glow_colour = BLUE_LIGHT if state == "hover" else BLUE
        strength = {"normal": 0.45, "hover": 0.65, "pressed": 0.25}[state]
        img.alpha_composite(shadow(size, bar, radius, margin * 0.4, glow_colour, strength, (0, margin * 0.12)))
    mask = rounded_mask(size, bar, radius)
    if style == "primary":
        top, bottom = {"normal": (BLUE_BRIGHT, BLUE), "hover": (lighten(BLUE_BRIGHT, 0.18), BLUE_LIGHT),
                       "pressed": (darken(BLUE, 0.12), darken(BLUE, 0.25)),
                       "disabled": (GREY_DISABLED, darken(GREY_DISABLED, 0.06))}[state]
        paint(img, vertical_gradient(size, top, bottom), mask)
        ink = (246, 248, 251) if state == "disabled" else WHITE
    else:
        border = {"normal": BLUE_BRIGHT, "hover": BLUE_LIGHT, "pressed": darken(BLUE, 0.15),
                  "disabled": GREY_DISABLED}[state]
        fill = {"normal": WHITE if style == "outline" else BLUE_PALE, "hover": (244, 249, 255),
                "pressed": (214, 230, 250), "disabled": (240, 242, 245)}[state]
        paint(img, border, mask)
        paint(img, fill, rounded_mask(size, (bar[0] + 1.5, bar[1] + 1.5, bar[2] - 1.5, bar[3] - 1.5), radius - 1.5))
        ink = {"normal": BLUE, "hover": BLUE_BRIGHT, "pressed": darken(BLUE, 0.2),
               "disabled": (150, 158, 170)}[state]
    text(img, (w / 2, h / 2 - (1 if state != "pressed" else 0)), label, text_size, ink, True, "mm")
    return img


def more_tools_link(state):
    img = Image.new("RGB", (58, 18), WHITE)
    colour = {"normal": BLUE, "hover": BLUE_LIGHT, "pressed": darken(BLUE, 0.25), "disabled": (160, 167, 178)}[state]
    text(img, (29, 9), "更多工具", 13, colour, False, "mm")
    if state == "hover":
        ImageDraw.Draw(img).line((3, 16, 54, 16), fill=colour)
    return img


def check_strip():
    img = canvas((48, 16))
    frames = ((0, "empty"), (16, "ticked"), (32, "filled"))
    for x, kind in frames:
        box = (x + 1, 1, x + 15, 15)
        if kind == "empty":
            paint(img, (143, 163, 191), rounded_mask((48, 16), box, 3))
            paint(img, WHITE, rounded_mask((48, 16), (box[0] + 1, 2, box[2] - 1, 14), 2))
        else:
            paint(img, BLUE_BRIGHT, rounded_mask((48, 16), box, 3))
        if kind == "ticked":
            big = Image.new("L", (48 * SS, 16 * SS), 0)
            pts = [((x + 4.2) * SS, 8.2 * SS), ((x + 7) * SS, 11 * SS), ((x + 12) * SS, 5 * SS)]
            ImageDraw.Draw(big).line(pts, fill=255, width=round(1.8 * SS), joint="curve")
            paint(img, WHITE, big.resize((48, 16), Image.LANCZOS))
        if kind == "filled":
            paint(img, WHITE, rounded_mask((48, 16), (x + 5, 7, x + 11, 9), 1))
    return img


# ---------------------------------------------------------------------------------------------
# Prompts

PROMPT_STRIP = (240, 242, 245)


def prompt_background():
    img = canvas((320, 140), WHITE + (255,))
    ImageDraw.Draw(img).rectangle((0, 0, 319, 29), fill=PROMPT_STRIP)
    ImageDraw.Draw(img).line((0, 29, 319, 29), fill=(226, 230, 236))
    paint(img, BLUE_BRIGHT, rounded_mask((320, 140), (12, 9, 15, 21), 1.5))
    text(img, (21, 15), "提示", 13, (51, 51, 51), True, "lm")
    return img.convert("RGB")


def prompt_button(label, state, primary):
    img = canvas((55, 24), WHITE + (255,))
    mask = rounded_mask((55, 24), (0.5, 0.5, 54.5, 23.5), 4)
    if primary:
        fill = {"normal": (BLUE_BRIGHT, BLUE), "hover": (lighten(BLUE_BRIGHT, 0.2), BLUE_LIGHT),
                "pressed": (darken(BLUE, 0.12), darken(BLUE, 0.28))}[state]
        paint(img, vertical_gradient((55, 24), *fill), mask)
        ink = WHITE
    else:
        border = {"normal": (197, 207, 221), "hover": (141, 181, 240), "pressed": (110, 150, 210)}[state]
        fill = {"normal": WHITE, "hover": (240, 246, 255), "pressed": (225, 236, 251)}[state]
        paint(img, border, mask)
        paint(img, fill, rounded_mask((55, 24), (1.5, 1.5, 53.5, 22.5), 3))
        ink = {"normal": (58, 74, 96), "hover": BLUE, "pressed": darken(BLUE, 0.2)}[state]
    text(img, (27.5, 11.5), label, 13, ink, False, "mm")
    return img.convert("RGB")


def small_cross(background, ink, size=12):
    img = canvas((size, size), background + (255,))
    big = Image.new("L", (size * SS, size * SS), 0)
    r0, r1 = 3 * SS, (size - 3) * SS
    d = ImageDraw.Draw(big)
    d.line((r0, r0, r1, r1), fill=255, width=round(1.5 * SS))
    d.line((r0, r1, r1, r0), fill=255, width=round(1.5 * SS))
    paint(img, ink, big.resize((size, size), Image.LANCZOS))
    return img.convert("RGB")


def progress_background():
    img = canvas((204, 104))
    img.paste(vertical_gradient((204, 104), (36, 124, 228), (20, 88, 184)), (0, 0))
    circling_arrows(img, 102, 22, 10, WHITE)
    text(img, (102, 93), "请勿关闭电脑或本工具", 11, (207, 224, 255), False, "mm")
    return img


# ---------------------------------------------------------------------------------------------
# Feedback dialog

FEEDBACK_BAND = 128


def feedback_background():
    img = canvas((400, 468), PANEL_BG + (255,))
    img.paste(vertical_gradient((400, FEEDBACK_BAND), BAND_TOP, BAND_BOTTOM), (0, 0))
    text(img, (14, 12), "PalluxAMD屏闪修复工具", 12, (196, 218, 250), False, "lm")
    text(img, (200, 62), "Rapimend 的工具是否解决了您的问题？", 18, WHITE, True, "mm")
    text(img, (200, 94), "您的回答会帮助我们把工具做得更好", 12, (214, 230, 255), False, "mm")
    text(img, (200, 420), "感谢您使用 Rapimend 的工具", 12, MUTED_TEXT, False, "mm")
    return img


def feedback_close(state):
    base = vertical_gradient((12, 12), band_colour_at(6), band_colour_at(17))
    bg = {"normal": None, "hover": 0.2, "pressed": -0.2, "disabled": None}[state]
    img = canvas((12, 12))
    img.paste(base, (0, 0))
    if bg is not None:
        paint(img, WHITE if bg > 0 else (0, 0, 0), rounded_mask((12, 12), (0, 0, 12, 12), 0), abs(bg))
    ink = (141, 162, 192) if state == "disabled" else WHITE
    cross = small_cross((0, 0, 0), (255, 255, 255)).convert("L")
    paint(img, ink, cross)
    return img.convert("RGB")


def speech_card():
    img = canvas((541, 402))
    body = (12, 10, 529, 368)
    img.alpha_composite(shadow(img.size, body, 12, 5, (20, 40, 80), 0.22, (0, 2)))
    big = Image.new("L", (541 * SS, 402 * SS), 0)
    ImageDraw.Draw(big).polygon([(250 * SS, 366 * SS), (291 * SS, 366 * SS), (270.5 * SS, 392 * SS)], fill=255)
    notch = big.resize((541, 402), Image.LANCZOS)
    notch_shadow = notch.filter(ImageFilter.GaussianBlur(4)).point(lambda v: round(v * 0.2))
    layer = Image.new("RGBA", img.size, (20, 40, 80, 0))
    layer.putalpha(notch_shadow)
    img.alpha_composite(layer)
    paint(img, WHITE, rounded_mask(img.size, body, 12))
    paint(img, WHITE, notch)
    return img


# ---------------------------------------------------------------------------------------------
# The whole set

STATES = ("normal", "hover", "pressed", "disabled")


def pictures():
    out = {
        138: frame((410, 611), (5, 4, 5, 7), (24, 84, 176)),
        139: main_background(),
        140: check_strip(),
        145: frame((232, 132), (14, 12, 14, 16), (52, 140, 245), glow=(74, 155, 245)),
        146: progress_background(),
        155: frame((330, 150), (5, 3, 5, 7), (190, 198, 210)),
        156: prompt_background(),
        172: frame((410, 479), (5, 4, 5, 7), (24, 84, 176)),
        173: feedback_background(),
        183: speech_card(),
    }
    for i, state in enumerate(STATES):
        out[141 + i] = window_button("close", state)
        out[147 + i] = window_button("minimise", state)
        out[151 + i] = glow_button((284, 85), 19, "一键修复", state, "primary", 22)
        out[174 + i] = feedback_close(state)
        out[179 + i] = glow_button((266, 60), 9, "问题已解决，继续保持！", state, "primary", 16)
        out[184 + i] = glow_button((266, 60), 9, "问题未解决，我要吐槽！", state, "outline", 16)
        out[188 + i] = glow_button((266, 60), 9, "更多方案", state, "soft", 16)
        out[192 + i] = more_tools_link(state)
    for i, state in enumerate(STATES[:3]):
        out[157 + i] = prompt_button("取消", state, False)
        out[160 + i] = small_cross(
            {"normal": PROMPT_STRIP, "hover": (228, 232, 238), "pressed": (216, 222, 230)}[state],
            {"normal": (138, 148, 163), "hover": (74, 85, 104), "pressed": (45, 55, 72)}[state])
        out[163 + i] = prompt_button("否", state, False)
        out[166 + i] = prompt_button("确认", state, True)
        out[169 + i] = prompt_button("是", state, True)
    return out


def check(path, expected):
    """Fails when a written picture differs in size or PNG colour type from the table."""
    w, h, mode = expected
    with open(path, "rb") as f:
        head = f.read(26)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        sys.exit(f"art: {path} is not a PNG")
    width = int.from_bytes(head[16:20], "big")
    height = int.from_bytes(head[20:24], "big")
    bit_depth, colour_type = head[24], head[25]
    want_type = 6 if mode == "RGBA" else 2
    if (width, height) != (w, h) or colour_type != want_type or bit_depth != 8:
        sys.exit(f"art: {path} is {width}x{height} colour type {colour_type} depth {bit_depth}, "
                 f"the table says {w}x{h} colour type {want_type} depth 8")


def write_icon(path):
    """Each size drawn on its own; ImageMagick stores the small ones as bitmaps and 256 as PNG,
    the way every Windows version reads icons."""
    with tempfile.TemporaryDirectory() as work:
        parts = []
        for size in ICON_SIZES:
            part = os.path.join(work, f"{size}.png")
            logo(size).save(part)
            parts.append(part)
        subprocess.run(["convert", *parts, path], check=True)
    with open(path, "rb") as f:
        head = f.read(6 + 16 * len(ICON_SIZES))
    count = int.from_bytes(head[4:6], "little")
    sizes = sorted((head[6 + 16 * i] or 256) for i in range(count))
    if sizes != sorted(ICON_SIZES):
        sys.exit(f"art: the icon holds sizes {sizes}, expected {ICON_SIZES}")


def write_resources():
    os.makedirs(PNG_DIR, exist_ok=True)
    drawn = pictures()
    if sorted(drawn) != sorted(PICTURES):
        sys.exit(f"art: drawn ids differ from the table: {sorted(set(drawn) ^ set(PICTURES))}")
    for pid, img in sorted(drawn.items()):
        w, h, mode = PICTURES[pid]
        path = os.path.join(PNG_DIR, f"{pid}.png")
        img.convert(mode).save(path, optimize=True)
        check(path, PICTURES[pid])
    write_icon(os.path.join(RES, "icon128.ico"))
    # 178 is an ordinary bitmap, not a PNG: the mark on white.
    small = Image.new("RGB", (32, 32), WHITE)
    small.paste(logo(32), (0, 0), logo(32))
    small.save(os.path.join(RES, "bitmap178.bmp"))
    return drawn


# ---------------------------------------------------------------------------------------------
# Composed windows for docs/: every control in its place at scale 1.0


def desktop(size):
    return vertical_gradient(size, (222, 228, 236), (200, 208, 220)).convert("RGBA")


def place(img, pic, xy):
    img.alpha_composite(pic.convert("RGBA"), xy)


SONG_LINE = 14  # the face's line height for 宋体 10 pt at 96 DPI, as Windows and Wine lay it out


def song_font():
    # 宋体 10 pt at 96 DPI is a 13-pixel character height, 14 pixels from one Chinese character to
    # the next in this face.
    return ImageFont.truetype(SONG_FONT, 14, index=0)


def simsun_text(img, xy, s, colour, anchor="lm"):
    ImageDraw.Draw(img).text(xy, s, font=song_font(), fill=colour, anchor=anchor)


def song_width(s):
    return round(song_font().getlength(s))


def wrapped(s, width):
    """The lines `s` takes in the dialog font wrapped at `width` pixels, as the prompts wrap it: at
    any Chinese character but not inside a Latin word nor before a closing mark, and at every line
    break."""
    lines = []
    for paragraph in s.split("\n"):
        line = ""
        for unit in re.findall(r"[A-Za-z0-9]+|.", paragraph):
            if line and song_width(line + unit) > width:
                # A closing mark never starts a line: the character before it goes along.
                carried = line[-1] if unit in "。，、！？；：" else ""
                lines.append(line[:len(line) - len(carried)])
                line = carried
            line += unit
        lines.append(line)
    return lines


def window_pair(shell, shell_size, content, content_size, offset):
    """A shell with its content at `offset`, on a desktop; returns the picture and the content's origin.
    Both pictures are stretched to the sizes the windows have at scale 1.0."""
    margin = 30
    img = desktop((shell_size[0] + 2 * margin, shell_size[1] + 2 * margin))
    place(img, shell.resize(shell_size, Image.LANCZOS) if shell.size != shell_size else shell, (margin, margin))
    origin = (margin + offset[0], margin + offset[1])
    place(img, content.resize(content_size, Image.LANCZOS) if content.size != content_size else content, origin)
    return img, origin


def compose_main(p):
    img, (cx, cy) = window_pair(p[138], (410, 611), p[139], (400, 600), (5, 4))
    place(img, p[147], (cx + 340, cy))
    place(img, p[141], (cx + 368, cy))
    simsun_text(img, (cx + 188, cy + 23), "1.5.21.423", WHITE)
    place(img, p[151], (cx + 58, cy + 240))
    place(img, p[192], (cx + 45, cy + 540))
    agreement = "《Quelto服务工具使用许可协议》"
    n = song_width("同意" + agreement) // 14
    box_right = 8 + 16 + 2 * n + 2
    top = 600 - 25
    img.alpha_composite(p[140].crop((16, 0, 32, 16)), (cx + 8, cy + top + 2))
    simsun_text(img, (cx + 8 + 18, cy + top + 10), "同意", (0, 0, 0))
    simsun_text(img, (cx + box_right + 6, cy + top + 10), agreement, (92, 92, 255))
    feedback_w = song_width("反馈问题") + 4 + 2 + 6
    simsun_text(img, (cx + 400 - feedback_w - 6, cy + top + 10), "反馈问题", (92, 92, 255))
    return img


def compose_prompt(p, message, kind):
    img, (cx, cy) = window_pair(p[155], (336, 156), p[156], (326, 146), (5, 3))
    place(img, p[160], (cx + 300, cy + 8))
    ok, cancel = (166, 157) if kind in (3, 4) else (169, 163)
    if kind in (1, 3):
        place(img, p[ok], (cx + 135, cy + 107))
    else:
        place(img, p[ok], (cx + 96, cy + 107))
        place(img, p[cancel], (cx + 175, cy + 107))
    for i, line in enumerate(wrapped(message, 306)):
        ImageDraw.Draw(img).text((cx + 10, cy + 40 + SONG_LINE * i), line, font=song_font(), fill=(0, 0, 0))
    return img


def compose_progress(p):
    img, (cx, cy) = window_pair(p[145], (232, 132), p[146], (204, 104), (14, 12))
    simsun_text(img, (cx + 102, cy + 62), "正在修复，请稍等...", WHITE, "mm")
    return img


def compose_feedback(p):
    img, (cx, cy) = window_pair(p[172], (410, 479), p[173], (400, 468), (5, 4))
    place(img, p[174], (cx + 382, cy + 6))
    for top, first in ((154, 179), (234, 184), (314, 188)):
        place(img, p[first], (cx + 67, cy + top))
    return img


def compose_states(p):
    """Every button in its four states, for judging that they differ clearly."""
    rows = [(151, (284, 85)), (179, (266, 60)), (184, (266, 60)), (188, (266, 60)), (141, (26, 34)),
            (147, (26, 34)), (192, (58, 18)), (174, (12, 12))]
    img = Image.new("RGBA", (4 * 300 + 20, sum(h + 16 for _, (w, h) in rows) + 20), PANEL_BG + (255,))
    y = 10
    for first, (w, h) in rows:
        for i in range(4):
            place(img, p[first + i], (10 + i * 300, y))
        y += h + 16
    return img


def write_docs(p):
    os.makedirs(DOCS, exist_ok=True)
    compose_main(p).save(os.path.join(DOCS, "window-main.png"))
    compose_prompt(p, "以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！", 4).save(
        os.path.join(DOCS, "window-prompt-confirm.png"))
    compose_prompt(p, "修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\n"
                      "如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。", 2).save(
        os.path.join(DOCS, "window-prompt-restart.png"))
    compose_progress(p).save(os.path.join(DOCS, "window-progress.png"))
    compose_feedback(p).save(os.path.join(DOCS, "window-feedback.png"))
    compose_states(p).save(os.path.join(DOCS, "button-states.png"))


if __name__ == "__main__":
    drawn = write_resources()
    write_docs(drawn)
    print(f"art: {len(drawn)} PNG resources, the icon and bitmap 178 in res/, window pictures in docs/")
