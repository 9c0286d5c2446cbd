#!/usr/bin/env python3
"""Writes the tables that vellmor-cli --doc-tables generates into the documents that hold
them, each between its markers: python3 scripts/update-doc-tables.py build/release/src/cli/vellmor-cli
"""
import pathlib
import re
import subprocess
import sys

SECTION = re.compile(r"<!-- table: (\S+) .*?-->\n.*?<!-- end of table -->\n", re.S)

runner = sys.argv[1] if len(sys.argv) > 1 else "build/release/src/cli/vellmor-cli"
generated = {m.group(1): m.group(0)
             for m in SECTION.finditer(subprocess.run([runner, "--doc-tables"], check=True,
                                                      capture_output=True, text=True).stdout)}
docs = pathlib.Path(__file__).resolve().parent.parent / "docs"
for document in sorted(docs.glob("*.md")):
    text = document.read_text(encoding="utf-8")
    updated = SECTION.sub(lambda m: generated[m.group(1)], text)
    if updated != text:
        document.write_text(updated, encoding="utf-8")
        print(f"updated {document.name}")
