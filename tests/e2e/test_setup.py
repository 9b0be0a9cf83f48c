"""Tarrow-setup.exe under Wine, in a prefix of its own made fresh for the
test: a silent install puts every file where the programs look, Tarrow's
file check passes, and the silent uninstall first puts the saved settings
back, then removes everything that setup installed."""

import os
import shutil
import subprocess
import time
import unittest
from pathlib import Path

import e2e_args
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


def wine_run(*args, check=True):
    command = [str(Path(ARGS.scripts) / "wine-run"), "--arch", ARGS.arch, "--prefix",
               ARGS.fresh_prefix, *args]
    return subprocess.run(command, check=check, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)


class Setup(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        wine_run("--stop", check=False)
        shutil.rmtree(ARGS.fresh_prefix, ignore_errors=True)
        wine_run("--start")
        cls.desktop = desktop_for(ARGS, ARGS.fresh_prefix)
        drive = cls.desktop.drive_c()
        cls.program_dir = drive / "Program Files" / "Tarrow"
        cls.images_dir = cls.desktop.system32() / "images"
        cls.shortcut = (drive / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" /
                        "Programs" / "Tarrow" / "Tarrow.lnk")

    @classmethod
    def tearDownClass(cls):
        cls.desktop.end_all("Tarrow.exe")
        wine_run("--stop", check=False)

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
        # when what it installed is gone.
        d.run_wine(r"C:\Program Files\Tarrow\uninstall.exe", "/S", timeout=120)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and self.program_dir.exists():
            time.sleep(0.5)
        self.assertFalse(self.program_dir.exists(), "the program folder is removed")
        self.assertFalse(self.images_dir.exists(), "the images folder is removed")
        self.assertFalse(self.shortcut.exists())
        self.assertFalse(d.reg_key_exists(UNINSTALL_KEY))
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000",
                         "the saved settings are back")
        self.assertEqual(d.reg_text(r"HKCU\Consol", "Change"), "0")
        self.assertFalse((self.desktop.system32() / "informationS.dat").exists())


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "fresh-prefix", "bin", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
