"""The command line the reference generators share: write their files, or
with --check write nothing and report the files that differ from what they
would write (exit status 1)."""

import argparse
import os


def write_or_check(description, make_outputs, root):
    """description: the generator's one-line summary; make_outputs: a
    function returning {path: text}; root: the repository root, for the
    paths the report names.  Returns the exit status."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 when a checked-in file differs from what would be written")
    args = parser.parse_args()
    outputs = make_outputs()
    if args.check:
        stale = []
        for path, text in outputs.items():
            old = open(path, encoding="utf-8").read() if os.path.exists(path) else ""
            if old != text:
                stale.append(os.path.relpath(path, root))
        for name in stale:
            print(name + " differs from what the generator writes")
        return 1 if stale else 0
    for path, text in outputs.items():
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    return 0
