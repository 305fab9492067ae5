"""What make_samples.py and its format modules share: the palette as
corvane-convert holds it, and the window's text and level rules."""

import re
from fractions import Fraction

DIV_HEADER = b"pal\x1a\r\n\x00\x00"
RANGE_HEADER = bytes([0x10, 0x00, 0x00, 0x01])


def text_lines(data):
    """Lines as the program reads text: CR or CR LF ends a line, a lone LF is
    an ordinary byte, 0x1A ends the text."""
    return re.split(rb"\r\n|\r", data.split(b"\x1a")[0])


def integer(text):
    """A signed decimal that fits 16 bits, blanks allowed around it; else None."""
    m = re.fullmatch(rb"[ \t]*([+-]?[0-9]+)[ \t]*", text)
    if m is None or not -32768 <= int(m.group(1)) <= 32767:
        return None
    return int(m.group(1))


def entry(line):
    """Red and green end at the first blank after them; blue is the rest.
    What is not a number is 0."""
    fields = re.split(rb"[ \t]+", line.lstrip(b" \t"), maxsplit=2)
    red, green, blue = (fields + [b"", b""])[:3]
    return tuple(integer(f) or 0 for f in (red, green, blue))


def div_level(component):
    """An 8-bit component to a DIV level: c / 4, less 1 when positive, the
    nearest integer, halves to the even one (Python's round does that)."""
    v = Fraction(component, 4)
    if v > 0:
        v -= 1
    level = round(v)
    assert 0 <= level <= 255, f"no DIV level for {component}"
    return level


class Pal:
    """A palette as corvane-convert holds it: colours on the 8-bit scale (a
    6-bit level times 4), whether they were read as 6-bit levels, and a DIV
    file's whole colour-range block (576 bytes)."""

    def __init__(self, colours, six_bit=False, ranges=None):
        self.colours = [tuple(c) for c in colours]
        self.six_bit = six_bit
        self.ranges = ranges


class Refused(Exception):
    """A reader or a writer refuses the palette; the message is the program's."""
