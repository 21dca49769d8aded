#!/usr/bin/env python3
"""Prints the Authenticode digest (SHA-256) of PE files, one line per file as sha256sum does.

This is the hash a code signature signs. It leaves out the header's CheckSum, the Certificate
Table entry and the certificate table itself, so adding a signature does not change it: a signed
release has the same digest as the same commit built unsigned. An unsigned file whose length is
not a multiple of 8 is hashed with the zero bytes a signing tool pads it with before the
certificate table.

python3 scripts/authenticode.py FILE...
"""
import hashlib
import struct
import sys

CERTIFICATE_TABLE = 4  # index of the Certificate Table in the optional header's data directories


def digest(data):
    """The Authenticode SHA-256 digest of the PE image DATA, as lowercase hex.
    Raises ValueError when DATA is no PE image this can hash."""
    def field(fmt, at):
        if at < 0 or at + struct.calcsize(fmt) > len(data):
            raise ValueError('the file ends inside its headers')
        return struct.unpack_from(fmt, data, at)[0]

    if data[:2] != b'MZ':
        raise ValueError('no MZ header')
    pe = field('<I', 0x3c)
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('no PE signature')
    sections, optional_size = field('<H', pe + 6), field('<H', pe + 20)
    optional = pe + 24
    magic = field('<H', optional)
    if magic not in (0x10b, 0x20b):
        raise ValueError(f'unknown optional header magic 0x{magic:x}')
    directories = optional + (96 if magic == 0x10b else 112)  # PE32 or PE32+
    if field('<I', directories - 4) <= CERTIFICATE_TABLE:
        raise ValueError('the optional header has no Certificate Table entry')
    checksum = optional + 64
    certificate_entry = directories + 8 * CERTIFICATE_TABLE
    if certificate_entry + 8 > optional + optional_size:
        raise ValueError('the Certificate Table entry lies outside the optional header')
    headers_end = field('<I', optional + 60)  # SizeOfHeaders
    if headers_end > len(data) or headers_end < certificate_entry + 8:
        raise ValueError(f'SizeOfHeaders {headers_end} does not fit the file')
    certificates, certificates_size = struct.unpack_from('<II', data, certificate_entry)
    end = len(data)
    if certificates_size:
        if certificates + certificates_size != len(data):
            raise ValueError('the certificate table is not at the end of the file')
        end = certificates

    h = hashlib.sha256()
    h.update(data[:checksum])
    h.update(data[checksum + 4:certificate_entry])
    h.update(data[certificate_entry + 8:headers_end])

    # Section data in file order; a section without file data adds nothing.
    table = optional + optional_size
    raw = sorted((field('<I', table + 40 * i + 20), field('<I', table + 40 * i + 16))
                 for i in range(sections))
    hashed = headers_end
    for start, size in raw:
        if not size:
            continue
        if start + size > end:
            raise ValueError(f'a section at offset {start} runs past the end of the image')
        h.update(data[start:start + size])
        hashed = max(hashed, start + size)

    # Whatever follows the last section (in a signed file, the padding before the certificates).
    h.update(data[hashed:end])
    if not certificates_size and len(data) % 8:
        h.update(bytes(8 - len(data) % 8))
    return h.hexdigest()


def main(paths):
    if not paths:
        sys.exit('usage: python3 scripts/authenticode.py FILE...')
    status = 0
    for path in paths:
        try:
            with open(path, 'rb') as f:
                print(f'{digest(f.read())}  {path}')
        except (OSError, ValueError) as e:
            print(f'authenticode: {path}: {e}', file=sys.stderr)
            status = 1
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
