#!/usr/bin/env python3
"""Joins UTF-8 resource scripts into one script windres can read.

windres reads the bytes of a string in the code page named by the last
"#pragma code_page(N)" and stores them as UTF-16. So every non-ASCII
character is written in that code page, each byte as an octal escape: a
double-byte character whose second byte is 0x5C ("\\") or 0x22 ('"') then
cannot end or escape the string, neither for the preprocessor nor for
windres's own lexer.

Code page 1255 is the exception: windres (binutils 2.40) decodes it with
iconv's stateful decoder, which repeats the first character of a string.
There the strings become wide literals with UTF-16 escapes, which windres
stores as they are; their characters are still checked against the code
page, so that LoadStringA on a Windows of that language shows them.

    encode_rc.py OUTPUT INPUT...
"""
import re
import sys

PRAGMA = re.compile(r'^\s*#\s*pragma\s+code_page\s*\(\s*(\d+)\s*\)')
STRING = re.compile(r'"((?:[^"]|"")*)"')
WIDE_CODEPAGES = {1255}


def wide_literal(match, codepage, where):
    text = match.group(1)
    encode_line(text, codepage, where)  # only for the check
    return 'L"' + ''.join(ch if ord(ch) < 0x80 else '\\x%04x' % ord(ch) for ch in text) + '"'


def encode_line(line, codepage, where):
    if codepage in WIDE_CODEPAGES and not line.lstrip().startswith('//'):
        line = STRING.sub(lambda m: wide_literal(m, codepage, where), line)
    out = []
    for ch in line:
        if ord(ch) < 0x80:
            out.append(ch)
            continue
        if codepage is None:
            raise SystemExit('%s: non-ASCII text before any #pragma code_page' % where)
        try:
            data = ch.encode('cp%d' % codepage)
        except UnicodeEncodeError:
            raise SystemExit('%s: %r (U+%04X) has no place in code page %d' % (where, ch, ord(ch), codepage))
        out.extend('\\%03o' % b for b in data)
    return ''.join(out)


def convert(path):
    codepage = None
    lines = ['// ---- %s' % path.replace('\\', '/').split('/')[-1]]
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip('\r\n')
            m = PRAGMA.match(line)
            if m:
                codepage = int(m.group(1))
            lines.append(encode_line(line, codepage, '%s:%d' % (path, number)))
    return lines


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    out = []
    for path in argv[2:]:
        out += convert(path)
    with open(argv[1], 'w', encoding='ascii', newline='\n') as f:
        f.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main(sys.argv)
