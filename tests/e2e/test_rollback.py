"""rollback.exe under Wine, after a speed-up in Tarrow.exe: started from a
folder of its own, it writes the manifest it ships with, puts the saved
settings back, deletes all four saved files and ends by itself; after an
apply that was killed half-way, it brings every value back."""

import shutil
import time
import unittest
from pathlib import Path

import e2e_args
import tarrow_session
from tarrow_layout import COMMAND1, OPTION1
from wine_desktop import desktop_for

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
HKU_DEFAULT_DESKTOP = r"HKU\.DEFAULT\Control Panel\Desktop"
OTHER_FOLDER = r"C:\Elsewhere"
INSTALLED = r"C:\windows\system32\images\rollback.exe"

ARGS = None


class Rollback(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_for(ARGS)
        cls.system32 = cls.desktop.system32()
        cls.other = cls.desktop.drive_c() / "Elsewhere"

    def setUp(self):
        d = self.desktop
        for program in ("Tarrow.exe", "rollback.exe"):
            d.end_all(program)
        shutil.rmtree(self.other, ignore_errors=True)
        tarrow_session.install_afresh(d, ARGS.scripts, ARGS.bin, ARGS.images)
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        d.reg_set(HKCU_DESKTOP, "WaitToKillAppTimeout", "20000")

    def tearDown(self):
        for program in ("Tarrow.exe", "rollback.exe"):
            self.desktop.end_all(program)

    def test_after_a_speed_up_it_restores_deletes_the_saved_files_and_ends_by_itself(self):
        d = self.desktop
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION1)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "0")
        d.end_all("Tarrow.exe")
        self.assertTrue((self.system32 / "informationS.dat").exists())

        self.other.mkdir()
        shutil.copy(Path(ARGS.bin) / "rollback.exe", self.other / "rollback.exe")
        watch = d.watch_for_caption("Uninstalling")
        started = time.monotonic()
        d.start(OTHER_FOLDER + r"\rollback.exe")
        self.assertTrue(d.wait_until_running("rollback.exe"))
        self.assertTrue(d.wait_until_ended("rollback.exe", 15, settle=1), "it ends by itself")
        took = time.monotonic() - started
        self.assertLess(took, 10, "within a few seconds")
        saw_window = watch.seen()
        self.assertTrue(saw_window, "its window shows while it works")

        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "WaitToKillAppTimeout"), "20000")
        self.assertEqual(d.reg_text(r"HKCU\Consol", "Change"), "0")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "Beforce"), "0")
        for folder in (self.system32, self.other):
            for name in ("informationS.dat", "Importreg.dat"):
                self.assertFalse((folder / name).exists(), f"{folder / name}")
        # The manifest it wrote on its first start is the one setup ships.
        self.assertEqual((self.other / "rollback.exe.manifest").read_bytes(),
                         (Path(ARGS.bin) / "rollback.exe.manifest").read_bytes())
        self.assertIn("S", d.attributes(OTHER_FOLDER + r"\rollback.exe.manifest"))

    def test_where_nothing_was_applied_it_writes_no_time_out(self):
        d = self.desktop
        d.reg_delete(HKCU_DESKTOP, "PowerOffTimeOut")
        d.reg_delete(r"HKCU\Consol")
        self.assertEqual(d.start(INSTALLED).wait(timeout=30), 0, "nothing to put back is done")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000")
        self.assertIsNone(d.reg_text(HKCU_DESKTOP, "PowerOffTimeOut"))
        self.assertIsNone(d.reg_text(r"HKCU\Consol", "Change"), "no marker is made")

    def test_killed_during_an_apply_the_uninstaller_brings_every_value_back(self):
        d = self.desktop
        watched = [(HKCU_DESKTOP, "HungAppTimeout"), (HKCU_DESKTOP, "WaitToKillAppTimeout"),
                   (HKCU_DESKTOP, "PowerOffTimeOut"), (HKU_DEFAULT_DESKTOP, "HungAppTimeout"),
                   (HKU_DEFAULT_DESKTOP, "WaitToKillServiceTimeout")]
        d.reg_delete(HKCU_DESKTOP, "PowerOffTimeOut")
        d.reg_set(HKU_DEFAULT_DESKTOP, "HungAppTimeout", "4000")
        d.reg_set(HKU_DEFAULT_DESKTOP, "WaitToKillServiceTimeout", "3000")
        before = {place: d.reg_text(*place) for place in watched}
        # The speed-up runs for about a second after Retry: killed at these
        # moments, it has written some of the time-outs, or none, or all.
        for delay in (0.0, 0.3, 0.6, 1.5):
            with self.subTest(delay=delay):
                main = tarrow_session.open_main_window(d)
                working = tarrow_session.open_settings(d, main)
                d.click_client(working, *COMMAND1)
                self.assertTrue(d.press("Warning", "Retry"))
                time.sleep(delay)
                d.end_all("Tarrow.exe")

                self.assertEqual(d.start(INSTALLED).wait(timeout=30), 0, "everything is back")
                self.assertEqual({place: d.reg_text(*place) for place in watched}, before)
                for name in ("informationS.dat", "Importreg.dat"):
                    self.assertFalse((self.system32 / name).exists(), name)
                self.assertNotEqual(d.reg_text(r"HKCU\Consol", "Change"), "1")
                self.assertNotEqual(d.reg_text(HKCU_DESKTOP, "Beforce"), "1")


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
