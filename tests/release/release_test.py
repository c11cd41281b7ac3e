#!/usr/bin/env python3
"""Checks a release that scripts/package.sh made: that SHA256SUMS, the Scoop
manifest and the winget manifests name the version, the file, the address and
the SHA256 of the ZIP beside them, that the program they name is in the ZIP,
that the ZIP's entries are sorted and carry the modes release.py gives them,
and that each manifest holds the fields its format requires. With --bucket,
also that the Scoop bucket's manifest differs from the new one only in the
release it names (its version, address and hash: it names the latest
published release, see scripts/package.sh), and that it has no hash only
while it names the release to come, before the first is published.
Exits 1 when a check fails.
"""

import argparse
import hashlib
import json
import pathlib
import re
import sys
import zipfile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


# The YAML the release writes, and no more: "Key: scalar", and "Key:" followed
# by a list of mappings ("- Key: scalar" then "  Key: scalar"); scalars plain
# or in single quotes. Anything else is an error rather than a guess.
PLAIN_SCALAR = re.compile(r"[^-?:,\[\]{}#&*!|>'\"%@`\s](?:(?!: | #).)*(?<!\s)")
NOT_A_STRING = re.compile(
    r"[-+]?([0-9][0-9_]*(\.[0-9_]*)?|\.[0-9_]+)(e[-+]?[0-9]+)?|[-+]?[0-9_]+(:[0-9]+)+"
    r"|0x[0-9a-f_]+|0o?[0-7_]+|0b[01_]+|[-+]?\.(inf|nan)|[0-9]{4}-[0-9]+-[0-9]+.*"
    r"|true|false|yes|no|on|off|null|y|n|~",
    re.IGNORECASE,
)


def read_scalar(text, where):
    if text.startswith("'"):
        if not re.fullmatch(r"'(?:[^']|'')*'", text):
            raise ValueError(f"{where}: a badly quoted scalar: {text}")
        return text[1:-1].replace("''", "'")
    if not PLAIN_SCALAR.fullmatch(text) or NOT_A_STRING.fullmatch(text):
        raise ValueError(f"{where}: not a plain string: {text!r}")
    return text


def read_yaml(text, name):
    document, items = {}, None
    for number, line in enumerate(text.split("\n"), 1):
        where = f"{name}:{number}"
        if line == "" or line.startswith("#"):
            continue
        top = re.fullmatch(r"([A-Za-z0-9]+):(?: (.+))?", line)
        first = re.fullmatch(r"- ([A-Za-z0-9]+): (.+)", line)
        more = re.fullmatch(r"  ([A-Za-z0-9]+): (.+)", line)
        if top:
            key, value = top.groups()
            if key in document:
                raise ValueError(f"{where}: {key} again")
            items = document[key] = [] if value is None else None
            if value is not None:
                document[key] = read_scalar(value, where)
        elif first and items is not None:
            items.append({first[1]: read_scalar(first[2], where)})
        elif more and items:
            if more[1] in items[-1]:
                raise ValueError(f"{where}: {more[1]} again")
            items[-1][more[1]] = read_scalar(more[2], where)
        else:
            raise ValueError(f"{where}: not in the YAML the release writes: {line!r}")
    for key, value in document.items():
        if value == []:
            raise ValueError(f"{name}: {key} is an empty list")
    return document


# The fields of each winget manifest: (required, also allowed).
WINGET_FIELDS = {
    "version": ({"DefaultLocale"}, set()),
    "defaultLocale": (
        {"PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"},
        {"PackageUrl", "LicenseUrl", "Moniker", "Tags", "Author", "Description", "PublisherUrl"},
    ),
    "installer": (
        {"InstallerType", "NestedInstallerType", "NestedInstallerFiles", "Installers"},
        {"ReleaseDate", "InstallerLocale"},
    ),
}
WINGET_COMMON = {"PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"}
IDENTIFIER_PART = r"[^\s\\/:*?\"<>|.]{1,32}"
SCOOP_REQUIRED = {"version", "description", "homepage", "license", "bin", "checkver", "autoupdate"}


def scoop_archive(manifest):
    """The url and hash of a Scoop manifest, at the top or for 64-bit Windows."""
    return manifest.get("architecture", {}).get("64bit", manifest)


def scoop_hash_from_sums(manifest, sums_text, zip_name):
    """What Scoop's autoupdate reads from SHA256SUMS with the manifest's regex."""
    regex = manifest["autoupdate"]["hash"]["regex"]
    regex = regex.replace("$sha256", "([a-fA-F0-9]{64})")
    regex = regex.replace("$basename", re.escape(zip_name))
    found = re.search(regex, sums_text, re.MULTILINE)
    return found[1].lower() if found else None


def check_release(dist):
    zips = sorted(dist.glob("*-win64.zip"))
    if not check(len(zips) == 1, f"{dist}: not one *-win64.zip but {[z.name for z in zips]}"):
        return None
    archive = zips[0]
    name, version = re.fullmatch(r"(.+)-([0-9][^-]*)-win64\.zip", archive.name).groups()
    sha256 = hashlib.sha256(archive.read_bytes()).hexdigest()
    infos = zipfile.ZipFile(archive).infolist()
    entries = [info.filename for info in infos]
    # What makes two builds give the same bytes, and the program runnable
    # where the ZIP is unpacked with its modes: sorted entries; Unix modes
    # (create_system 3), 0755 for the program and 0644 for the rest.
    check(entries == sorted(entries), f"{archive.name}: the entries are not sorted: {entries}")
    program = f"bin/{name}.exe"
    for info in infos:
        mode = 0o100755 if info.filename == program else 0o100644
        check((info.create_system, info.external_attr >> 16) == (3, mode),
              f"{archive.name}: {info.filename}: system {info.create_system}, mode "
              f"{oct(info.external_attr >> 16)}, not 3 and {oct(mode)}")
    check(program in entries, f"{archive.name}: no {program}")
    sums = (dist / "SHA256SUMS").read_text(encoding="utf-8")
    check(sums == f"{sha256}  {archive.name}\n", f"SHA256SUMS does not give {sha256}: {sums!r}")
    license_text = zipfile.ZipFile(archive).read(f"share/doc/{name}/LICENSE").decode()
    return {"name": name, "version": version, "zip": archive.name, "sha256": sha256,
            "entries": entries, "sums": sums, "license": license_text}


def check_scoop(manifest, release, where):
    missing = SCOOP_REQUIRED - manifest.keys()
    if not check(not missing, f"{where}: no {sorted(missing)}"):
        return
    archive, autoupdate = scoop_archive(manifest), manifest["autoupdate"]
    homepage, version = manifest["homepage"], release["version"]
    # GitHub's address of a file attached to the release of the tag v<version>.
    folder = f"{homepage}/releases/download/v{version}"
    table = [
        ("version", manifest["version"], version),
        ("url", archive.get("url"), f"{folder}/{release['zip']}"),
        ("hash", archive.get("hash"), release["sha256"]),
        ("the homepage, a GitHub repository (checkver follows its releases)",
         bool(re.fullmatch(r"https://github\.com/[\w.-]+/[\w.-]+", homepage)), True),
        ("checkver", manifest["checkver"], "github"),
        ("license, that of LICENSE",
         release["license"].startswith(f"{manifest['license']} License\n"), True),
        ("bin, a file in the ZIP", manifest["bin"].replace("\\", "/") in release["entries"], True),
        ("autoupdate's url for this version",
         scoop_archive(autoupdate)["url"].replace("$version", version), archive.get("url")),
        ("autoupdate's checksum file", autoupdate["hash"]["url"].replace("$version", version),
         f"{folder}/SHA256SUMS"),
        ("the hash autoupdate reads from SHA256SUMS",
         scoop_hash_from_sums(manifest, release["sums"], release["zip"]), release["sha256"]),
    ]
    for what, actual, expected in table:
        check(actual == expected, f"{where}: {what}: {actual!r}, not {expected!r}")


def check_winget(dist, release, scoop):
    folders = sorted(p.parent for p in (dist / "winget").rglob("*.yaml"))
    if not check(len(set(folders)) == 1, f"winget: not one folder of manifests: {set(folders)}"):
        return
    folder = folders[0]
    documents = {}
    for path in sorted(folder.iterdir()):
        try:
            documents[path.name] = read_yaml(path.read_text(encoding="utf-8"), path.name)
        except ValueError as error:
            check(False, f"winget: {error}")
    if len(documents) != len(list(folder.iterdir())):
        return
    by_type = {d.get("ManifestType"): (n, d) for n, d in documents.items()}
    if not check(sorted(by_type) == sorted(WINGET_FIELDS) and len(documents) == 3,
                 f"winget: not one manifest of each type: {sorted(documents)}"):
        return
    identifier = by_type["version"][1].get("PackageIdentifier", "")
    check(re.fullmatch(f"{IDENTIFIER_PART}\\.{IDENTIFIER_PART}", identifier),
          f"winget: PackageIdentifier {identifier!r}")
    locale = by_type["version"][1].get("DefaultLocale")
    expected_path = ["manifests", identifier[:1].lower(), *identifier.split("."),
                     release["version"]]
    check(folder.relative_to(dist / "winget").parts == tuple(expected_path),
          f"winget: the folder {folder} is not {'/'.join(expected_path)}")
    file_names = {"version": f"{identifier}.yaml",
                  "defaultLocale": f"{identifier}.locale.{locale}.yaml",
                  "installer": f"{identifier}.installer.yaml"}
    for kind, (required, allowed) in WINGET_FIELDS.items():
        name, document = by_type[kind]
        check(name == file_names[kind], f"winget: the {kind} manifest is {name}")
        keys, required = document.keys(), required | WINGET_COMMON
        check(required <= keys, f"{name}: no {sorted(required - keys)}")
        check(keys <= required | allowed, f"{name}: unknown {sorted(keys - required - allowed)}")
        for key, expected in [("PackageIdentifier", identifier),
                              ("PackageVersion", release["version"]),
                              ("ManifestVersion", "1.6.0")]:
            check(document.get(key) == expected,
                  f"{name}: {key} {document.get(key)!r}, not {expected!r}")

    installer = by_type["installer"][1]
    table = [("InstallerType", installer.get("InstallerType"), "zip"),
             ("NestedInstallerType", installer.get("NestedInstallerType"), "portable")]
    for nested in installer.get("NestedInstallerFiles", []):
        path = nested.get("RelativeFilePath", "")
        table += [("RelativeFilePath, in the ZIP, with backslashes",
                   "/" not in path and path.replace("\\", "/") in release["entries"], True),
                  ("PortableCommandAlias", bool(re.fullmatch(r"[\w.-]+", nested.get(
                      "PortableCommandAlias", ""))), True)]
    installers = installer.get("Installers", [])
    table.append(("the number of Installers", len(installers), 1))
    for entry in installers:
        table += [("Architecture", entry.get("Architecture"), "x64"),
                  ("InstallerUrl, Scoop's url", entry.get("InstallerUrl"),
                   scoop_archive(scoop).get("url")),
                  ("InstallerSha256", entry.get("InstallerSha256"), release["sha256"].upper())]
    text = by_type["defaultLocale"][1]
    table += [("PackageLocale", text.get("PackageLocale"), locale),
              ("License, Scoop's", text.get("License"), scoop.get("license")),
              ("ShortDescription, Scoop's", text.get("ShortDescription"), scoop.get("description"))]
    for what, actual, expected in table:
        check(actual == expected, f"winget: {what}: {actual!r}, not {expected!r}")


def check_bucket(bucket, scoop):
    """The bucket's manifest is the generated one for a release, maybe an older one."""
    published = json.loads(bucket.read_text(encoding="utf-8"))
    archive = scoop_archive(published)
    # Everything but the release it names: version, url and hash.
    fields = (published.keys() | scoop.keys()) - {"version", "architecture"}
    stale = sorted(key for key in fields if published.get(key) != scoop.get(key))
    check(not stale, f"{bucket}: differs from the new manifest in {stale}")
    version = published.get("version", "")
    check(re.fullmatch(r"[0-9][0-9A-Za-z.+-]*", version), f"{bucket}: version {version!r}")
    if "hash" in archive:
        check(re.fullmatch(r"[0-9a-f]{64}", archive["hash"]), f"{bucket}: hash {archive['hash']!r}")
    else:
        # Before the first release the bucket names the release to come,
        # without a hash: no ZIP of it is published yet.
        check(version == scoop["version"],
              f"{bucket}: no hash, for {version}: only the release to come, "
              f"{scoop['version']}, may have none")
    url = scoop_archive(scoop["autoupdate"])["url"].replace("$version", version)
    check(archive.get("url") == url, f"{bucket}: url {archive.get('url')!r}, not {url!r}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("dist", type=pathlib.Path, metavar="DIST",
                        help="the folder that scripts/package.sh wrote (dist/)")
    parser.add_argument("--bucket", type=pathlib.Path, metavar="MANIFEST",
                        help="the Scoop bucket's manifest to check against the new one "
                             "(bucket/vornalt.json)")
    args = parser.parse_args()
    release = check_release(args.dist)
    if release:
        scoop_path = args.dist / f"{release['name']}.json"
        scoop = json.loads(scoop_path.read_text(encoding="utf-8"))
        check_scoop(scoop, release, scoop_path.name)
        check_winget(args.dist, release, scoop)
        if args.bucket:
            check_bucket(args.bucket, scoop)
    for failure in failures:
        print(f"FAILED: {failure}")
    if failures:
        sys.exit(1)
    print(f"ok: {release['zip']}, SHA256SUMS and the Scoop and winget manifests agree"
          f"{' (and ' + str(args.bucket) + ')' if args.bucket else ''}")


if __name__ == "__main__":
    main()
