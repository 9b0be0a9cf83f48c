"""What the package tests share: their own Wine prefix, started and stopped
through scripts/wine-run, and a patient wait for what an installer leaves
behind."""

import subprocess
import time
from pathlib import Path


def wait_until(condition, timeout=60):
    """Whether `condition` holds within `timeout` seconds, looked at twice a
    second and once more at the end."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.5)
    return condition()


def wine_run(args, *command, check=True):
    """scripts/wine-run on the fresh prefix the test's options name."""
    full = [str(Path(args.scripts) / "wine-run"), "--arch", args.arch, "--prefix",
            args.fresh_prefix, *command]
    return subprocess.run(full, check=check, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
