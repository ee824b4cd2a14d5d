#!/usr/bin/env python3
"""kestrin-pack resources / set-icon end to end on Wine's own PE32 programs: after set-icon
every other resource is byte-identical, and wrestool extracts exactly the new images.

usage: test_resources_cli.py KESTRIN_PACK FIXTURE_DIR [WINE_PROGRAM_DIR]
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

pack, fixtures = sys.argv[1], sys.argv[2]
programs = sys.argv[3] if len(sys.argv) > 3 else ""
failures = []
SKIPPED = 77  # the exit status ctest reports as a skip


def check(ok, message):
    if not ok:
        failures.append(message)
        print("FAIL:", message, file=sys.stderr)


def resources(exe):
    out = subprocess.run([pack, "resources", exe, "--json"], check=True, capture_output=True).stdout
    doc = json.loads(out)
    check(doc["damaged_entries"] == 0, f"{exe}: damaged entries")
    return doc["resources"]


def ico_images(data):
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        images.append((data[6 + 16 * i: 6 + 16 * i + 12], data[offset: offset + size]))
    return images


def group_ids(exe, name):
    raw = subprocess.run(["wrestool", "-x", "--raw", "--type=14", f"--name={name}", exe],
                         check=True, capture_output=True).stdout
    return {struct.unpack_from("<H", raw, 6 + 14 * i + 12)[0] for i in range(struct.unpack_from("<H", raw, 4)[0])}


def key(r):
    return (r["type"], r["name"], r["language"])


def main():
    if not programs or not os.path.isdir(programs):
        print("Wine's PE32 programs are not installed: skipped")
        return SKIPPED
    if shutil.which("wrestool") is None:
        print("wrestool (icoutils) is not installed: skipped")
        return SKIPPED
    icon = os.path.join(fixtures, "icon7.ico")
    new_images = ico_images(open(icon, "rb").read())
    tested = 0
    with tempfile.TemporaryDirectory() as work:
        for program in ("regedit.exe", "taskmgr.exe", "cmd.exe", "winefile.exe"):
            source = os.path.join(programs, program)
            if not os.path.exists(source):
                continue
            exe = os.path.join(work, program)
            shutil.copy(source, exe)
            before = resources(exe)
            groups = [r for r in before if r["type"] == 14]
            if not groups:
                continue
            group = str(groups[0]["name"])
            replaced = group_ids(exe, group)
            kept = set()
            for g in groups[1:]:
                kept |= group_ids(exe, str(g["name"]))

            original = open(exe, "rb").read()
            missing = subprocess.run([pack, "set-icon", exe, icon, "--group", "NO SUCH GROUP"], capture_output=True)
            check(missing.returncode == 1, f"{program}: missing group exit {missing.returncode}")
            check(open(exe, "rb").read() == original, f"{program}: changed by a failed set-icon")

            subprocess.run([pack, "set-icon", exe, icon, "--group", group], check=True)
            after = resources(exe)
            new_ids = group_ids(exe, group)
            check(len(new_ids) == len(new_images), f"{program}: group lists {len(new_ids)} images")

            def others(rs, icons):
                return sorted((json.dumps(r, sort_keys=True) for r in rs
                               if not (r["type"] == 14 and str(r["name"]) == group)
                               and not (r["type"] == 3 and r["name"] in icons and r["name"] not in kept)))
            check(others(before, replaced) == others(after, new_ids), f"{program}: other resources changed")

            out = os.path.join(work, "extracted.ico")
            subprocess.run(["wrestool", "-x", "--type=14", f"--name={group}", "-o", out, exe], check=True)
            check(ico_images(open(out, "rb").read()) == new_images, f"{program}: wrestool extracts other images")
            tested += 1
    check(tested > 0, "no Wine program with an icon group was found")
    print(f"{tested} programs checked, {len(failures)} failures")
    return 1 if failures else 0


sys.exit(main())
