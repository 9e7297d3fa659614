#!/usr/bin/env python3
"""Writes the text of the C string constant kClientSample, found in SOURCE, to OUTPUT as it reads.

Usage: extract_client_sample.py SOURCE OUTPUT
The constant is a run of adjacent string literals ended by ';'; their escapes are decoded.
"""
import re
import sys

SIMPLE_ESCAPES = {'n': 10, 't': 9, 'r': 13, 'a': 7, 'b': 8, 'f': 12, 'v': 11,
                  '\\': 92, "'": 39, '"': 34, '?': 63}
TOKEN = re.compile(r'\s+|//[^\n]*|/\*.*?\*/|"((?:[^"\\\n]|\\.)*)"|;', re.S)
ESCAPE = re.compile(r'\\(?:([0-7]{1,3})|x([0-9A-Fa-f]+)|(.))', re.S)


def decode(literal):
    def escape(match):
        octal, hexadecimal, simple = match.groups()
        if simple is not None and simple not in SIMPLE_ESCAPES:
            raise ValueError('unknown escape \\' + simple)
        value = (int(octal, 8) if octal else int(hexadecimal, 16) if hexadecimal
                 else SIMPLE_ESCAPES[simple])
        if value > 255:
            raise ValueError('escape out of range: ' + match.group(0))
        return chr(value)
    return ESCAPE.sub(escape, literal).encode('latin-1')


def extract(source):
    start = re.search(r'\bkClientSample\s*\[\s*\]\s*=', source)
    if not start:
        raise ValueError('no kClientSample[] = in the source')
    text, pos = b'', start.end()
    while True:
        token = TOKEN.match(source, pos)
        if not token:
            raise ValueError('unexpected text at offset %d' % pos)
        pos = token.end()
        if token.group(0) == ';':
            return text
        if token.group(1) is not None:
            text += decode(token.group(1))


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    with open(argv[1], encoding='latin-1') as source:
        text = extract(source.read())
    with open(argv[2], 'wb') as output:
        output.write(text)


if __name__ == '__main__':
    main(sys.argv)
