#!/usr/bin/env python3
"""Packs a release: zorkMIX-<version>-win32.zip, its package manifests (scripts/manifests.py) and
SHA256SUMS for BUILD/zorkMIX.exe, written into OUT.
<version> is the exe's ProductVersion. The zip holds one folder with the exe, SpecChar.txt and the
read-me and licence files from SOURCES, its text files with CR LF line ends; its entries have a fixed
order, fixed permissions and the one time EPOCH. Its comment names COMMIT, or no commit when empty.
Built for a tag v* in CI, the tag must name that version.

python3 scripts/pack_release.py SOURCES BUILD OUT EPOCH COMMIT
"""
import hashlib
import os
import re
import subprocess
import sys
import time
import zipfile
from pathlib import Path

import manifests

src, build, out, epoch, commit = sys.argv[1:]
src, build, out = Path(src), Path(build), Path(out)
epoch = max(int(epoch), 315532800)  # no zip entry can be older
exe = (build / 'zorkMIX.exe').read_bytes()
record = subprocess.run(['wrestool', '-x', '--raw', '-t', '16', build / 'zorkMIX.exe'], check=True,
                        stdout=subprocess.PIPE).stdout.decode('utf-16-le', 'replace')
key = 'ProductVersion\0'
version = record[record.index(key) + len(key):].lstrip('\0').split('\0')[0]
if not re.fullmatch(r'[0-9]+(\.[0-9]+)*', version):
    sys.exit(f'dist: the version record names no usable version: {version!r}')
# The release is published under its tag, and the manifests give the URL under v<version>.
tag = os.environ.get('GITHUB_REF_NAME', '') if os.environ.get('GITHUB_REF_TYPE') == 'tag' else ''
if tag.startswith('v') and tag != f'v{version}':
    sys.exit(f'dist: the tag {tag} and the version record\'s {version} disagree: tag the release v{version},'
             f' or change the version in resources/zorkMIX.rc')


def crlf(data):
    return data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')


def readme(path):
    """A read-me as shipped: with the version, and with a UTF-8 mark when it is not plain
    ASCII, since Notepad before Windows 10 reads a file without one as ANSI."""
    data = crlf(path.read_bytes()).replace(b'@VERSION@', version.encode())
    return data if data.isascii() else b'\xef\xbb\xbf' + data


folder = f'zorkMIX-{version}/'
entries = [
    ('zorkMIX.exe', exe),
    ('SpecChar.txt', crlf((build / 'SpecChar.txt').read_bytes())),
    ('README.txt', readme(src / 'resources/README.txt')),
    ('CTIMNE.txt', readme(src / 'resources/CTIMNE.txt')),
    ('LICENSE.txt', crlf((src / 'LICENSE').read_bytes())),
]
stamp = time.gmtime(epoch)[:6]
name = f'zorkMIX-{version}-win32.zip'
with zipfile.ZipFile(out / name, 'w') as z:
    def add(path, data, attributes, method):
        info = zipfile.ZipInfo(path, stamp)
        info.create_system = 3  # Unix, so that the mode in the high bits is what unzip applies
        info.external_attr = attributes
        info.compress_type = method
        z.writestr(info, data, compresslevel=9)

    add(folder, b'', 0o40755 << 16 | 0x10, zipfile.ZIP_STORED)  # 0x10: folder, for Windows
    for path, data in entries:
        add(folder + path, data, 0o100644 << 16, zipfile.ZIP_DEFLATED)
    z.comment = (f'zorkMIX {version}, built from commit {commit}' if commit else
                 f'zorkMIX {version}, not built from a commit').encode()

sha = lambda data: hashlib.sha256(data).hexdigest()
zip_sha = sha((out / name).read_bytes())
sums = [(zip_sha, name), (sha(exe), f'{folder}zorkMIX.exe')]
for path in manifests.write(out, version, name, zip_sha, epoch):
    sums.append((sha((out / path).read_bytes()), path))
(out / 'SHA256SUMS').write_text(''.join(f'{digest}  {path}\n' for digest, path in sums))
