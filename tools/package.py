#!/usr/bin/env python3
"""Assembles the release zip Dialvane-<version>-win64.zip from a build tree: the files the build lists
in shipped-files.txt (the program, its resource libraries and companions, the skin folder, the sample
contacts, the demo layout), the README for Windows users and the licence, all under one folder
"Dialvane". Usage: package.py BUILD_DIR OUTPUT_DIR; prints the zip's path."""
import os
import re
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def version(build):
    with open(os.path.join(build, "generated", "DialvaneVersion.h"), encoding="utf-8") as header:
        return re.search(r'DIALVANE_VERSION_TEXT "([^"]+)"', header.read()).group(1)


def main():
    build, output = sys.argv[1], sys.argv[2]
    binaries = os.path.join(build, "bin")
    with open(os.path.join(build, "shipped-files.txt"), encoding="utf-8") as listed:
        names = [line.strip() for line in listed if line.strip()]
    os.makedirs(output, exist_ok=True)
    path = os.path.join(output, "Dialvane-%s-win64.zip" % version(build))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name in names:
            source = os.path.join(binaries, name)
            if not os.path.exists(source):
                sys.exit("package.py: %s is missing; build the target 'program' first" % source)
            if os.path.isdir(source):
                for folder, _, files in os.walk(source):
                    for file in sorted(files):
                        full = os.path.join(folder, file)
                        archive.write(full, os.path.join("Dialvane", os.path.relpath(full, binaries)))
            else:
                archive.write(source, os.path.join("Dialvane", name))
        archive.write(os.path.join(ROOT, "resources", "README-Windows.txt"), "Dialvane/README.txt")
        archive.write(os.path.join(ROOT, "LICENSE"), "Dialvane/LICENSE.txt")
    print(path)


if __name__ == "__main__":
    main()
