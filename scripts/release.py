#!/usr/bin/env python3
"""Makes the release from an installed tree: the ZIP and SHA256SUMS beside it.

Usage: release.py --info BUILD/release-info.json --stage INSTALLED --out DIST
with SOURCE_DATE_EPOCH set (scripts/package.sh sets it).

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
import stat
import time
import zipfile

# The earliest time a ZIP entry can hold (1980-01-01).
ZIP_EPOCH = 315532800


def archive_name(info, version):
    return f"{info['name']}-{version}-win64.zip"


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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--info", required=True, type=pathlib.Path)
    parser.add_argument("--stage", required=True, type=pathlib.Path)
    parser.add_argument("--out", required=True, type=pathlib.Path)
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


if __name__ == "__main__":
    main()
