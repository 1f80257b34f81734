#!/usr/bin/env python3
"""Writes the Debian package's changelog from CHANGELOG.md.

    debian_changelog.py CHANGELOG.md PACKAGE VERSION "Name <address>" EPOCH

Each "## <version>" section becomes an entry (sections of one version are joined, the newest
first), each "- " item a "  * " line wrapped at 78 columns. The newest entry carries EPOCH (the
commit's time); an older one the time of the commit that added its heading. The newest version
must be the package's: a package whose changelog stops at an older version would mislead.
"""
import re
import subprocess
import sys
import textwrap
import time


def sections(markdown):
    """[(version, [item, ...]), ...] in the file's order, one per version."""
    versions, current, item = {}, None, None
    for line in markdown.splitlines():
        heading = re.match(r"^## +([0-9][0-9A-Za-z.+~-]*)", line)
        if heading:
            current = versions.setdefault(heading.group(1), [])
            item = None
        elif line.startswith("#"):
            current = item = None
        elif current is not None and line.startswith("- "):
            current.append(line[2:].strip())
            item = len(current) - 1
        elif current is not None and item is not None and line.startswith(" ") and line.strip():
            current[item] += " " + line.strip()
        else:
            item = None
    return list(versions.items())


def plain(text):
    return re.sub(r"\*\*|`", "", text)


def heading_time(version, fallback):
    """The time of the commit that added the version's heading, else the fallback."""
    try:
        times = subprocess.run(["git", "log", "--format=%ct", "-S## " + version, "--", "CHANGELOG.md"],
                               capture_output=True, text=True, check=True).stdout.split()
        return int(times[-1]) if times else fallback
    except (OSError, subprocess.CalledProcessError):
        return fallback


def entry(package, version, items, maintainer, epoch):
    lines = [f"{package} ({version}) unstable; urgency=medium", ""]
    for item in items:
        lines += textwrap.wrap(plain(item), width=78, initial_indent="  * ", subsequent_indent="    ",
                               break_long_words=False, break_on_hyphens=False)
    stamp = time.strftime("%a, %d %b %Y %H:%M:%S +0000", time.gmtime(epoch))
    return "\n".join(lines + ["", f" -- {maintainer}  {stamp}", ""])


def main():
    markdown_path, package, version, maintainer, epoch = sys.argv[1:6]
    with open(markdown_path, encoding="utf-8") as markdown:
        found = sections(markdown.read())
    if not found or found[0][0] != version:
        newest = found[0][0] if found else "none"
        sys.exit(f"{markdown_path}: the newest version is {newest}, the package's {version}")
    entries = []
    for index, (section_version, items) in enumerate(found):
        when = int(epoch) if index == 0 else heading_time(section_version, int(epoch))
        entries.append(entry(package, section_version, items or ["No changes listed."], maintainer, when))
    sys.stdout.write("\n".join(entries))


if __name__ == "__main__":
    main()
