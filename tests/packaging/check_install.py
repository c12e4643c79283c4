#!/usr/bin/env python3
"""Checks that what `cmake --install` put under a prefix fits together on a Linux desktop.

    check_install.py PREFIX APP_ID

The validators check each file on its own; this checks that the desktop file starts an
installed program and names installed icons, that the icons have the sizes their folders
promise, and that the AppStream record launches the installed desktop file.
"""

import configparser
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

SIZES = (16, 32, 48, 64)


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, what):
        print(f"{'ok  ' if ok else 'FAIL'}  {what}")
        if not ok:
            self.failures += 1


def png_size(path):
    with open(path, "rb") as file:
        head = file.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    prefix, app_id = sys.argv[1:]
    share = os.path.join(prefix, "share")
    report = Report()

    desktop_path = os.path.join(share, "applications", f"{app_id}.desktop")
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    report.check(bool(entry.read(desktop_path, encoding="utf-8")), desktop_path)
    entry = entry["Desktop Entry"] if entry.has_section("Desktop Entry") else {}
    program = os.path.join(prefix, "bin", entry.get("Exec", "").split(" ")[0])
    report.check(os.path.isfile(program) and os.access(program, os.X_OK),
                 f"Exec={entry.get('Exec')} is an installed program")
    icon = entry.get("Icon")
    report.check(icon == app_id, f"Icon={icon} (want {app_id})")

    hicolor = os.path.join(share, "icons", "hicolor")
    for size in SIZES:
        path = os.path.join(hicolor, f"{size}x{size}", "apps", f"{icon}.png")
        found = png_size(path) if os.path.isfile(path) else None
        report.check(found == (size, size), f"{path}: {found or 'missing'}")
    svg = os.path.join(hicolor, "scalable", "apps", f"{icon}.svg")
    try:
        root = ElementTree.parse(svg).getroot()
        ok = root.tag == "{http://www.w3.org/2000/svg}svg" and "viewBox" in root.attrib
    except (OSError, ElementTree.ParseError):
        ok = False
    report.check(ok, f"{svg}: an SVG picture with a viewBox")

    metainfo = os.path.join(share, "metainfo", f"{app_id}.metainfo.xml")
    try:
        component = ElementTree.parse(metainfo).getroot()
    except (OSError, ElementTree.ParseError) as error:
        report.check(False, f"{metainfo}: {error}")
    else:
        report.check(component.findtext("id") == app_id, f"AppStream id {component.findtext('id')}")
        launchable = component.findtext("launchable")
        report.check(launchable == os.path.basename(desktop_path),
                     f"AppStream launches {launchable}")
        binary = component.findtext("provides/binary")
        report.check(os.path.isfile(os.path.join(prefix, "bin", str(binary))),
                     f"AppStream provides the installed program {binary}")

    if report.failures:
        print(f"{report.failures} check(s) failed", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
