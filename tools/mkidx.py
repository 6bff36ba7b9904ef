#!/usr/bin/env python3
"""Writes the index file of a sequence bank, for the suite to fetch entries by number.

usage: mkidx.py BANK [INDEX]

The index (by default BANK with its extension replaced by ".idx") holds a 128-byte
header, then one 32-byte record per entry: "k offset", padded with blanks and ended by
a line feed, where offset is the byte (carriage returns counted) at which reading of
entry k starts. Entries are counted the way the suite's readers count them, so entry k
of the index is the k-th sequence an open bank yields.
"""
import sys

HEADER = b'bank index: "entry offset" records of 32 bytes from byte 128'
BLANKS = b' \t\r\n'
BOM = b'\xef\xbb\xbf'


def index_name(bank):
    """BANK with its extension (a dot after the last '/' or '\\') replaced by ".idx"."""
    for i in range(len(bank) - 1, -1, -1):
        c = bank[i]
        if c in '/\\':
            break
        if c == '.':
            return bank[:i] + '.idx'
    return bank + '.idx'


def split_lines(data):
    """(offset, line) pairs, each line with its line feed. A byte-order mark that opens the
    file is no part of the first line, which still starts at offset 0, as the readers take it."""
    out, pos = [], 0
    while pos < len(data):
        end = data.find(b'\n', pos)
        end = len(data) if end < 0 else end + 1
        skip = 3 if pos == 0 and data.startswith(BOM) else 0
        out.append((pos, data[pos + skip:end]))
        pos = end
    return out


def bank_format(lines):
    """Format code of the first line that passes a test, in the suite's order; -1 none."""
    for _, s in lines:
        if s.startswith(b'>'):
            return 1
        if s.startswith(b'SQ  '):
            return 2
        if s.startswith(b'ORIGIN'):
            return 3
        if s.startswith(b'fc;'):
            return 4
        if b'Blocks Database' in s:
            return 5
        if s.startswith(b'# STOCKHOLM'):
            return 6
    return -1


def fasta_entries(lines):
    # An entry starts at a line whose first non-blank character is '>'.
    return [off for off, s in lines if s.lstrip(BLANKS).startswith(b'>')]


def flat_entries(lines, id_tag, seq_tag):
    """Swiss-Prot/EMBL and GenBank: an entry runs through its sequence tag line and then
    through "//"; it is fetched from its first identification line."""
    offs, i, n = [], 0, len(lines)
    while i < n:
        start, ident = i, None
        while i < n and not lines[i][1].startswith(seq_tag):
            if ident is None and lines[i][1].startswith(id_tag):
                ident = i
            i += 1
        if i >= n:
            break  # no sequence: the reader finds no entry here
        i += 1
        while i < n and not lines[i][1].startswith(b'//'):
            i += 1
        i += 1
        offs.append(lines[start if ident is None else ident][0])
    return offs


def prints_entries(lines):
    # One entry per motif element, fetched from its "fc;" line.
    return [off for off, s in lines if s[:3].lower() == b'fc;']


def blocks_entries(lines):
    """A block runs through its "BL " line and its rows up to "//"; fetched from its
    "ID " line."""
    offs, i, n = [], 0, len(lines)
    while i < n:
        start, ident = i, None
        while i < n and not lines[i][1].startswith(b'BL '):
            s = lines[i][1]
            if ident is None and s[:3].upper() == b'ID ':
                ident = i
            i += 1
        if i >= n:
            break
        i += 1
        while i < n and not lines[i][1].startswith(b'//'):
            i += 1
        i += 1
        offs.append(lines[start if ident is None else ident][0])
    return offs


def pfam_entries(lines):
    """Stockholm: '#' and '/' lines lead to the rows, which run up to a '/' line ('#'
    lines among them are skipped); an entry is fetched from its "#=GF ID" line."""
    offs, i, n = [], 0, len(lines)

    def ident_at(j):
        return lines[j][1][:8].upper() == b'#=GF ID '

    while i < n:
        start, ident = i, None
        while i < n and lines[i][1][:1] in (b'#', b'/'):
            if ident is None and ident_at(i):
                ident = i
            i += 1
        rows = False
        while i < n and not lines[i][1].startswith(b'/'):
            s = lines[i][1]
            if s.startswith(b'#'):
                if ident is None and ident_at(i):
                    ident = i
            elif s.strip(BLANKS):
                rows = True
            i += 1
        i += 1
        if ident is not None or rows:
            offs.append(lines[start if ident is None else ident][0])
    return offs


def entries(data):
    lines = split_lines(data)
    fmt = bank_format(lines)
    if fmt == 1:
        return fasta_entries(lines)
    if fmt == 2:
        return flat_entries(lines, b'ID', b'SQ  ')
    if fmt == 3:
        return flat_entries(lines, b'LOCUS', b'ORIGIN')
    if fmt == 4:
        return prints_entries(lines)
    if fmt == 5:
        return blocks_entries(lines)
    if fmt == 6:
        return pfam_entries(lines)
    return None


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write('usage: mkidx.py BANK [INDEX]\n')
        return 2
    bank = argv[1]
    out = argv[2] if len(argv) == 3 else index_name(bank)
    try:
        with open(bank, 'rb') as f:
            data = f.read()
    except OSError as e:
        sys.stderr.write('mkidx.py: %s: %s\n' % (bank, e.strerror))
        return 1
    offs = entries(data)
    if offs is None:
        sys.stderr.write('mkidx.py: %s: unknown bank format\n' % bank)
        return 1
    try:
        with open(out, 'wb') as f:
            f.write(b'%-127s\n' % HEADER)
            for k, off in enumerate(offs):
                f.write(b'%15d %15d\n' % (k, off))
    except OSError as e:
        sys.stderr.write('mkidx.py: %s: %s\n' % (out, e.strerror))
        return 1
    print('%s: %d entries' % (out, len(offs)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
