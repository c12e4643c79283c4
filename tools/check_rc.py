#!/usr/bin/env python3
"""Checks the version information and program icon in a compiled resource file.

    check_rc.py nurvelo.res

The .res file is what `windres -O res` (or rc.exe) makes of src/window/nurvelo.rc.
Exits 1 if anything is off, 2 if the file cannot be read as a resource file.
"""

import struct
import sys

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16

VOS__WINDOWS32 = 0x4
VOS_NT_WINDOWS32 = 0x40004
VFT_APP = 0x1

EXPECTED_STRINGS = {
    "ProductName": "Nurvelo",
    "InternalName": "Nurvelo",
    "OriginalFilename": "Nurvelo.exe",
    "FileVersion": "1.00",
    "ProductVersion": "1.00",
}
EXPECTED_ICONS = [(32, 32, 1), (32, 32, 4), (16, 16, 4)]


class BadFile(Exception):
    pass


def align4(offset):
    return (offset + 3) & ~3


def unpack(fmt, data, offset):
    try:
        return struct.unpack_from(fmt, data, offset)
    except struct.error:
        raise BadFile(f"truncated at offset {offset:#x}") from None


def read_sz(data, offset, end):
    """A NUL-terminated UTF-16 string and the offset after its terminator."""
    stop = offset
    while stop + 1 < end and data[stop:stop + 2] != b"\0\0":
        stop += 2
    if stop + 1 >= end:
        raise BadFile(f"unterminated string at offset {offset:#x}")
    return data[offset:stop].decode("utf-16-le"), stop + 2


def read_name(data, offset):
    """A resource type or name: a number (0xFFFF marker) or a string."""
    (first,) = unpack("<H", data, offset)
    if first == 0xFFFF:
        return unpack("<H", data, offset + 2)[0], offset + 4
    return read_sz(data, offset, len(data))


def read_resources(data):
    resources = []
    offset = 0
    while offset < len(data):
        size, header_size = unpack("<II", data, offset)
        kind, pos = read_name(data, offset + 8)
        name, pos = read_name(data, pos)
        (language,) = unpack("<H", data, align4(pos) + 6)
        start = offset + header_size
        if start + size > len(data):
            raise BadFile(f"resource at offset {offset:#x} runs past the end of the file")
        # The file starts with an empty entry that only marks it as 32-bit.
        if not (size == 0 and kind == 0 and name == 0):
            resources.append({"type": kind, "name": name, "language": language,
                              "data": data[start:start + size]})
        offset = align4(start + size)
    return resources


def read_block(data, offset):
    """One version information block: (key, value, children).

    Text values are cut at their first NUL: compilers disagree on whether
    wValueLength counts bytes or characters. Blocks that only hold other
    blocks may be marked as text too (windres does), with no value.
    """
    length, value_length, value_type = unpack("<HHH", data, offset)
    end = offset + length
    if length < 6 or end > len(data):
        raise BadFile(f"bad version block length at offset {offset:#x}")
    key, pos = read_sz(data, offset + 6, end)
    pos = align4(pos)
    children = []
    if value_type == 1 and value_length:
        # A String: text, and nothing after it.
        value = data[pos:end].decode("utf-16-le", errors="replace").split("\0")[0]
    else:
        value = data[pos:pos + value_length]
        pos = align4(pos + value_length)
        while pos < end:
            child = read_block(data, pos)
            children.append(child[:3])
            pos = align4(child[3])
    return key, value, children, end


def shell_order(resource):
    # Named resources sort before numbered ones, names case-insensitively.
    name = resource["name"]
    return (0, name.upper(), 0) if isinstance(name, str) else (1, "", name)


def version_text(most, least):
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, what):
        print(f"  {'ok  ' if ok else 'FAIL'}  {what}")
        if not ok:
            self.failures += 1


def check_version(resources, report):
    versions = [r for r in resources if r["type"] == RT_VERSION]
    print("version information:")
    report.check(len(versions) == 1, f"one version resource (found {len(versions)})")
    if not versions:
        return
    resource = versions[0]
    report.check(resource["name"] == 1,
                 f"version resource id {resource['name']!r} (GetFileVersionInfo reads 1)")
    key, fixed, children, _ = read_block(resource["data"], 0)
    report.check(key == "VS_VERSION_INFO", f"root block is VS_VERSION_INFO (is {key!r})")
    if len(fixed) < 52 or unpack("<I", fixed, 0)[0] != 0xFEEF04BD:
        report.check(False, "fixed file information present")
        return
    fields = unpack("<13I", fixed, 0)
    file_version = version_text(fields[2], fields[3])
    product_version = version_text(fields[4], fields[5])
    file_os, file_type = fields[8], fields[9]
    report.check(file_version == "1.0.0.0", f"FILEVERSION {file_version}")
    report.check(product_version == "1.0.0.0", f"PRODUCTVERSION {product_version}")
    report.check(file_os in (VOS__WINDOWS32, VOS_NT_WINDOWS32),
                 f"FILEOS {file_os:#x} (want VOS__WINDOWS32 or VOS_NT_WINDOWS32)")
    report.check(file_type == VFT_APP, f"FILETYPE {file_type:#x} (want VFT_APP, 0x1)")

    blocks = {child[0]: child for child in children}
    tables = blocks.get("StringFileInfo", (None, None, []))[2]
    names = [table[0] for table in tables]
    report.check(names == ["040704b0"], f"string tables {names} (want ['040704b0'])")
    strings = {}
    for table in tables:
        if table[0] == "040704b0":
            strings = {child[0]: child[1] for child in table[2]}
    for name, want in EXPECTED_STRINGS.items():
        got = strings.get(name)
        report.check(got == want, f"{name} = {got!r}")
    company = strings.get("CompanyName")
    report.check(bool(company), f"CompanyName = {company!r}")

    translations = []
    for var in blocks.get("VarFileInfo", (None, None, []))[2]:
        if var[0] == "Translation":
            raw = var[1]
            translations += [unpack("<HH", raw, i) for i in range(0, len(raw) - 3, 4)]
    shown = ", ".join(f"{lang:#06x}/{codepage}" for lang, codepage in translations)
    report.check(translations == [(0x0407, 1200)], f"Translation {shown or 'missing'}")


def check_icon(resources, report):
    print("program icon:")
    groups = sorted((r for r in resources if r["type"] == RT_GROUP_ICON), key=shell_order)
    report.check(bool(groups), f"icon groups: {[g['name'] for g in groups]}")
    if not groups:
        return
    group = groups[0]
    print(f"  the shell shows group {group['name']!r}")
    data = group["data"]
    _, kind, count = unpack("<HHH", data, 0)
    report.check(kind == 1, f"group type {kind} (1 = icon)")
    icons = {r["name"]: r["data"] for r in resources if r["type"] == RT_ICON}
    found = []
    for i in range(count):
        width, height, _, _, _, bits, size, icon_id = unpack("<BBBBHHIH", data, 6 + 14 * i)
        width, height = width or 256, height or 256
        found.append((width, height, bits))
        image = icons.get(icon_id)
        if image is None:
            report.check(False, f"image {icon_id} ({width}x{height}, {bits} bpp) present")
            continue
        # The group entry is what the shell picks by; the bitmap is what it draws.
        header = unpack("<IiiHH", image, 0) if len(image) >= 16 else (0, 0, 0, 0, 0)
        stored = (header[1], header[2] // 2, header[4])
        report.check(len(image) == size and stored == (width, height, bits),
                     f"image {icon_id}: {width}x{height}, {bits} bpp, {size} bytes; "
                     f"bitmap {stored[0]}x{stored[1]}, {stored[2]} bpp, {len(image)} bytes")
    want = ", ".join(f"{w}x{h} {b} bpp" for w, h, b in EXPECTED_ICONS)
    report.check(sorted(found) == sorted(EXPECTED_ICONS), f"group holds {want}")


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path = sys.argv[1]
    try:
        with open(path, "rb") as file:
            data = file.read()
        resources = read_resources(data)
        print(f"{path}: {len(resources)} resources")
        report = Report()
        check_version(resources, report)
        check_icon(resources, report)
    except (OSError, BadFile, UnicodeDecodeError) as error:
        print(f"{path}: {error}", file=sys.stderr)
        return 2
    if report.failures:
        print(f"{path}: {report.failures} check(s) failed", file=sys.stderr)
        return 1
    print(f"{path}: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
