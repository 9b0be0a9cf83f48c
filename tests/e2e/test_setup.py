"""Tarrow-setup.exe under Wine, in a prefix of its own made fresh for the
test: a silent install puts every file where the programs look (below
Program Files, whatever /D= says), Tarrow's file check passes, and the
silent uninstall first puts the saved settings back, then removes
everything that setup installed. When the settings cannot be put back, or
rollback.exe is missing while a saved copy lies in the system directory,
the uninstall stops and Tarrow stays installed; /FORCE removes it all the
same and keeps the saved files."""

import os
import shutil
import unittest
from pathlib import Path

import e2e_args
from fresh_prefix import wait_until, wine_run
import tarrow_session
from tarrow_layout import OPTION2
from wine_desktop import desktop_for

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarrow"
PICTURES = [
    "exist.jpg", "Fast.jpg", "Helpregistered.jpg", "main(with).jpg", "manu 2.jpg", "Normal.jpg",
    "Off.jpg", "Recomend.jpg", "rollback.jpg", "search.jpg", "Slow.jpg", "Star.jpg",
    "Working.jpg",
]

ARGS = None
UNINSTALLER = r"C:\Program Files\Tarrow\uninstall.exe"
# Run in place, the uninstaller waits for its own end and returns its exit
# code (otherwise it copies itself away and returns at once). The folder
# must follow _?= unquoted to the end of the command line, and Wine quotes an
# argument with a space in it: so it goes in two arguments, which Wine joins
# with the space.
IN_PLACE = [r"_?=C:\Program", r"Files\Tarrow"]


class Setup(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        wine_run(ARGS, "--stop", check=False)
        shutil.rmtree(ARGS.fresh_prefix, ignore_errors=True)
        wine_run(ARGS, "--start")
        cls.desktop = desktop_for(ARGS, ARGS.fresh_prefix)
        drive = cls.desktop.drive_c()
        cls.program_dir = drive / "Program Files" / "Tarrow"
        cls.images_dir = cls.desktop.system32() / "images"
        cls.shortcut = (drive / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" /
                        "Programs" / "Tarrow" / "Tarrow.lnk")

    @classmethod
    def tearDownClass(cls):
        cls.desktop.end_all("Tarrow.exe")
        wine_run(ARGS, "--stop", check=False)

    def test_a_silent_install_and_uninstall(self):
        d = self.desktop
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        setup = os.path.join(ARGS.bin, "Tarrow-setup.exe")
        self.assertEqual(d.run_wine(setup, "/S", timeout=120)[0], 0)

        self.assertTrue((self.program_dir / "Tarrow.exe").exists())
        for name in PICTURES + ["rollback.exe", "rollback.exe.manifest"]:
            self.assertTrue((self.images_dir / name).exists(), name)
        self.assertEqual((self.images_dir / "rollback.exe.manifest").read_bytes(),
                         (Path(ARGS.bin) / "rollback.exe.manifest").read_bytes())
        self.assertTrue(self.shortcut.exists(), "a Start-menu entry")
        self.assertEqual(d.reg_text(UNINSTALL_KEY, "DisplayName"), "Tarrow")
        uninstall = d.reg_text(UNINSTALL_KEY, "UninstallString")
        self.assertEqual(uninstall, '"C:\\Program Files\\Tarrow\\uninstall.exe"')

        # The installed program starts (writing its manifest and starting
        # again), its file check passes, and it can apply.
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10")
        d.end_all("Tarrow.exe")

        # The uninstaller copies itself away and returns at once; it is done
        # when each thing it installed is gone.
        d.run_wine(UNINSTALLER, "/S", timeout=120)
        self.assertTrue(wait_until(lambda: not self.program_dir.exists()),
                        "the program folder is removed")
        self.assertTrue(wait_until(lambda: not self.images_dir.exists()),
                        "the images folder is removed")
        self.assertTrue(wait_until(lambda: not self.shortcut.exists()))
        self.assertTrue(wait_until(lambda: not d.reg_key_exists(UNINSTALL_KEY)))
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000",
                         "the saved settings are back")
        self.assertEqual(d.reg_text(r"HKCU\Consol", "Change"), "0")
        self.assertFalse((self.desktop.system32() / "informationS.dat").exists())
        self.assertTrue(wait_until(lambda: not d.reg_key_exists(r"HKLM\Software\Tarrow")),
                        "nothing of Tarrow's is left: the key goes")

    def test_b_an_uninstall_that_cannot_restore_stops_and_a_forced_one_goes_on(self):
        d = self.desktop
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        setup = os.path.join(ARGS.bin, "Tarrow-setup.exe")
        self.assertEqual(d.run_wine(setup, "/S", r"/D=C:\Elsewhere", timeout=120)[0], 0)
        self.assertTrue((self.program_dir / "Tarrow.exe").exists(), "below Program Files")
        self.assertFalse((d.drive_c() / "Elsewhere").exists(), "/D= is ignored")
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        d.end_all("Tarrow.exe")
        saved = d.system32() / "informationS.dat"
        saved.write_bytes(b"0: 5000\n0: damaged\n")

        code = d.run_wine(UNINSTALLER, "/S", *IN_PLACE, timeout=120)[0]
        self.assertEqual(code, 2, "the uninstall stops")
        self.assertTrue((self.program_dir / "Tarrow.exe").exists(), "Tarrow stays installed")
        self.assertTrue((self.images_dir / "rollback.exe").exists())
        self.assertTrue(d.reg_key_exists(UNINSTALL_KEY))
        self.assertEqual(saved.read_bytes(), b"0: 5000\n0: damaged\n", "the saved files stay")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10", "nothing written")

        code = d.run_wine(UNINSTALLER, "/S", "/FORCE", *IN_PLACE, timeout=120)[0]
        self.assertEqual(code, 0)
        self.assertFalse((self.program_dir / "Tarrow.exe").exists(), "removed all the same")
        self.assertFalse(self.images_dir.exists())
        self.assertFalse(self.shortcut.exists())
        self.assertFalse(d.reg_key_exists(UNINSTALL_KEY))
        self.assertEqual(saved.read_bytes(), b"0: 5000\n0: damaged\n", "and keeps the saved files")
        self.assertIsNotNone(d.reg_text(r"HKLM\Software\Tarrow", "AppliedBy"),
                             "with the record of whose they are")

    def test_c_without_rollback_exe_a_saved_copy_keeps_tarrow_installed(self):
        d = self.desktop
        # What the forced uninstall before kept: gone, as on a fresh machine.
        for name in ("informationS.dat", "Importreg.dat"):
            (d.system32() / name).unlink(missing_ok=True)
        d.reg_delete(r"HKLM\Software\Tarrow")
        d.reg_delete(r"HKCU\Consol")
        d.reg_delete(HKCU_DESKTOP, "Beforce")
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        setup = os.path.join(ARGS.bin, "Tarrow-setup.exe")
        self.assertEqual(d.run_wine(setup, "/S", timeout=120)[0], 0)
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        d.end_all("Tarrow.exe")
        saved = d.system32() / "informationS.dat"
        copy = saved.read_bytes()
        (self.images_dir / "rollback.exe").unlink()

        code = d.run_wine(UNINSTALLER, "/S", *IN_PLACE, timeout=120)[0]
        self.assertEqual(code, 2, "nothing could put the saved copy back: the uninstall stops")
        self.assertTrue((self.program_dir / "Tarrow.exe").exists(), "Tarrow stays installed")
        self.assertTrue(d.reg_key_exists(UNINSTALL_KEY))
        self.assertEqual(saved.read_bytes(), copy, "the saved copy stays")
        self.assertIsNotNone(d.reg_text(r"HKLM\Software\Tarrow", "AppliedBy"),
                             "and so does the record of whose it is")

        # Without a saved copy there is nothing to put back: it goes.
        saved.unlink()
        (d.system32() / "Importreg.dat").unlink(missing_ok=True)
        code = d.run_wine(UNINSTALLER, "/S", *IN_PLACE, timeout=120)[0]
        self.assertEqual(code, 0)
        self.assertFalse((self.program_dir / "Tarrow.exe").exists())
        self.assertFalse(d.reg_key_exists(UNINSTALL_KEY))


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "fresh-prefix", "bin", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
