#!/usr/bin/env python3
"""Draws keydeck.exe's pictures at build time.

    gen_pictures.py TEXTS OUTDIR

writes into OUTDIR:
  channel_NN.bmp      the 26 Channel Setting pictures, 500 x 400, 256 colours,
                      RLE8, NN = index in TEXTS (= IDB_CHANNEL_FIRST offset)
  channel_NN.ref.bmp  the same pixels uncompressed, for the tests to compare
                      the system's decoding of the RLE8 data against
  led_strip.bmp       the LED strip, 160 x 45, 256 colours, uncompressed
  led_tray.ico        the strip's tray icon, 16 x 16 and 32 x 32
  pictures.rc         the resource statements for all of them

Fonts come from Debian's fonts-noto-core and fonts-noto-cjk; right-to-left
text and Thai need Pillow's raqm layout (libraqm0).
"""
import configparser
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont, features

# The picture holders in resource order; the Channel Setting window counts
# on this order.
PICTURES = ['common', 'CHNT', 'CHNS', 'Crech', 'Demark', 'Hebrew', 'Dutch', 'Finnish', 'French',
            'Germany', 'Greek', 'Huguria', 'Italia', 'Japanese', 'Korean', 'Norway', 'Polish',
            'PorBra', 'Russian', 'Slovak', 'Spain', 'SpanLa', 'Swed', 'Thai', 'Turkey', 'Arabic']

NOTO = '/usr/share/fonts/truetype/noto/'
CJK = '/usr/share/fonts/opentype/noto/NotoSansCJK-%s.ttc'

# script: (regular fonts, bold fonts, direction, raqm language, line breaking)
# Each font list is tried in order per character: the first font that has
# a glyph draws it.
LATIN = ([NOTO + 'NotoSans-Regular.ttf'], [NOTO + 'NotoSans-Bold.ttf'])
SCRIPTS = {
    'latin': LATIN + ('ltr', None, 'words'),
    'greek': LATIN + ('ltr', 'el', 'words'),
    'cyrillic': LATIN + ('ltr', 'ru', 'words'),
    'zh-tw': ([(CJK % 'Regular', 'Noto Sans CJK TC')], [(CJK % 'Bold', 'Noto Sans CJK TC')], 'ltr', 'zh-Hant', 'chars'),
    'zh-cn': ([(CJK % 'Regular', 'Noto Sans CJK SC')], [(CJK % 'Bold', 'Noto Sans CJK SC')], 'ltr', 'zh-Hans', 'chars'),
    'ja': ([(CJK % 'Regular', 'Noto Sans CJK JP')], [(CJK % 'Bold', 'Noto Sans CJK JP')], 'ltr', 'ja', 'chars'),
    'ko': ([(CJK % 'Regular', 'Noto Sans CJK KR')], [(CJK % 'Bold', 'Noto Sans CJK KR')], 'ltr', 'ko', 'words'),
    'thai': ([NOTO + 'NotoSansThai-Regular.ttf', NOTO + 'NotoSans-Regular.ttf'],
             [NOTO + 'NotoSansThai-Bold.ttf', NOTO + 'NotoSans-Bold.ttf'], 'ltr', 'th', 'words'),
    'arabic': ([NOTO + 'NotoSansArabic-Regular.ttf', NOTO + 'NotoSans-Regular.ttf'],
               [NOTO + 'NotoSansArabic-Bold.ttf', NOTO + 'NotoSans-Bold.ttf'], 'rtl', 'ar', 'words'),
    'hebrew': ([NOTO + 'NotoSansHebrew-Regular.ttf', NOTO + 'NotoSans-Regular.ttf'],
               [NOTO + 'NotoSansHebrew-Bold.ttf', NOTO + 'NotoSans-Bold.ttf'], 'rtl', 'he', 'words'),
}

WIDTH, HEIGHT = 500, 400
# The window hides the 8 leftmost columns and shows 481 x 394 pixels.
VISIBLE_LEFT, VISIBLE_RIGHT, VISIBLE_BOTTOM = 8, 489, 394

WHITE = (255, 255, 255)
INK = (20, 30, 70)
WARN = (190, 20, 20)
BODY = (200, 204, 212)
KEY = (250, 250, 252)
EDGE = (90, 96, 110)
BUTTON = (230, 120, 0)


# ---- fonts and text runs ----

_font_cache = {}


def load_font(face_ref, size):
    key = (face_ref, size)
    if key not in _font_cache:
        if isinstance(face_ref, tuple):  # a face of a collection, by family name
            path, family = face_ref
            for index in range(10):
                font = ImageFont.truetype(path, size, index=index, layout_engine=ImageFont.Layout.RAQM)
                if font.getname()[0] == family:
                    break
            else:
                raise SystemExit('no face %s in %s' % (family, path))
        else:
            font = ImageFont.truetype(face_ref, size, layout_engine=ImageFont.Layout.RAQM)
        _font_cache[key] = font
    return _font_cache[key]


_glyph_cache = {}


def has_glyph(font, ch):
    """Whether the font draws ch with a glyph of its own (not .notdef)."""
    key = (id(font), ch)
    if key not in _glyph_cache:
        if ch.isspace() or ord(ch) in (0x200C, 0x200D):
            _glyph_cache[key] = True
        else:
            missing = bytes(font.getmask('\U000F0000', mode='L'))
            _glyph_cache[key] = bytes(font.getmask(ch, mode='L')) != missing
    return _glyph_cache[key]


def is_rtl_char(ch):
    return 0x0590 <= ord(ch) <= 0x08FF or 0xFB1D <= ord(ch) <= 0xFEFC


def is_strong_ltr(ch):
    return ch.isalnum() and not is_rtl_char(ch)


class Text:
    """One line drawn from a list of fonts: the text is cut into runs of one
    font each; in right-to-left text a run of left-to-right letters or
    digits is drawn left to right and the runs are placed from the right."""

    def __init__(self, fonts, direction, language):
        self.fonts = fonts
        self.direction = direction
        self.language = language

    def font_for(self, ch, where):
        for font in self.fonts:
            if has_glyph(font, ch):
                return font
        raise SystemExit('%s: no font draws %r (U+%04X)' % (where, ch, ord(ch)))

    def runs(self, line, where):
        """(text, font, direction) in logical order."""
        out = []
        for i, ch in enumerate(line):
            font = self.font_for(ch, where)
            d = self.direction
            if d == 'rtl' and is_strong_ltr(ch):
                d = 'ltr'
            elif d == 'rtl' and not is_rtl_char(ch) and not ch.isspace():
                # a neutral between two left-to-right letters stays with them
                before = next((c for c in reversed(line[:i]) if not c.isspace()), '')
                after = next((c for c in line[i + 1:] if not c.isspace()), '')
                if is_strong_ltr(before) and is_strong_ltr(after):
                    d = 'ltr'
            if out and out[-1][1] is font and out[-1][2] == d:
                out[-1][0] += ch
            else:
                out.append([ch, font, d])
        return [tuple(r) for r in out]

    def _language(self, direction):
        # A left-to-right run inside right-to-left text is Latin, not the
        # text's language.
        return self.language if direction == self.direction else None

    def _run_width(self, run):
        text, font, d = run
        return font.getlength(text, direction=d, language=self._language(d))

    def width(self, line, where=''):
        return sum(self._run_width(r) for r in self.runs(line, where))

    def draw(self, draw, x, y, line, fill, align, box_width, where):
        """Draws line in a box of box_width starting at x; align 'left',
        'right' or 'center'."""
        runs = self.runs(line, where)
        widths = [self._run_width(r) for r in runs]
        total = sum(widths)
        if align == 'right':
            start = x + box_width - total
        elif align == 'center':
            start = x + (box_width - total) / 2
        else:
            start = x
        ascent = max(r[1].getmetrics()[0] for r in runs)
        order = list(zip(runs, widths))
        if self.direction == 'rtl':
            order.reverse()  # logical runs go from the right edge leftwards
        pos = start
        for (text, font, d), w in order:
            baseline = y + ascent
            draw.text((pos, baseline), text, font=font, fill=fill, anchor='ls', direction=d,
                      language=self._language(d))
            pos += w
        return total


def tokens(text, breaking):
    """Pieces a line may break between; each keeps the space before the
    next piece at its end."""
    if breaking == 'words':
        out = []
        for word in text.split(' '):
            parts = word.split('|')
            for i, p in enumerate(parts):
                out.append(p + (' ' if i == len(parts) - 1 else ''))
        out[-1] = out[-1].rstrip(' ')
        return [t for t in out if t]
    # CJK: a break is allowed between any two characters, except before
    # closing punctuation and inside a run of Latin letters or digits.
    closing = '，。、！？）」』：；'
    out = []
    for ch in text:
        if out and (ch in closing or ch == ' ' or
                    (ch.isascii() and ch.isalnum() and out[-1][-1].isascii() and out[-1][-1].isalnum())):
            out[-1] += ch
        else:
            out.append(ch)
    return out


def wrap(text_layout, text, breaking, width, where):
    lines, current = [], ''
    for tok in tokens(text, breaking):
        candidate = current + tok
        if current and text_layout.width(candidate.rstrip(' '), where) > width:
            lines.append(current.rstrip(' '))
            current = tok
        else:
            current = candidate
    if current.strip():
        lines.append(current.rstrip(' '))
    return lines


def layout_for(script, size, bold):
    regular, heavy, direction, language, breaking = SCRIPTS[script]
    fonts = [load_font(face_ref, size) for face_ref in (heavy if bold else regular)]
    return Text(fonts, direction, language), breaking


# ---- drawings ----

def draw_keyboard(d, x, y, w, h):
    d.rounded_rectangle((x, y, x + w, y + h), radius=8, fill=BODY, outline=EDGE, width=2)
    cols, rows = 14, 4
    kw = (w - 20) / cols
    kh = (h - 24) / (rows + 1)
    for r in range(rows):
        for c in range(cols):
            kx = x + 10 + c * kw
            ky = y + 10 + r * kh
            d.rectangle((kx + 1, ky + 1, kx + kw - 2, ky + kh - 3), fill=KEY, outline=EDGE)
    # the space bar row
    ky = y + 10 + rows * kh
    d.rectangle((x + 10 + 3 * kw + 1, ky + 1, x + 10 + 11 * kw - 2, ky + kh - 3), fill=KEY, outline=EDGE)


def draw_mouse(d, x, y, w, h):
    d.ellipse((x, y, x + w, y + h), fill=BODY, outline=EDGE, width=2)
    d.line((x + w / 2, y + 2, x + w / 2, y + h * 0.38), fill=EDGE, width=2)
    d.line((x + 4, y + h * 0.38, x + w - 4, y + h * 0.38), fill=EDGE, width=2)
    d.rounded_rectangle((x + w / 2 - 4, y + h * 0.12, x + w / 2 + 4, y + h * 0.3), radius=3, fill=EDGE)
    # the cable
    d.line((x + w / 2, y, x + w / 2, y - 14), fill=EDGE, width=2)


def draw_id_button(d, cx, cy, r, small):
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=BUTTON, outline=(120, 50, 0), width=2)
    font = load_font(NOTO + 'NotoSans-Bold.ttf', small)
    d.text((cx, cy), 'ID', font=font, fill=WHITE, anchor='mm')


# ---- the Channel Setting picture ----

def channel_picture(name, section):
    where = '[%s]' % name
    script = section['script']
    if script not in SCRIPTS:
        raise SystemExit('%s: unknown script %s' % (where, script))
    rtl = SCRIPTS[script][2] == 'rtl'
    img = Image.new('RGB', (WIDTH, HEIGHT), WHITE)
    d = ImageDraw.Draw(img)
    left, right = VISIBLE_LEFT + 14, VISIBLE_RIGHT - 14
    box = right - left
    align = 'right' if rtl else 'left'

    # headline band
    d.rectangle((0, 0, WIDTH, 46), fill=WARN)
    head, _ = layout_for(script, 24, True)
    if head.width(section['warning'], where) > box:
        raise SystemExit('%s: the headline is too long' % where)
    head.draw(d, left, 6, section['warning'], WHITE, 'center', box, where)

    # what is happening
    size = 19
    while True:
        lay, breaking = layout_for(script, size, True)
        lines = wrap(lay, section['channel'], breaking, box, where)
        if len(lines) <= 2 or size <= 13:
            break
        size -= 1
    if len(lines) > 2:
        raise SystemExit('%s: the channel text takes more than two lines' % where)
    y = 54
    for line in lines:
        lay.draw(d, left, y, line, WARN, 'center', box, where)
        y += int(size * 1.5)

    # the drawing: keyboard and mouse seen from above
    top = 112
    kb_w, ms_w = 250, 62
    if rtl:  # the drawing reads from the right as well
        kb_x, ms_x = right - 6 - kb_w, left + 8
        gap = (ms_x + ms_w, kb_x)
    else:
        kb_x, ms_x = left + 6, right - 8 - ms_w
        gap = (kb_x + kb_w, ms_x)
    draw_keyboard(d, kb_x, top, kb_w, 92)
    draw_mouse(d, ms_x, top + 8, ms_w, 92)
    labels, _ = layout_for(script, 14, False)
    labels.draw(d, kb_x, top + 96, section['keyboard'], INK, 'center', kb_w, where)
    labels.draw(d, ms_x - 30, top + 104, section['mouse'], INK, 'center', ms_w + 60, where)
    # The ID buttons sit underneath: a ring marks where, and the button is
    # drawn once between the two devices.
    kb_button = (kb_x + 50 if rtl else kb_x + kb_w - 50, top + 70)
    ms_button = (ms_x + ms_w // 2, top + 76)
    for (bx, by) in (kb_button, ms_button):
        d.ellipse((bx - 7, by - 7, bx + 7, by + 7), outline=BUTTON, width=2)
    callout = ((gap[0] + gap[1]) // 2, top + 50)
    d.line((kb_button, callout), fill=BUTTON, width=2)
    d.line((ms_button, callout), fill=BUTTON, width=2)
    draw_id_button(d, callout[0], callout[1], 17, 14)
    labels.draw(d, callout[0] - 62, top + 4, section['button'], BUTTON, 'center', 124, where)

    # instructions, shrunk until both paragraphs fit above the visible bottom
    text_top, text_bottom = 232, VISIBLE_BOTTOM - 8
    size = 17
    while True:
        lay, breaking = layout_for(script, size, False)
        step = int(size * (1.55 if script in ('thai', 'arabic') else 1.4))
        paragraphs = [wrap(lay, section[k], breaking, box - 22, where) for k in ('howto', 'timeout')]
        needed = step * sum(len(p) for p in paragraphs) + 10
        if text_top + needed <= text_bottom or size <= 11:
            break
        size -= 1
    if text_top + needed > text_bottom:
        raise SystemExit('%s: the instructions do not fit' % where)
    y = text_top
    for n, para in enumerate(paragraphs):
        bullet_x = right - 10 if rtl else left + 2
        bullet_y = y + step // 2
        if n == 0:
            d.ellipse((bullet_x - 5, bullet_y - 5, bullet_x + 5, bullet_y + 5), fill=BUTTON)
        else:  # a small clock for the 30 seconds
            d.ellipse((bullet_x - 6, bullet_y - 6, bullet_x + 6, bullet_y + 6), outline=WARN, width=2)
            d.line((bullet_x, bullet_y, bullet_x, bullet_y - 4), fill=WARN, width=2)
            d.line((bullet_x, bullet_y, bullet_x + 3, bullet_y), fill=WARN, width=2)
        text_x = left if rtl else left + 22
        for line in para:
            lay.draw(d, text_x, y, line, INK, align, box - 22, where)
            y += step
        y += 10
    return img


# ---- the LED strip and its tray icon ----

STRIP_BLUE = (0, 0, 168)


def led_strip():
    img = Image.new('RGB', (160, 45), STRIP_BLUE)
    d = ImageDraw.Draw(img)
    white = WHITE
    centres = [8 + 9 + 32 * i for i in range(5)]
    # the lamp places: a dark frame around each 18 x 9 lamp
    for cx in centres:
        d.rectangle((cx - 10, 32, cx + 9, 42), fill=(0, 0, 90))
    sym = load_font(NOTO + 'NotoSans-Bold.ttf', 17)
    d.text((centres[0], 19), '1', font=sym, fill=white, anchor='mm')
    d.text((centres[1], 19), 'A', font=sym, fill=white, anchor='mm')
    # scroll lock: an arrow down onto a bar
    cx = centres[2]
    d.line((cx, 10, cx, 25), fill=white, width=2)
    d.polygon([(cx - 5, 21), (cx + 5, 21), (cx, 27)], fill=white)
    d.line((cx - 6, 28, cx + 6, 28), fill=white, width=1)
    # keyboard
    cx = centres[3]
    d.rectangle((cx - 10, 13, cx + 9, 26), outline=white, fill=STRIP_BLUE)
    for ky in (15, 18, 21):
        for kx in range(cx - 8, cx + 8, 3):
            d.point((kx, ky), fill=white)
            d.point((kx + 1, ky), fill=white)
    d.line((cx - 5, 24, cx + 4, 24), fill=white)
    # mouse, kept below the close box
    cx = centres[4]
    d.ellipse((cx - 6, 11, cx + 5, 28), outline=white, fill=STRIP_BLUE)
    d.line((cx - 6, 18, cx + 5, 18), fill=white)
    d.line((cx, 11, cx, 18), fill=white)
    # the close box: pixels 150..158 across, 1..7 down
    d.rectangle((150, 1, 158, 7), fill=(200, 0, 0), outline=white)
    d.line((152, 2, 156, 6), fill=white)
    d.line((152, 6, 156, 2), fill=white)
    return img


def tray_image(size):
    img = Image.new('RGB', (size, size), (255, 0, 255))
    d = ImageDraw.Draw(img)
    h = size * 9 // 16
    top = (size - h) // 2
    d.rectangle((0, top, size - 1, top + h - 1), fill=STRIP_BLUE, outline=WHITE)
    n = 3
    lamp_w = max(2, (size - 4) // n - 2)
    for i in range(n):
        x = 2 + i * (lamp_w + 2) + ((size - 4) - n * (lamp_w + 2) + 2) // 2
        colour = (0, 255, 0) if i != 1 else (128, 128, 128)
        d.rectangle((x, top + h // 2, x + lamp_w - 1, top + h - 3), fill=colour)
    return img


# ---- file formats ----

def palette_image(img):
    """The picture with a palette of at most 256 colours, no dithering."""
    return img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def palette_bytes(p_img):
    pal = p_img.getpalette()[:256 * 3]
    pal += [0] * (256 * 3 - len(pal))
    return b''.join(struct.pack('<BBBB', pal[i + 2], pal[i + 1], pal[i], 0) for i in range(0, 768, 3))


def rows_bottom_up(p_img):
    w, h = p_img.size
    data = p_img.tobytes()
    return [data[y * w:(y + 1) * w] for y in reversed(range(h))]


def rle8_row(row):
    """One row in RLE8: runs as (count, index); stretches of differing
    indices in absolute mode (0, n, n indices, padded to a 16-bit word),
    which needs n >= 3; the row ends with (0, 0)."""
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes((run, row[i]))
            i += run
            continue
        # gather a literal stretch up to the next run of three
        j = i
        while j < n and j - i < 255:
            if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        literal = row[i:j]
        if len(literal) >= 3:
            out += bytes((0, len(literal))) + literal
            if len(literal) % 2:
                out.append(0)
        else:
            for b in literal:
                out += bytes((1, b))
        i = j
    out += b'\0\0'
    return bytes(out)


def rle8_data(p_img):
    rows = rows_bottom_up(p_img)
    data = b''.join(rle8_row(r) for r in rows)
    return data[:-2] + b'\0\1'  # the last end of line becomes end of bitmap


def raw8_data(p_img):
    w = p_img.size[0]
    pad = b'\0' * ((4 - w % 4) % 4)
    return b''.join(r + pad for r in rows_bottom_up(p_img))


def write_bmp(path, p_img, rle):
    w, h = p_img.size
    bits = rle8_data(p_img) if rle else raw8_data(p_img)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 1 if rle else 0, len(bits), 2835, 2835, 256, 0)
    pal = palette_bytes(p_img)
    offset = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    write_if_changed(path, head + info + pal + bits)


def write_ico(path, images):
    """A 4-bit icon per size; magenta pixels are transparent."""
    entries, blobs = [], []
    for img in images:
        size = img.size[0]
        colours = sorted({c for c in img.getdata() if c != (255, 0, 255)})
        if len(colours) > 15:
            raise SystemExit('tray icon: too many colours')
        table = [(0, 0, 0)] + colours
        table += [(0, 0, 0)] * (16 - len(table))
        px = img.load()
        xor, mask = bytearray(), bytearray()
        for y in reversed(range(size)):
            row = bytearray()
            for x in range(0, size, 2):
                a = px[x, y]
                b = px[x + 1, y]
                ia = 0 if a == (255, 0, 255) else table.index(a)
                ib = 0 if b == (255, 0, 255) else table.index(b)
                row.append(ia << 4 | ib)
            row += b'\0' * ((4 - len(row) % 4) % 4)
            xor += row
            m = bytearray((size + 31) // 32 * 4)
            for x in range(size):
                if px[x, y] == (255, 0, 255):
                    m[x // 8] |= 0x80 >> (x % 8)
            mask += m
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
        pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in table)
        blobs.append(header + pal + bytes(xor) + bytes(mask))
        entries.append(size)
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in zip(entries, blobs):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    write_if_changed(path, out + b''.join(blobs))


def write_if_changed(path, data):
    if os.path.exists(path):
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    with open(path, 'wb') as f:
        f.write(data)


def read_texts(path):
    parser = configparser.ConfigParser(interpolation=None, comment_prefixes=('#',), delimiters=('=',))
    parser.optionxform = str
    with open(path, encoding='utf-8') as f:
        parser.read_file(f)
    names = parser.sections()
    if names != PICTURES:
        raise SystemExit('%s: the sections must be %s in this order, found %s' % (path, PICTURES, names))
    keys = {'script', 'warning', 'channel', 'howto', 'timeout', 'keyboard', 'mouse', 'button'}
    for name in names:
        missing = keys - set(parser[name])
        if missing:
            raise SystemExit('%s: [%s] lacks %s' % (path, name, ', '.join(sorted(missing))))
    return parser


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    if not features.check('raqm'):
        raise SystemExit('Pillow lacks raqm text layout: install libraqm0')
    texts, outdir = argv[1], argv[2]
    os.makedirs(outdir, exist_ok=True)
    parser = read_texts(texts)
    rc = ['// Generated by gen_pictures.py from channel_texts.txt.', '#include "resource.h"', '']
    for index, name in enumerate(PICTURES):
        p_img = palette_image(channel_picture(name, parser[name]))
        base = os.path.join(outdir, 'channel_%02d' % index)
        write_bmp(base + '.bmp', p_img, rle=True)
        write_bmp(base + '.ref.bmp', p_img, rle=False)
        rc.append('IDB_CHANNEL_FIRST + %d BITMAP "channel_%02d.bmp"  // %s' % (index, index, name))
    write_bmp(os.path.join(outdir, 'led_strip.bmp'), palette_image(led_strip()), rle=False)
    write_ico(os.path.join(outdir, 'led_tray.ico'), [tray_image(16), tray_image(32)])
    rc += ['IDB_LED_STRIP BITMAP "led_strip.bmp"', 'IDI_LED_TRAY ICON "led_tray.ico"']
    with open(os.path.join(outdir, 'pictures.rc'), 'w', encoding='ascii', newline='\n') as f:
        f.write('\n'.join(rc) + '\n')


if __name__ == '__main__':
    main(sys.argv)
