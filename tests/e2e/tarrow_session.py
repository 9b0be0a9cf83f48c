"""Leading the real Tarrow.exe as a person would: start it, go through the
intro to the main window, and apply a choice in the settings window. Each
step waits for the window it leads to and fails with what did not appear."""

import shutil
import subprocess
from pathlib import Path

import shutdown_places
from tarrow_layout import (CHECK1, COMMAND1, INTRO, INTRO_START, MAIN, MAIN_SETTINGS, PROGRAM,
                           RATINGS, WORKING)


def install_afresh(desktop, scripts, bin_dir, images):
    """Tarrow and its files where the setup program puts them, no saved
    settings anywhere, and its manifest in place, so that it starts without
    starting itself again."""
    program_dir = desktop.drive_c() / "Program Files" / "Tarrow"
    system32 = desktop.system32()
    shutil.rmtree(program_dir, ignore_errors=True)
    shutil.rmtree(system32 / "images", ignore_errors=True)
    for name in ("informationS.dat", "Importreg.dat"):
        (system32 / name).unlink(missing_ok=True)
    subprocess.run([str(Path(scripts) / "wine-install"), str(desktop.prefix), str(bin_dir),
                    str(images)], check=True, stdout=subprocess.DEVNULL)
    (program_dir / "Tarrow.exe.manifest").write_text("<assembly/>")
    # What an uninstaller run before left for its package to remove.
    desktop.reg_delete(r"HKLM\Software\Tarrow", "UninstallInProgress")


def open_main_window(desktop, program=PROGRAM):
    desktop.start(program)
    intro = desktop.wait_for_client(*INTRO, caption="Tarrow", timeout=40)
    if intro is None:
        raise AssertionError("the intro window does not appear; " + desktop.what_shows())
    desktop.click_client(intro, *INTRO_START)
    main = desktop.wait_for_client(*MAIN, caption="Tarrow")
    if main is None:
        raise AssertionError("the intro's hot area does not open the main window; "
                             + desktop.what_shows())
    return main


def open_settings(desktop, main):
    desktop.click_client(main, *MAIN_SETTINGS)
    working = desktop.wait_for_client(*WORKING, caption="")
    if working is None:
        raise AssertionError("the settings window does not open")
    return working


def apply(desktop, main, option=None, toggle_check=False):
    """Chooses in the settings window, confirms the warning with Retry and
    returns the milliseconds from Retry to the progress bar hidden."""
    working = open_settings(desktop, main)
    if option:
        desktop.click_client(working, *option)
    if toggle_check:
        desktop.click_client(working, *CHECK1)
    desktop.click_client(working, *COMMAND1)
    took = desktop.time_bar_after_press("Warning", "Retry")
    if took is None:
        raise AssertionError("Retry does not run the speed-up on the main window's bar")
    return took


def rating_shown(desktop):
    """The rating window that shows, by name, and its client window; or
    (None, None)."""
    for name, size in RATINGS.items():
        window = desktop.find_client(*size, caption="")
        if window is not None:
            return name, window
    return None, None


def install_with_places(desktop, args):
    """Ends every Tarrow, installs it afresh and sets the registry places
    up (shutdown_places.set_up); returns the indexes of the places whose
    key exists, after checking that the first four are the ones made."""
    desktop.end_all("Tarrow.exe")
    install_afresh(desktop, args.scripts, args.bin, args.images)
    existing = shutdown_places.set_up(desktop)
    if existing & {0, 1, 2, 3} != shutdown_places.MADE:
        raise AssertionError(f"the places the test made: {sorted(existing & {0, 1, 2, 3})}")
    return existing
