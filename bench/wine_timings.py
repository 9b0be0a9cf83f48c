"""Times the three operations in the real Tarrow.exe under Wine, with its
real pacing: from the click that starts each (for the speed-up, the Retry in
its warning) to the main window's progress bar hidden again, as seen by
win_probe.exe inside the prefix. Prints one JSON object of milliseconds."""

import argparse
import json
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

from tarrow_layout import (COMMAND1, INTRO, INTRO_START, MAIN, MAIN_RATE, MAIN_RESTORE,  # noqa: E402
                           MAIN_SETTINGS, PROGRAM, RATINGS, WORKING)
import tarrow_session  # noqa: E402
from wine_desktop import desktop_for  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--bin", required=True)
    parser.add_argument("--images", required=True)
    parser.add_argument("--scripts", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()

    desktop = desktop_for(args)
    desktop.end_all("Tarrow.exe")
    tarrow_session.install_afresh(desktop, args.scripts, args.bin, args.images)
    desktop.reg_delete(r"HKCU\Consol")
    desktop.reg_delete(r"HKCU\Control Panel\Desktop", "Beforce")

    def fail(what):
        desktop.end_all("Tarrow.exe")
        sys.exit(f"wine_timings: {what}")

    desktop.start(PROGRAM)
    intro = desktop.wait_for_client(*INTRO, caption="Tarrow") or fail("no intro window")
    desktop.click_client(intro, *INTRO_START)
    main_window = desktop.wait_for_client(*MAIN, caption="Tarrow") or fail("no main window")

    times = {"apply": [], "restore": [], "rating": []}
    for _ in range(args.rounds):
        took = desktop.time_bar_after_click(main_window, *MAIN_RATE) or fail("the rating")
        times["rating"].append(took)
        time.sleep(0.5)
        for size in RATINGS.values():
            window = desktop.find_client(*size, caption="")
            if window is not None:
                desktop.click_client(window, 50, 50)

        desktop.click_client(main_window, *MAIN_SETTINGS)
        working = desktop.wait_for_client(*WORKING, caption="") or fail("no settings window")
        desktop.click_client(working, *COMMAND1)
        times["apply"].append(desktop.time_bar_after_press("Warning", "Retry") or fail("apply"))

        took = desktop.time_bar_after_click(main_window, *MAIN_RESTORE) or fail("the restore")
        times["restore"].append(took)
    desktop.end_all("Tarrow.exe")
    print(json.dumps(times))


if __name__ == "__main__":
    main()
