#!/usr/bin/env bash
# Checks that the release is reproducible: scripts/package.sh run twice, in
# build folders at different paths, makes the same bytes. Compares every file
# of the two dist folders, names what differs (the ZIP's entries, and in
# vornalt.exe the PE header's fields), and checks that no vornalt.exe holds
# the path of the sources or of the folder it was built in.
#
# Usage: check-reproducible.sh [DIST]
# With DIST, a dist folder that package.sh made from this same commit, builds
# once more and compares with it (CI's release job and scripts/test.sh, which
# have just made one); without, builds twice.
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
given=${1:+$(realpath "$1")}
if [ -n "$given" ] && [ ! -f "$given/SHA256SUMS" ]; then
  echo "no release in $1: run scripts/package.sh" >&2
  exit 2
fi
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

builds=()
if [ -n "$given" ]; then
  first=$given
else
  first=$work/one/dist
  "$root/scripts/package.sh" --build-dir "$work/one/build" --dist-dir "$first" >/dev/null
  builds+=("$work/one/build")
fi
# A longer path than the first, so that a path written into the program
# also moves what comes after it.
second=$work/second-build-folder/dist
"$root/scripts/package.sh" --build-dir "$work/second-build-folder/build" --dist-dir "$second" \
  >/dev/null
builds+=("$work/second-build-folder/build")

python3 - "$first" "$second" "$root" "${builds[@]}" <<'EOF'
import io, pathlib, struct, sys, zipfile

first, second = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
paths = sys.argv[3:]  # the sources and the build folders
problems = []


def pe_field(data, offset):
    """The PE header field at offset, for the fields a build's time reaches."""
    if data[:2] != b"MZ" or len(data) < 0x40:
        return ""
    header = struct.unpack_from("<I", data, 0x3C)[0]
    fields = {header + 8: "the PE header's time stamp", header + 24 + 64: "the PE checksum"}
    for start, name in fields.items():
        if start <= offset < start + 4:
            return name
    return ""


def compare_bytes(name, a, b):
    if len(a) != len(b):
        problems.append(f"{name}: {len(a)} bytes against {len(b)}")
        return
    offsets = [i for i in range(len(a)) if a[i] != b[i]]
    fields = sorted({pe_field(a, i) for i in offsets} - {""})
    elsewhere = [f"{i:#x}" for i in offsets if not pe_field(a, i)]
    where = fields + ([f"at {', '.join(elsewhere[:8])}" + (" ..." if elsewhere[8:] else "")]
                      if elsewhere else [])
    problems.append(f"{name}: {len(offsets)} bytes differ: {'; '.join(where)}")


def compare_zips(name, a, b):
    za, zb = zipfile.ZipFile(io.BytesIO(a)), zipfile.ZipFile(io.BytesIO(b))
    la, lb = za.infolist(), zb.infolist()
    if [e.filename for e in la] != [e.filename for e in lb]:
        problems.append(f"{name}: the entries differ or are in another order:\n"
                        f"  {[e.filename for e in la]}\n  {[e.filename for e in lb]}")
        return
    for ea, eb in zip(la, lb):
        for field in ("date_time", "external_attr", "create_system", "extra", "compress_type"):
            if getattr(ea, field) != getattr(eb, field):
                problems.append(f"{name}: {ea.filename}: {field} {getattr(ea, field)!r} "
                                f"against {getattr(eb, field)!r}")
        da, db = za.read(ea), zb.read(eb)
        if da != db:
            compare_bytes(f"{name}: {ea.filename}", da, db)


files = lambda d: sorted(p.relative_to(d).as_posix() for p in d.rglob("*") if p.is_file())
if files(first) != files(second):
    problems.append(f"the dist folders hold different files:\n  {files(first)}\n  {files(second)}")
for name in sorted(set(files(first)) & set(files(second))):
    a, b = (first / name).read_bytes(), (second / name).read_bytes()
    if a == b:
        continue
    if name.endswith(".zip"):
        before = len(problems)
        compare_zips(name, a, b)
        if len(problems) == before:
            problems.append(f"{name}: the same entries, but the archive's bytes differ")
    else:
        problems.append(f"{name} differs")

for dist in (first, second):
    for name in files(dist):
        if not name.endswith(".zip"):
            continue
        with zipfile.ZipFile(dist / name) as archive:
            for entry in archive.infolist():
                data = archive.read(entry)
                for path in paths:
                    if path.encode() in data or path.encode("utf-16-le") in data:
                        problems.append(f"{dist / name}: {entry.filename} holds the path {path}")

if problems:
    print("FAILED: the release is not reproducible:")
    for problem in problems:
        print("  " + problem)
    sys.exit(1)
sums = (first / "SHA256SUMS").read_text().split()[0]
print(f"ok: two builds of the release are byte for byte the same (SHA256 {sums})")
EOF
