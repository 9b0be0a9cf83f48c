"""The command line of an end-to-end test: the options ctest passes (each
required) and, after them, what unittest itself takes."""

import argparse
import sys


def parse(*required):
    """The options, and the argument list for unittest.main."""
    parser = argparse.ArgumentParser()
    for name in required:
        parser.add_argument(f"--{name}", required=True)
    args, rest = parser.parse_known_args()
    if getattr(args, "arch", "win32") not in ("win32", "win64"):
        parser.error("--arch is win32 or win64")
    return args, [sys.argv[0], "-v", *rest]
