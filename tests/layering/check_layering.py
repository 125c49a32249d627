#!/usr/bin/env python3
"""The direction of skin/: core -> controls -> services (each may use the ones before it).

Checked here, on the sources as they are in the tree:
  - no header of skin/core/ includes a header of skin/controls/ or skin/services/ (the family
    table, skin/controls/families.def, which names the families and includes nothing when
    expanded as rows, is the one file of controls/ the core reads);
  - a family's files (controls/<stem>.h, <stem>.cpp, <stem>_*.cpp, one stem per header the
    table includes) include no services/ header and no other family's header;
  - every file of controls/ belongs to a family of the table or to the shared framework;
  - no file of skin/ but the table names every family (its record type, its install routine
    or its header).

  check_layering.py [--root DIR]          check; exit 1 and list each breach
  check_layering.py --count [--root DIR]  print the includes that run against the order
  check_layering.py --self-test           break a copy of the tree each way and expect a breach

Python standard library only; run on the build host.
"""
import argparse
import os
import re
import shutil
import sys
import tempfile

ORDER = {"core": 0, "controls": 1, "services": 2}
TABLE = "skin/controls/families.def"
# Files of controls/ shared by every family: the framework, the table and what is made from it.
SHARED = {"framework.h", "framework.cpp", "families.def", "families.cpp", "child_messages.cpp",
          "scroll_bars.h", "scroll_bars.cpp"}
# The framework headers a family's files may include besides their own.
FRAMEWORK_HEADERS = {"skin/controls/framework.h", "skin/controls/scroll_bars.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"(skin/[^"]+)"', re.M)
ROW = re.compile(r"^VARNEL_FAMILY\(([^)]*)\)", re.M)


def skin_files(root):
    for folder, _, names in os.walk(os.path.join(root, "skin")):
        for name in sorted(names):
            if name.endswith((".h", ".cpp", ".def")):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def read(root, path):
    with open(os.path.join(root, path), encoding="utf-8") as f:
        return f.read()


def subsystem(path):
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else ""


def includes(root, path):
    return INCLUDE.findall(read(root, path))


def read_table(root):
    """The table's families (name, record, install) and the headers it includes."""
    text = read(root, TABLE)
    headers = includes(root, TABLE)
    rows = []
    for match in ROW.finditer(text):
        cells = [c.strip() for c in match.group(1).split(",")]
        rows.append({"name": cells[0], "record": cells[1], "install": cells[2]})
    stems = [os.path.splitext(os.path.basename(h))[0] for h in headers]
    return rows, headers, stems


def family_of(path, stems):
    """The stem of the family a controls/ file belongs to, or None."""
    name = os.path.basename(path)
    base = os.path.splitext(name)[0]
    for stem in sorted(stems, key=len, reverse=True):
        if base == stem or (name.endswith(".cpp") and base.startswith(stem + "_")):
            return stem
    return None


def upward_includes(root):
    """Every include that runs against core -> controls -> services, as (file, included)."""
    found = []
    for path in skin_files(root):
        mine = ORDER.get(subsystem(path))
        if mine is None:
            continue
        for target in includes(root, path):
            theirs = ORDER.get(subsystem(target))
            if theirs is not None and theirs > mine:
                found.append((path, target))
    return found


def breaches(root):
    problems = []
    rows, headers, stems = read_table(root)
    if not rows:
        return ["%s: no family rows" % TABLE]
    for h in headers:
        if subsystem(h) != "controls" or family_of(h, stems) is None:
            problems.append("%s: includes %s, which is no family header" % (TABLE, h))

    for path in skin_files(root):
        where = subsystem(path)
        skin_includes = includes(root, path)
        if where == "core" and path.endswith(".h"):
            for target in skin_includes:
                if subsystem(target) in ("controls", "services") and target != TABLE:
                    problems.append("%s: a core header includes %s" % (path, target))
        if where == "controls" and path != TABLE:
            name = os.path.basename(path)
            stem = family_of(path, stems)
            if stem is None and name not in SHARED:
                problems.append("%s: belongs to no family of %s" % (path, TABLE))
            if stem is not None:
                own = "skin/controls/%s.h" % stem
                for target in skin_includes:
                    if subsystem(target) == "services":
                        problems.append("%s: a family file includes %s" % (path, target))
                    elif subsystem(target) == "controls" and target != own and (
                            target not in FRAMEWORK_HEADERS):
                        problems.append("%s: includes another family's %s" % (path, target))

    # Only the table may name every family.
    for path in skin_files(root):
        if path == TABLE:
            continue
        text = read(root, path)
        text_includes = set(includes(root, path))
        named = 0
        for row in rows:
            words = (row["record"], row["install"])
            if any(re.search(r"\b%s\b" % re.escape(w), text) for w in words):
                named += 1
        header_named = sum(1 for h in headers if h in text_includes)
        if len(rows) > 1 and (named == len(rows) or (len(headers) > 1 and
                                                      header_named == len(headers))):
            problems.append("%s: names every family; only %s may" % (path, TABLE))
    return problems


def self_test(root):
    """Each kind of breach, put into a copy of the tree, must be reported; the copy as it is
    must pass. Returns the list of failures."""
    _, headers, stems = read_table(root)
    family_header = headers[0]
    other_header = headers[-1]
    family_source = family_header.replace(".h", ".cpp")
    cases = [
        ("a core header includes a family header", "skin/core/window_record.h",
         '#include "%s"\n' % family_header),
        ("a core header includes a service header", "skin/core/skin_engine.h",
         '#include "skin/services/back_buffer.h"\n'),
        ("a family includes a service header", family_source,
         '#include "skin/services/containers.h"\n'),
        ("a family includes another family", family_source, '#include "%s"\n' % other_header),
        ("a second file names every family", "skin/core/skin_window.cpp",
         "".join('#include "%s"\n' % h for h in headers)),
        ("a controls file outside the table", "skin/controls/stray_painter.cpp",
         '#include "skin/controls/framework.h"\n'),
    ]
    failures = []
    for label, path, line in [("the tree as it is", None, None)] + cases:
        with tempfile.TemporaryDirectory() as scratch:
            shutil.copytree(os.path.join(root, "skin"), os.path.join(scratch, "skin"))
            if path:
                target = os.path.join(scratch, path)
                old = open(target, encoding="utf-8").read() if os.path.exists(target) else ""
                with open(target, "w", encoding="utf-8") as f:
                    f.write(line + old)
            found = breaches(scratch)
            expected = path is not None
            if bool(found) != expected:
                failures.append("%s: %s" % (label, found or "no breach reported"))
            elif path and not any(f.startswith(path) or TABLE in f for f in found):
                failures.append("%s: reported elsewhere: %s" % (label, found))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--root", default=os.path.normpath(os.path.join(here, "..", "..")))
    parser.add_argument("--count", action="store_true")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    if args.count:
        total = sum(len(includes(args.root, p)) for p in skin_files(args.root))
        upward = upward_includes(args.root)
        for path, target in upward:
            print("%s -> %s" % (path, target))
        print("%d of %d #include \"skin/...\" lines run against core -> controls -> services"
              % (len(upward), total))
        return 0
    if args.self_test:
        failures = self_test(args.root)
        for f in failures:
            print("FAIL", f)
        print("self-test: %s" % ("passed" if not failures else "%d failed" % len(failures)))
        return 1 if failures else 0
    problems = breaches(args.root)
    for p in problems:
        print(p)
    print("layering: %s" % ("kept" if not problems else "%d breaches" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
