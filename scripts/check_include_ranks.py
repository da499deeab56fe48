#!/usr/bin/env python3
"""Checks that every file under core/ includes only folders of a lower rank.

The folders of core/ stand in ranks, lowest first:

    include, records, text  <  decoders  <  decode  <  analysis, path  <  sampling
    <  report, export  <  api

A file may include its own folder, core/include ("orvexdecode.h") and any folder of a lower
rank; never a folder of its own rank or of a higher one. An include of a folder the ranks do
not name is an error too, so that a new folder is given its rank here.

    check_include_ranks.py [CORE_DIR]     prints each include that points up, exit status 1
    check_include_ranks.py --self-test    checks the checker on a small tree of its own
"""
import os
import re
import sys
import tempfile

RANKS = [
    {"include", "records", "text"},
    {"decoders"},
    {"decode"},
    {"analysis", "path"},
    {"sampling"},
    {"report", "export"},
    {"api"},
]
RANK = {folder: rank for rank, folders in enumerate(RANKS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".cpp", ".c", ".in")


def problems_in(core):
    """Each include that points up or sideways, as text."""
    public = set(os.listdir(os.path.join(core, "include"))) if os.path.isdir(os.path.join(core, "include")) else set()
    found = []
    for folder in sorted(os.listdir(core)):
        top = os.path.join(core, folder)
        if not os.path.isdir(top):
            continue
        if folder not in RANK:
            found.append(f"core/{folder}: a folder without a rank (give it one in {os.path.basename(__file__)})")
            continue
        for root, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                where = os.path.relpath(path, os.path.dirname(core))
                for target in INCLUDE.findall(text):
                    if "/" not in target:
                        if target in public or target.replace(".h", ".h.in") in public:
                            continue  # core/include, which every folder may include
                        if os.path.exists(os.path.join(root, target)):
                            found.append(f'{where}: "{target}": name the folder of a header of core/')
                        continue  # a header of another project or of the build
                    to = target.split("/")[0]
                    if to == folder or to == "include":
                        continue
                    if to not in RANK:
                        if os.path.isdir(os.path.join(core, to)):
                            found.append(f'{where}: "{target}": core/{to} has no rank')
                        continue
                    if RANK[to] >= RANK[folder]:
                        relation = "the same rank as" if RANK[to] == RANK[folder] else "a higher rank than"
                        found.append(f'{where}: "{target}": {to}/ is of {relation} {folder}/')
    return found


def self_test():
    files = {
        "include/orvexdecode.h": "",
        "records/reader.h": '#include "orvexdecode.h"\n#include <cstdio>\n',
        "decoders/eis.h": '#include "records/reader.h"\n#include "decoders/layout.h"\n',
        "decode/cache.h": '#include "decoders/eis.h"\n#include "analysis/flights.h"\n',
        "analysis/flights.h": '#include "decode/cache.h"\n#include "path/points.h"\n',
        "path/points.h": '#include "decode/cache.h"\n',
        "export/csv.cpp": '#include "sampling/rows.h"\n#include "report/xml.h"\n',
        "sampling/rows.h": '#include "analysis/flights.h"\n',
        "report/xml.h": "",
        "api/entry.cpp": '#include "export/csv.h"\n',
    }
    expected = [
        'core/analysis/flights.h: "path/points.h": path/ is of the same rank as analysis/',
        'core/decode/cache.h: "analysis/flights.h": analysis/ is of a higher rank than decode/',
        'core/export/csv.cpp: "report/xml.h": report/ is of the same rank as export/',
    ]
    with tempfile.TemporaryDirectory() as tmp:
        core = os.path.join(tmp, "core")
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(core, name)), exist_ok=True)
            with open(os.path.join(core, name), "w", encoding="utf-8") as f:
                f.write(text)
        found = problems_in(core)
        os.makedirs(os.path.join(core, "extras"))
        unranked = problems_in(core)
    if found != expected or len(unranked) != len(expected) + 1:
        print("self-test failed:", *found, *unranked, sep="\n  ")
        return 1
    print("self-test passed")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    core = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "core")
    found = problems_in(os.path.normpath(core))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) point up or sideways in the ranks of core/")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
