#!/usr/bin/env python3
"""Checks that every relative link in the given Markdown files (default:
README.md, CONTRIBUTING.md and docs/*.md) names a file of the repository and,
with a #fragment, a heading of that file, as GitHub makes its anchors. Links
to other sites are listed, not fetched. Exits 1 when a link is broken.
"""
import argparse
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
LINK = re.compile(r"\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"(#{1,6})\s+(.*?)\s*#*\s*$")


def lines_outside_code(text):
    fenced = False
    for line in text.splitlines():
        if line.lstrip().startswith("```"):
            fenced = not fenced
            continue
        if not fenced:
            yield re.sub(r"`[^`]*`", lambda m: m.group(0) if "](" not in m.group(0) else "", line)


def anchors(path):
    """GitHub's anchors: the heading's text without its markup, lower case,
    only word characters, hyphens and blanks, blanks as hyphens; a repeated
    one gets -1, -2 …"""
    seen, result = {}, set()
    for line in lines_outside_code(path.read_text(encoding="utf-8")):
        heading = HEADING.fullmatch(line)
        if not heading:
            continue
        text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading.group(2)).replace("`", "")
        slug = re.sub(r"[^\w\- ]", "", text.lower()).replace(" ", "-")
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        result.add(slug if count == 0 else f"{slug}-{count}")
    return result


def main():
    global root
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", type=pathlib.Path, metavar="FOLDER",
                        help="the folder that the links must stay in (default: the "
                             "repository's); the release's test gives the unpacked archive")
    parser.add_argument("files", nargs="*", type=pathlib.Path, metavar="FILE.md",
                        help="the pages to check (default: README.md, CONTRIBUTING.md, docs/*.md)")
    arguments = parser.parse_args()
    if arguments.root:
        root = arguments.root.resolve()
    files = [a.resolve() for a in arguments.files] or [
        root / "README.md", root / "CONTRIBUTING.md", *sorted((root / "docs").glob("*.md"))]
    broken, external, checked = [], set(), 0
    for source in files:
        for number, line in enumerate(lines_outside_code(source.read_text(encoding="utf-8")), 1):
            for target in LINK.findall(line):
                if re.match(r"[a-z]+:", target):
                    external.add(target)
                    continue
                checked += 1
                name, _, fragment = target.partition("#")
                path = (source.parent / name).resolve() if name else source
                where = f"{source.relative_to(root)}: {target}"
                if not path.exists() or root not in (path, *path.parents):
                    broken.append(f"{where}: no such file")
                elif fragment and (path.suffix != ".md" or fragment not in anchors(path)):
                    broken.append(f"{where}: no heading #{fragment} in {path.relative_to(root)}")
    for link in sorted(external):
        print(f"not fetched: {link}")
    for problem in broken:
        print(f"BROKEN: {problem}")
    print(f"{checked} links checked in {len(files)} files, {len(broken)} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
