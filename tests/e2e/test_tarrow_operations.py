"""Tarrow.exe doing its job under Wine on a virtual display, driven by real
clicks: the settings window and the warning, the speed-up with each choice,
the saved file, the restore and the rating. The registry is set up and
looked at with Wine's reg."""

import time
import unittest

import e2e_args
import shutdown_places
import tarrow_session
from shutdown_places import HKCU_DESKTOP, PLACES, SETUP, SOUND_KEY
from tarrow_layout import (CHECK1, COMMAND1, COMMAND2, MAIN_RATE, MAIN_RESTORE, MAIN_SETTINGS,
                           NOTICE, OPTION1, OPTION2, WORKING)
from wine_desktop import desktop_for

ARGS = None


class TarrowOperations(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_for(ARGS)
        cls.program_dir = cls.desktop.drive_c() / "Program Files" / "Tarrow"
        cls.system32 = cls.desktop.system32()

    def setUp(self):
        self.existing = tarrow_session.install_with_places(self.desktop, ARGS)

    def tearDown(self):
        self.desktop.end_all("Tarrow.exe")

    # --- helpers
    def open_main_window(self):
        return tarrow_session.open_main_window(self.desktop)

    def open_settings(self, main):
        return tarrow_session.open_settings(self.desktop, main)

    def pairs(self):
        return shutdown_places.pairs(self.desktop)

    def saved_text(self):
        """informationS.dat as it must be: the values from before, in the
        reading order, "NO" where the key was missing."""
        lines = []
        for index, key, names in PLACES:
            for name in names:
                if index not in self.existing:
                    text = "NO " if (index, name) == (6, "PowerOffTimeOut") else "NO"
                else:
                    text = SETUP.get((index, name), "")
                lines.append(f"{index}: {text}\r\n")
        return ("".join(lines) + "\r\n").encode("ascii")

    def apply(self, main, option, toggle_check):
        return tarrow_session.apply(self.desktop, main, option, toggle_check)

    # --- tests
    def test_cancel_in_the_warning_changes_nothing(self):
        main = self.open_main_window()
        before = self.pairs()
        working = self.open_settings(main)
        self.desktop.click_client(working, *OPTION1)
        self.desktop.click_client(working, *CHECK1)
        self.desktop.click_client(working, *COMMAND1)
        self.assertTrue(self.desktop.press("Warning", "Cancel"), "the warning asks first")
        self.assertIsNotNone(self.desktop.wait_for_client(*WORKING, caption=""),
                             "the settings window stays open")
        self.assertEqual(self.pairs(), before)
        self.assertEqual(self.desktop.reg_default(SOUND_KEY), "tada.wav")
        self.assertIsNone(self.desktop.reg_text(r"HKCU\Consol", "Change"))
        self.assertFalse((self.system32 / "informationS.dat").exists())
        # Cancel in the window itself closes it, still changing nothing.
        self.desktop.click_client(working, *COMMAND2)
        self.assertTrue(self.desktop.wait_until_client_gone(*WORKING, caption=""))
        self.assertEqual(self.pairs(), before)

    def test_each_choice_writes_every_existing_pair_and_the_restore_puts_back_the_exact_text(self):
        main = self.open_main_window()
        before = self.pairs()
        # The window keeps its choices between openings: no option at first,
        # then "Powerful" with the box ticked, then "Fast" with it cleared.
        for option, toggle_check, silenced, text in ((None, False, False, "10"),
                                                     (OPTION1, True, True, "0"),
                                                     (OPTION2, True, False, "10")):
            with self.subTest(text=text, option=option, silenced=silenced):
                self.desktop.reg_set_default(SOUND_KEY, "tada.wav")
                took = self.apply(main, option, toggle_check)
                self.assertLess(took, 5000, "no operation keeps the window busy for 5 s")
                after = self.pairs()
                for (index, name), value in after.items():
                    self.assertEqual(value, text if index in self.existing else None,
                                     f"place {index} {name}")
                for index, key, _ in PLACES:
                    if index not in self.existing:
                        self.assertFalse(self.desktop.reg_key_exists(key), f"no key {key} made")
                self.assertEqual((self.system32 / "informationS.dat").read_bytes(),
                                 self.saved_text(), "the values from before, byte for byte")
                self.assertTrue((self.system32 / "Importreg.dat").exists())
                self.assertFalse((self.program_dir / "informationS.dat").exists())
                self.assertFalse((self.program_dir / "Importreg.dat").exists())
                self.assertEqual(self.desktop.reg_text(r"HKCU\Consol", "Change"), "1")
                self.assertEqual(self.desktop.reg_text(HKCU_DESKTOP, "Beforce"), "1")
                self.assertEqual(self.desktop.reg_default(SOUND_KEY),
                                 "" if silenced else "tada.wav")

                # The settings entry now opens the notice instead.
                self.desktop.click_client(main, *MAIN_SETTINGS)
                notice = self.desktop.wait_for_client(*NOTICE, caption="")
                self.assertIsNotNone(notice, "the notice window opens")
                self.desktop.click_client(notice, NOTICE[0] - 20, NOTICE[1] - 20)
                self.assertTrue(self.desktop.wait_until_client_gone(*NOTICE, caption=""))

                took = self.desktop.time_bar_after_click(main, *MAIN_RESTORE)
                self.assertIsNotNone(took, "the restore runs on the main window's bar")
                self.assertLess(took, 5000)
                self.assertEqual(self.pairs(), before, "every saved text back exactly")
                self.assertEqual(self.desktop.reg_text(r"HKCU\Consol", "Change"), "0")
                self.assertEqual(self.desktop.reg_text(HKCU_DESKTOP, "Beforce"), "0")
                for folder in (self.program_dir, self.system32):
                    for name in ("informationS.dat", "Importreg.dat"):
                        self.assertFalse((folder / name).exists(),
                                         f"a complete restore uses the copy up: {name}")

    def test_the_restore_puts_the_shutdown_sound_back(self):
        main = self.open_main_window()
        self.apply(main, OPTION2, True)
        self.assertEqual(self.desktop.reg_default(SOUND_KEY), "")
        self.assertIsNotNone(self.desktop.time_bar_after_click(main, *MAIN_RESTORE))
        if self.desktop.reg_default(SOUND_KEY) != "tada.wav":
            self.skipTest("Wine departs from Windows: RegRestoreKeyA succeeds without restoring")

    def test_the_rating_shows_the_window_of_the_total(self):
        # Nine pairs exist here; one carries the total, the others 0.
        for total, expected in ((5, "Star"), (700, "Fast"), (5000, "Normal"), (9000, "Slow")):
            with self.subTest(total=total):
                for (index, name) in SETUP:
                    self.desktop.reg_set(PLACES[index][1], name, "0")
                self.desktop.reg_set(HKCU_DESKTOP, "HungAppTimeout", str(total))
                self.desktop.end_all("Tarrow.exe")
                main = self.open_main_window()
                took = self.desktop.time_bar_after_click(main, *MAIN_RATE)
                self.assertIsNotNone(took, "the rating runs on the main window's bar")
                self.assertLess(took, 5000)
                name, window = None, None
                for _ in range(25):
                    name, window = tarrow_session.rating_shown(self.desktop)
                    if window is not None:
                        break
                    time.sleep(0.2)
                self.assertEqual(name, expected)
                self.assertFalse((self.program_dir / "information.dat").exists())
                self.desktop.click_client(window, 50, 50)
                self.assertTrue(self.desktop.wait_until_client_gone(window.width, window.height,
                                                                    caption=""))


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
