"""rollback.exe under Wine, after a speed-up in Tarrow.exe: started from a
folder of its own, it writes the manifest it ships with, puts the saved
settings back, deletes all four saved files and ends by itself."""

import shutil
import time
import unittest
from pathlib import Path

import e2e_args
import tarrow_session
from tarrow_layout import OPTION1
from wine_desktop import desktop_for

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
OTHER_FOLDER = r"C:\Elsewhere"

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
        d.start(r"C:\windows\system32\images\rollback.exe")
        self.assertTrue(d.wait_until_running("rollback.exe"))
        self.assertTrue(d.wait_until_ended("rollback.exe", 15, settle=1), "it ends by itself")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000")
        self.assertIsNone(d.reg_text(HKCU_DESKTOP, "PowerOffTimeOut"))
        self.assertEqual(d.reg_text(r"HKCU\Consol", "Change"), "0")


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
