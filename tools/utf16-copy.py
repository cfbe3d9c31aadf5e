#!/usr/bin/env python3
"""Copies a UTF-8 text file as UTF-16 with a byte order mark (what the registry tool reads).
Usage: utf16-copy.py SOURCE TARGET"""
import sys

with open(sys.argv[1], encoding="utf-8") as source, open(sys.argv[2], "wb") as target:
    target.write(source.read().encode("utf-16"))
