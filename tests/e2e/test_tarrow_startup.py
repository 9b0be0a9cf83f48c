"""Tarrow.exe under Wine on a virtual display, driven like a person: start-up
with its manifest restart and file check, the intro and main windows, the
help and information windows, and the missing-files window."""

import re
import shutil
import subprocess
import unittest
from collections import Counter
from pathlib import Path

import e2e_args
from executable import Executable
from tarrow_layout import (FILEE, HELP, HELP_CLOSE, INFO, INFO_CLOSE, INTRO, INTRO_START, MAIN,
                           MAIN_EXIT, MAIN_HELP, MAIN_INFO, PROGRAM)
from wine_desktop import desktop_for

MANIFEST = r"C:\Program Files\Tarrow\Tarrow.exe.manifest"

ICON_SLATE = 0xFF2F3E4E  # opaque ARGB of the icon's tile

ARGS = None


class TarrowStartup(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_for(ARGS)
        cls.program_dir = cls.desktop.drive_c() / "Program Files" / "Tarrow"
        cls.images_dir = cls.desktop.system32() / "images"

    def setUp(self):
        self.desktop.end_all("Tarrow.exe")
        # Other tests of this prefix leave the markers behind.
        self.desktop.reg_delete(r"HKCU\Consol")
        shutil.rmtree(self.program_dir, ignore_errors=True)
        shutil.rmtree(self.images_dir, ignore_errors=True)
        subprocess.run(
            [str(Path(ARGS.scripts) / "wine-install"), ARGS.prefix, ARGS.bin, ARGS.images],
            check=True,
            stdout=subprocess.DEVNULL,
        )

    def tearDown(self):
        self.desktop.end_all("Tarrow.exe")

    def manifest_file(self) -> Path:
        return self.program_dir / "Tarrow.exe.manifest"

    def start_with_manifest(self):
        self.manifest_file().write_text("<assembly/>")
        return self.desktop.start(PROGRAM)

    def open_main_window(self):
        self.start_with_manifest()
        intro = self.desktop.wait_for_window(*INTRO, name="Tarrow")
        if intro is None:
            self.fail("the intro window does not appear after the file check; "
                      + self.desktop.what_shows())
        self.desktop.click(intro, *INTRO_START, INTRO[0])
        main = self.desktop.wait_for_window(*MAIN, name="Tarrow")
        self.assertIsNotNone(main, "the intro's hot area opens the main window")
        return main

    def test_first_start_writes_the_manifest_and_restarts(self):
        self.assertFalse(self.manifest_file().exists())
        self.assertFalse(self.desktop.program_running("Tarrow.exe"))
        first = self.desktop.start(PROGRAM)
        intro = self.desktop.wait_for_window(*INTRO, name="Tarrow", timeout=40)
        self.assertIsNotNone(intro, "the restarted instance shows the intro window")
        self.assertTrue(self.manifest_file().exists())
        attributes = self.desktop.attributes(MANIFEST)
        self.assertIn("H", attributes)
        self.assertIn("S", attributes)
        written = self.manifest_file().read_bytes().decode("ascii")
        self.assertIn("Microsoft.Windows.Common-Controls", written)
        # It names the program as the executable's own version record does.
        record = Executable(self.program_dir / "Tarrow.exe").version_strings()
        self.assertIn('    name="Tarrow.exe"/>', written)
        self.assertEqual(
            re.search(r'\n    version="([^"]*)"', written).group(1), record["FileVersion"]
        )
        self.assertIn(f"<description>{record['FileDescription']}</description>", written)
        # Start-up reads and writes no registry value.
        self.assertIsNone(self.desktop.reg_query(r"HKCU\Consol", "Change"))
        # The window belongs to the new instance; the first one ends at once
        # and leaves the program to it.
        self.assertEqual(first.wait(timeout=15), 0, "the first instance ends at once")
        self.desktop.click(intro, *INTRO_START, INTRO[0])
        main = self.desktop.wait_for_window(*MAIN, name="Tarrow")
        self.assertIsNotNone(main)
        self.desktop.click(main, *MAIN_EXIT, MAIN[0])
        self.assertTrue(self.desktop.wait_until_ended("Tarrow.exe", 15, settle=1))

    def test_intro_leads_to_the_main_window_whose_hot_areas_open_help_and_information(self):
        main = self.open_main_window()
        self.assertTrue(
            self.desktop.wait_until_gone(*INTRO, name="Tarrow"), "the intro window hides"
        )
        if ARGS.screenshot:
            self.desktop.screenshot(main, Path(ARGS.screenshot))
        # The program's own icon, not the stock one: mostly its slate tile.
        icon = self.desktop.icons(main).get((32, 32), [])
        self.assertTrue(icon, "the main window offers a 32x32 icon")
        self.assertEqual(Counter(icon).most_common(1)[0][0], ICON_SLATE)

        self.desktop.click(main, *MAIN_HELP, MAIN[0])
        help_window = self.desktop.wait_for_window(*HELP)
        self.assertIsNotNone(help_window, "the help hot area opens the help window")
        self.desktop.click(help_window, HELP[0] // 2, HELP[1] // 2, HELP[0])
        self.assertFalse(self.desktop.wait_until_gone(*HELP, timeout=1.5), "help stays open")
        self.desktop.click(help_window, *HELP_CLOSE, HELP[0])
        self.assertTrue(self.desktop.wait_until_gone(*HELP), "its corner closes it")

        self.desktop.click(main, *MAIN_INFO, MAIN[0])
        info = self.desktop.wait_for_window(*INFO)
        self.assertIsNotNone(info, "the information hot area opens its window")
        self.desktop.click(info, *INFO_CLOSE, INFO[0])
        self.assertTrue(self.desktop.wait_until_gone(*INFO), "its corner closes it")

        self.desktop.click(main, *MAIN_EXIT, MAIN[0])
        self.assertTrue(self.desktop.wait_until_gone(*MAIN, name="Tarrow"))
        self.assertTrue(self.desktop.wait_until_ended("Tarrow.exe"), "exit ends the program")

    def test_a_missing_picture_shows_the_missing_files_window_whose_click_ends_it(self):
        (self.images_dir / "Slow.jpg").unlink()
        self.start_with_manifest()
        filee = self.desktop.wait_for_window(*FILEE)
        self.assertIsNotNone(filee, "the missing-files window appears")
        self.assertIsNone(self.desktop.find_window(*INTRO, name="Tarrow"))
        self.desktop.click(filee, FILEE[0] // 2, FILEE[1] // 2, FILEE[0])
        self.assertTrue(self.desktop.wait_until_gone(*FILEE))
        self.assertTrue(self.desktop.wait_until_ended("Tarrow.exe"), "its click ends the program")


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts", "screenshot")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
