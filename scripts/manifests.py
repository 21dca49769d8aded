"""The package manifests of a release, written beside its zip: winget's three files (schema 1.28.0)
in OUT/winget/ and Scoop's OUT/zorkmix.json. pack_release.py calls write().

Who publishes and where is said here only: the GitHub repository the release is published in,
GITHUB_REPOSITORY in CI, or a placeholder that nothing can be installed from. The release is the
tag v<version> of that repository.
"""
import json
import os
import time
from pathlib import Path

REPOSITORY = os.environ.get('GITHUB_REPOSITORY') or 'OWNER/zorkMIX'
OWNER = REPOSITORY.split('/')[0]
IDENTIFIER = f'{OWNER}.zorkMIX'
HOME = f'https://github.com/{REPOSITORY}'
SCHEMA = '1.28.0'
RELEASES = f'{HOME}/releases/download'
SHORT = 'A small password generator: random passwords from the characters you choose'


def quote(value):
    """A YAML scalar that every YAML version reads as this text (never a number or a date)."""
    return "'" + value.replace("'", "''") + "'"


def scalar(value):
    return ('true' if value else 'false') if isinstance(value, bool) else quote(value)


def yaml(kind, fields):
    """A winget manifest: its schema line, then FIELDS, each a text, a truth value, a list of
    texts or a list of mappings of those."""
    lines = [f'# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind.lower()}.{SCHEMA}.schema.json', '']
    for key, value in fields:
        if not isinstance(value, list):
            lines.append(f'{key}: {scalar(value)}')
            continue
        lines.append(f'{key}:')
        for item in value:
            if not isinstance(item, dict):
                lines.append(f'- {scalar(item)}')
                continue
            for i, (k, v) in enumerate(item.items()):
                lines.append(f"{'- ' if i == 0 else '  '}{k}: {scalar(v)}")
    lines += [f'ManifestType: {kind}', f'ManifestVersion: {SCHEMA}']
    return '\n'.join(lines) + '\n'


def write(out, version, zip_name, zip_sha256, epoch):
    """Writes the manifests for the zip ZIP_NAME, whose SHA-256 is ZIP_SHA256, built from a commit
    of the time EPOCH (its date is the release date, so two builds write the same files)."""
    folder = f'zorkMIX-{version}'
    url = f'{RELEASES}/v{version}/{zip_name}'
    package = [('PackageIdentifier', IDENTIFIER), ('PackageVersion', version)]
    winget = Path(out) / 'winget'
    winget.mkdir()
    (winget / f'{IDENTIFIER}.yaml').write_text(yaml('version', package + [('DefaultLocale', 'en-US')]))
    (winget / f'{IDENTIFIER}.locale.en-US.yaml').write_text(yaml('defaultLocale', package + [
        ('PackageLocale', 'en-US'),
        ('Publisher', OWNER),
        ('PublisherUrl', f'https://github.com/{OWNER}'),
        ('PublisherSupportUrl', f'{HOME}/issues'),
        ('PackageName', 'zorkMIX'),
        ('PackageUrl', HOME),
        ('License', 'MIT'),
        ('LicenseUrl', f'{HOME}/blob/HEAD/LICENSE'),
        ('ShortDescription', SHORT),
        ('Moniker', 'zorkmix'),
        ('Tags', ['password', 'password-generator', 'random', 'security']),
        ('ReleaseNotesUrl', f'{HOME}/releases/tag/v{version}'),
    ]))
    # The exe reads SpecChar.txt beside itself: winget must put its own folder on PATH, not a
    # link to it in another folder.
    (winget / f'{IDENTIFIER}.installer.yaml').write_text(yaml('installer', package + [
        ('InstallerType', 'zip'),
        ('NestedInstallerType', 'portable'),
        ('NestedInstallerFiles', [{'RelativeFilePath': f'{folder}\\zorkMIX.exe'}]),
        ('ArchiveBinariesDependOnPath', True),
        ('UpgradeBehavior', 'uninstallPrevious'),
        ('Commands', ['zorkMIX']),
        ('ReleaseDate', time.strftime('%Y-%m-%d', time.gmtime(epoch))),
        ('Installers', [{'Architecture': 'x86', 'InstallerUrl': url, 'InstallerSha256': zip_sha256.upper()}]),
    ]))
    scoop = {
        'version': version,
        'description': SHORT,
        'homepage': HOME,
        'license': 'MIT',
        'url': url,
        'hash': zip_sha256,
        'extract_dir': folder,
        'shortcuts': [['zorkMIX.exe', 'zorkMIX']],
        'checkver': 'github',
        'autoupdate': {
            'url': f'{RELEASES}/v$version/zorkMIX-$version-win32.zip',
            'extract_dir': 'zorkMIX-$version',
            'hash': {'url': '$baseurl/SHA256SUMS', 'regex': '$sha256\\s+$basename'},
        },
    }
    (Path(out) / 'zorkmix.json').write_text(json.dumps(scoop, indent=4) + '\n')
    return [f'winget/{p.name}' for p in sorted(winget.iterdir())] + ['zorkmix.json']
