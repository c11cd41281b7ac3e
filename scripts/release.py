#!/usr/bin/env python3
"""Makes the release from an installed tree: the ZIP, SHA256SUMS beside it, the
Scoop manifest vornalt.json and the winget manifests under winget/.

SOURCE_DATE_EPOCH must be set: it is the time of every entry of the ZIP
(scripts/package.sh sets it to the last commit's time).

The ZIP is written here rather than by CPack or `cmake -E tar`: libarchive puts
each file's access and change times and its owner's ids into extra fields, so
two runs never matched. Here every entry has the commit's time, a fixed mode
and no extra field, in sorted order.
"""

import argparse
import hashlib
import json
import os
import pathlib
import re
import stat
import time
import zipfile

# The earliest time a ZIP entry can hold (1980-01-01).
ZIP_EPOCH = 315532800
MANIFEST_VERSION = "1.6.0"
LOCALE = "en-US"


def archive_name(info, version):
    return f"{info['name']}-{version}-win64.zip"


def release_url(info, version, file_name):
    """Where GitHub serves a file attached to the release of tag v<version>."""
    return f"{info['homepage']}/releases/download/v{version}/{file_name}"


def write_zip(stage, program, archive, epoch):
    names = sorted(p.relative_to(stage).as_posix() for p in stage.rglob("*") if p.is_file())
    if program not in names:
        raise SystemExit(f"release.py: {program} is not in {stage}")
    when = time.gmtime(max(epoch, ZIP_EPOCH))[:6]
    with zipfile.ZipFile(archive, "w") as out:
        for name in names:
            entry = zipfile.ZipInfo(name, when)
            entry.create_system = 3  # Unix, whatever Python runs on, so the mode below is kept
            mode = 0o755 if name == program else 0o644
            entry.external_attr = (stat.S_IFREG | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            out.writestr(entry, (stage / name).read_bytes(), compresslevel=9)


def scoop_manifest(info, zip_name, sha256):
    version = info["version"]
    return {
        "version": version,
        "description": info["summary"],
        "homepage": info["homepage"],
        "license": info["license"],
        "architecture": {"64bit": {"url": release_url(info, version, zip_name), "hash": sha256}},
        "bin": info["program"].replace("/", "\\"),
        "checkver": "github",
        "autoupdate": {
            "architecture": {
                "64bit": {"url": release_url(info, "$version", archive_name(info, "$version"))}
            },
            # SHA256SUMS holds "<sha256>  <file name>" lines.
            "hash": {
                "url": release_url(info, "$version", "SHA256SUMS"),
                "regex": r"$sha256\s+$basename",
            },
        },
    }


# A scalar that YAML reads back as this same string without quotes: no
# indicator at its start, no ": " or " #" inside, and not a number, a bool or null.
PLAIN = re.compile(r"[^-?:,\[\]{}#&*!|>'\"%@`\s](?:(?!: | #)[^\n])*(?<!\s)")
NOT_A_STRING = re.compile(
    r"[-+]?([0-9][0-9_]*(\.[0-9_]*)?|\.[0-9_]+)(e[-+]?[0-9]+)?"  # 7, 1.5, .5, 1e3
    r"|[-+]?[0-9][0-9_]*(:[0-5]?[0-9])+(\.[0-9_]*)?"  # YAML 1.1's base 60: 1:30
    r"|0x[0-9a-f_]+|0o?[0-7_]+|0b[01_]+|[-+]?\.(inf|nan)"
    r"|[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}([t ].*)?"  # a date
    r"|true|false|yes|no|on|off|null|y|n|~",
    re.IGNORECASE,
)


def yaml_scalar(value):
    if PLAIN.fullmatch(value) and not NOT_A_STRING.fullmatch(value):
        return value
    return "'" + value.replace("'", "''") + "'"


def yaml_document(schema, fields):
    """The simple YAML winget reads: scalars, and lists of mappings of scalars."""
    schema_url = f"https://aka.ms/winget-manifest.{schema}.{MANIFEST_VERSION}.schema.json"
    lines = [f"# yaml-language-server: $schema={schema_url}", ""]
    for key, value in fields.items():
        if isinstance(value, list):
            lines.append(f"{key}:")
            for item in value:
                for index, (item_key, item_value) in enumerate(item.items()):
                    lead = "- " if index == 0 else "  "
                    lines.append(f"{lead}{item_key}: {yaml_scalar(item_value)}")
        else:
            lines.append(f"{key}: {yaml_scalar(value)}")
    return "\n".join(lines) + "\n"


def winget_manifests(info, zip_name, sha256):
    """The three files of a version in the community repository, by file name."""
    identifier = info["winget_id"]
    version = info["version"]
    common = {"PackageIdentifier": identifier, "PackageVersion": version}
    tail = {"ManifestVersion": MANIFEST_VERSION}
    files = {
        f"{identifier}.yaml": yaml_document(
            "version",
            {**common, "DefaultLocale": LOCALE, "ManifestType": "version", **tail},
        ),
        f"{identifier}.locale.{LOCALE}.yaml": yaml_document(
            "defaultLocale",
            {
                **common,
                "PackageLocale": LOCALE,
                "Publisher": info["publisher"],
                "PackageName": info["name"],
                "PackageUrl": info["homepage"],
                "License": info["license"],
                "LicenseUrl": f"{info['homepage']}/blob/v{version}/LICENSE",
                "ShortDescription": info["summary"],
                "Moniker": info["name"],
                "ManifestType": "defaultLocale",
                **tail,
            },
        ),
        f"{identifier}.installer.yaml": yaml_document(
            "installer",
            {
                **common,
                "InstallerType": "zip",
                "NestedInstallerType": "portable",
                "NestedInstallerFiles": [
                    {
                        "RelativeFilePath": info["program"].replace("/", "\\"),
                        "PortableCommandAlias": info["name"],
                    }
                ],
                "Installers": [
                    {
                        "Architecture": "x64",
                        "InstallerUrl": release_url(info, version, zip_name),
                        "InstallerSha256": sha256.upper(),
                    }
                ],
                "ManifestType": "installer",
                **tail,
            },
        ),
    }
    folder = pathlib.PurePosixPath(
        "manifests", identifier[0].lower(), *identifier.split("."), version
    )
    return folder, files


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--info", required=True, type=pathlib.Path, metavar="FILE",
                        help="the build's release-info.json: the name, version, summary, "
                             "publisher, licence, homepage, winget id and the program's path "
                             "in the archive")
    parser.add_argument("--stage", required=True, type=pathlib.Path, metavar="FOLDER",
                        help="the installed tree that goes into the ZIP (cmake --install "
                             "--prefix FOLDER)")
    parser.add_argument("--out", required=True, type=pathlib.Path, metavar="FOLDER",
                        help="where the ZIP, SHA256SUMS, vornalt.json and winget/ are written "
                             "(made if missing)")
    args = parser.parse_args()
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch or not epoch.isdigit():
        raise SystemExit("release.py: set SOURCE_DATE_EPOCH (git log -1 --format=%ct)")
    info = json.loads(args.info.read_text(encoding="utf-8"))

    args.out.mkdir(parents=True, exist_ok=True)
    zip_name = archive_name(info, info["version"])
    archive = args.out / zip_name
    write_zip(args.stage, info["program"], archive, int(epoch))
    sha256 = hashlib.sha256(archive.read_bytes()).hexdigest()
    (args.out / "SHA256SUMS").write_text(f"{sha256}  {zip_name}\n", encoding="utf-8", newline="\n")

    scoop = json.dumps(scoop_manifest(info, zip_name, sha256), indent=4, ensure_ascii=False)
    (args.out / f"{info['name']}.json").write_text(scoop + "\n", encoding="utf-8", newline="\n")
    folder, files = winget_manifests(info, zip_name, sha256)
    winget = args.out / "winget" / folder
    winget.mkdir(parents=True, exist_ok=True)
    for name, text in files.items():
        (winget / name).write_text(text, encoding="utf-8", newline="\n")


if __name__ == "__main__":
    main()
