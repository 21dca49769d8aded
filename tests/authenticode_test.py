#!/usr/bin/env python3
"""scripts/authenticode.py against osslsigncode, which computes the same digest its own way,
on small hand-made PE images of the shapes a linker can produce; and what the digest must
and must not depend on.

python3 tests/authenticode_test.py
"""
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / 'scripts'))
import authenticode  # noqa: E402

ALIGN = 0x200


def pad(data):
    return data + bytes(-len(data) % ALIGN)


def make_pe(pe32plus=False, sections=(b'\x90' * 300, b'data' * 50), order=None, bss=False,
            trailing=b''):
    """A PE image: headers, then each of SECTIONS' data in file order, then TRAILING.
    ORDER lists the sections in the section table in another order; BSS adds a section with
    no file data."""
    count = len(sections) + bss
    optional_size = (112 if pe32plus else 96) + 16 * 8
    header = bytearray(0x40 + 4 + 20 + optional_size + 40 * count)
    header[:2] = b'MZ'
    header[2:0x3c] = bytes(range(2, 0x3c))  # a stub whose bytes count
    struct.pack_into('<I', header, 0x3c, 0x40)
    header[0x40:0x44] = b'PE\0\0'
    struct.pack_into('<HHIIIHH', header, 0x44, 0x8664 if pe32plus else 0x14c, count, 0, 0, 0,
                     optional_size, 0x102)
    optional = 0x58
    struct.pack_into('<H', header, optional, 0x20b if pe32plus else 0x10b)
    headers_end = len(pad(header))
    struct.pack_into('<III', header, optional + 56, 0x1000 * (count + 1), headers_end, 0x12345678)
    struct.pack_into('<I', header, optional + optional_size - 16 * 8 - 4, 16)
    table = optional + optional_size
    at, rows = headers_end, []
    for i, data in enumerate(sections):
        rows.append((b'.s%d' % i, 0x1000 * (i + 1), len(pad(data)), at))
        at += len(pad(data))
    rows = [rows[i] for i in order] if order else rows
    if bss:
        rows.append((b'.bss', 0x1000 * count, 0, 0))
    for i, (name, rva, size, start) in enumerate(rows):
        struct.pack_into('<8sIIII', header, table + 40 * i, name, 0x100, rva, size, start)
    return bytes(pad(header)) + b''.join(pad(data) for data in sections) + trailing


SHAPES = {
    'PE32': make_pe(),
    'PE32+': make_pe(pe32plus=True),
    'section table out of file order': make_pe(sections=(b'a' * 10, b'b' * 700, b'c'), order=(2, 0, 1)),
    'a section without file data': make_pe(bss=True),
    'data after the last section': make_pe(trailing=b'overlay' * 8),
    'length not a multiple of 8': make_pe(trailing=b'odd'),
    'one section': make_pe(sections=(b'\xcc' * 5,)),
}


class AgreesWithOsslsigncode(unittest.TestCase):
    """Each shape signed by osslsigncode: the digest is the one before signing, the one
    osslsigncode stores in the signature and the one it calculates from the signed file."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.dir = Path(cls.folder.name)
        subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '2',
                        '-subj', '/CN=authenticode test', '-addext', 'extendedKeyUsage=codeSigning',
                        '-keyout', cls.dir / 'key.pem', '-out', cls.dir / 'cert.pem'],
                       check=True, capture_output=True)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_shapes(self):
        for name, image in SHAPES.items():
            with self.subTest(name):
                unsigned, signed = self.dir / 'unsigned.exe', self.dir / 'signed.exe'
                unsigned.write_bytes(image)
                signed.unlink(missing_ok=True)
                subprocess.run(['osslsigncode', 'sign', '-certs', self.dir / 'cert.pem', '-key',
                                self.dir / 'key.pem', '-h', 'sha256', '-in', unsigned, '-out', signed],
                               check=True, capture_output=True)
                verify = subprocess.run(['osslsigncode', 'verify', '-CAfile', self.dir / 'cert.pem',
                                         '-in', signed], capture_output=True, text=True)
                self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
                stored = re.search(r'^Current message digest *: *(\w+)', verify.stdout, re.M)[1]
                calculated = re.search(r'^Calculated message digest *: *(\w+)', verify.stdout, re.M)[1]
                before = authenticode.digest(image)
                self.assertEqual(authenticode.digest(signed.read_bytes()), before)
                self.assertEqual(stored.lower(), before)
                self.assertEqual(calculated.lower(), before)


def signed_by_hand(image, certificates):
    """IMAGE padded to a multiple of 8 with CERTIFICATES after it, as a signing tool adds them."""
    data = bytearray(image + bytes(-len(image) % 8))
    struct.pack_into('<II', data, 0x58 + 96 + 32, len(data), len(certificates))
    return bytes(data + certificates)


class WhatTheDigestCovers(unittest.TestCase):
    image = make_pe(trailing=b'overlay!')

    def test_left_out(self):
        checksum = bytearray(self.image)
        checksum[0x58 + 64:0x58 + 68] = b'\xff' * 4
        odd = make_pe(trailing=b'odd')
        for name, before, after in [
                ('CheckSum', self.image, bytes(checksum)),
                ('a certificate table', self.image, signed_by_hand(self.image, b'x' * 16)),
                ('another certificate table', self.image, signed_by_hand(self.image, b'y' * 24)),
                ('a certificate table after padding', odd, signed_by_hand(odd, b'x' * 16))]:
            with self.subTest(name):
                self.assertEqual(authenticode.digest(after), authenticode.digest(before))

    def test_covered(self):
        optional = 0x58
        for name, at in [('MZ stub', 0x10), ('time stamp', 0x48), ('SizeOfImage', optional + 56),
                         ('byte after CheckSum', optional + 68),
                         ('byte before the Certificate Table entry', optional + 96 + 31),
                         ('byte after the Certificate Table entry', optional + 96 + 40),
                         ('section table', optional + 224 + 20), ('header padding', ALIGN - 1),
                         ('first section', ALIGN), ('last section', len(self.image) - 8 - ALIGN),
                         ('data after the last section', len(self.image) - 1)]:
            with self.subTest(name):
                data = bytearray(self.image)
                data[at] ^= 0xa5
                self.assertNotEqual(authenticode.digest(bytes(data)), authenticode.digest(self.image))


class Rejects(unittest.TestCase):
    def test_not_hashable(self):
        image = make_pe()
        with_certificates = bytearray(image + bytes(16))
        struct.pack_into('<II', with_certificates, 0x58 + 96 + 32, len(image), 8)  # 8 bytes left over
        section_past_end = bytearray(image)
        struct.pack_into('<I', section_past_end, 0x58 + 224 + 16, 0x10000)
        for name, data in [('empty', b''), ('not MZ', b'ZM' + image[2:]),
                           ('no PE signature', image[:0x40] + b'NE\0\0' + image[0x44:]),
                           ('cut inside the headers', image[:0x60]),
                           ('unknown optional header', image[:0x58] + b'\x07\x01' + image[0x5a:]),
                           ('data after the certificate table', bytes(with_certificates)),
                           ('section past the end', bytes(section_past_end))]:
            with self.subTest(name):
                with self.assertRaises(ValueError):
                    authenticode.digest(data)


if __name__ == '__main__':
    unittest.main()
