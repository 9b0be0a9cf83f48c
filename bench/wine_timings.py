"""Times Tarrow under Wine and prints one JSON object:
 - "first_window": milliseconds from the start to the first paint of the
   first window's picture, for Tarrow.exe, rollback.exe and the two minimal
   programs of bench/, started in alternation by first_window.exe inside the
   prefix;
 - "peak_kb": the peak working set of Tarrow.exe after the operations below,
   and of each program above at its first window (medians), each read
   while the program runs;
 - "apply", "restore", "rating": the three operations in the real Tarrow.exe
   with its real pacing, from the click that starts each (for the speed-up,
   the Retry in its warning) to the main window's progress bar hidden again,
   as seen by win_probe.exe inside the prefix."""

import argparse
import json
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

from tarrow_layout import (COMMAND1, INTRO, INTRO_START, MAIN, MAIN_RATE, MAIN_RESTORE,  # noqa: E402
                           MAIN_SETTINGS, PROGRAM, RATINGS, WORKING)
import tarrow_session  # noqa: E402
from wine_desktop import desktop_for  # noqa: E402

IMAGES = r"C:\windows\system32\images"
SEARCH = IMAGES + r"\search.jpg"
# Each program: the picture its first window shows over its whole client
# area ("-" for none) and the command line that starts it ("{bin}": the
# folder of the bench programs). The pixel looked at lies clear of every
# control.
FIRST_WINDOWS = {
    "blank": ("-", [r"{bin}\bench_blank.exe"]),
    "picture": (SEARCH, [r"{bin}\bench_picture.exe", SEARCH]),
    "Tarrow.exe": (SEARCH, [PROGRAM]),
    "rollback.exe": (IMAGES + r"\rollback.jpg", [IMAGES + r"\rollback.exe"]),
}


def first_windows(desktop, bin_dir, rounds):
    """Starts the programs in alternation, `rounds` times each: the
    milliseconds to each first painted window, and each program's median
    peak working set in KB at that moment."""
    bin_dir = Path(bin_dir).resolve()
    windows_bin = "Z:" + str(bin_dir).replace("/", "\\")
    times = {name: [] for name in FIRST_WINDOWS}
    peaks = {name: [] for name in FIRST_WINDOWS}
    for _ in range(rounds):
        for name, (picture, command) in FIRST_WINDOWS.items():
            command = [part.format(bin=windows_bin) for part in command]
            code, out, err = desktop.run_wine(str(bin_dir / "first_window.exe"), picture, "20",
                                              "20", *command)
            if code != 0:
                raise RuntimeError(f"first window of {name}: {err.strip()}")
            _, painted, peak = (int(field) for field in out.split())
            times[name].append(painted)
            peaks[name].append(peak)
    return times, {name: round(statistics.median(kb)) for name, kb in peaks.items()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--bin", required=True)
    parser.add_argument("--images", required=True)
    parser.add_argument("--scripts", required=True)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--first-window-rounds", type=int, default=21)
    args = parser.parse_args()

    desktop = desktop_for(args)
    desktop.end_all("Tarrow.exe")
    tarrow_session.install_afresh(desktop, args.scripts, args.bin, args.images)
    desktop.reg_delete(r"HKCU\Consol")
    desktop.reg_delete(r"HKCU\Control Panel\Desktop", "Beforce")

    def fail(what):
        desktop.end_all("Tarrow.exe")
        sys.exit(f"wine_timings: {what}")

    try:
        first, first_peaks = first_windows(desktop, args.bin, args.first_window_rounds)
    except RuntimeError as error:
        fail(error)

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
    code, out, _ = desktop.run_wine(str(Path(args.bin).resolve() / "first_window.exe"), "peak",
                                    "Tarrow.exe")
    if code != 0:
        fail("no peak working set of Tarrow.exe")
    desktop.end_all("Tarrow.exe")
    times["first_window"] = first
    times["peak_kb"] = {"after the operations": int(out), "first window": first_peaks}
    print(json.dumps(times))


if __name__ == "__main__":
    main()
