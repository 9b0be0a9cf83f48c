"""Tarrow.msi under Wine's msiexec, in a prefix of its own made fresh for the
test: a silent install lays every file of the generated list in its place
(below Program Files, whatever the command line says), after which Tarrow's
file check passes and the installed-programs entry exists; a silent
uninstall puts the saved settings back first and removes everything. An
uninstall that cannot put them back, that finds Tarrow running, or that
lacks rollback.exe while a saved copy lies in the system directory, fails
and leaves everything as it was; TARROWFORCE=1 removes Tarrow all the same and
keeps the saved files. A package of a higher version replaces the installed
one without putting the settings back, and an older one is refused. The
setup program and the package refuse to install beside each other."""

import os
import shutil
import subprocess
import unittest
from pathlib import Path

import e2e_args
from fresh_prefix import wait_until, wine_run
import tarrow_session
from tarrow_layout import OPTION2
from wine_desktop import desktop_for

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SETUP_UNINSTALLER = r"C:\Program Files\Tarrow\uninstall.exe"
SETUP_IN_PLACE = [r"_?=C:\Program", r"Files\Tarrow"]  # see test_setup.py

# msiexec's own exit codes.
SUCCESS = 0
INSTALL_FAILURE = 1603
# A custom action that fails ends the uninstall with ERROR_INSTALL_FAILURE
# (1603) on Windows; Wine's msiexec reports ERROR_FUNCTION_FAILED instead.
CUSTOM_ACTION_FAILED_UNDER_WINE = 1627

ARGS = None


def windows_path(path) -> str:
    """The path as Wine's Z: drive shows the Linux file system."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def product_code(package) -> str:
    properties = subprocess.run(["msiinfo", "export", str(package), "Property"],
                                check=True, capture_output=True, text=True).stdout
    for line in properties.splitlines():
        name, _, value = line.partition("\t")
        if name == "ProductCode":
            return value
    raise AssertionError(f"{package} has no ProductCode")


LOG_START = b"==== Tarrow.log entry ===="
LOG_END = b"==== end of entry ===="


def log_entries(log: Path):
    """The whole entries of Tarrow.log, each as {field: value} with the pair
    lines under "pairs", oldest first."""
    if not log.exists():
        return []
    entries, lines = [], None
    for line in log.read_bytes().split(b"\r\n"):
        if line == LOG_START:
            lines = []
        elif line == LOG_END and lines is not None:
            entry = {"pairs": [l for l in lines if l.startswith("Pair ")]}
            for l in lines:
                name, _, value = l.partition(": ")
                entry.setdefault(name, value)
            entries.append(entry)
            lines = None
        elif lines is not None:
            lines.append(line.decode("cp1252"))
    return entries


def installed_files():
    """(folder, name) of every file the packages install, from the list
    both are made from."""
    lines = Path(ARGS.files).read_text().splitlines()
    return [tuple(line.split("\t")) for line in lines if line]


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        wine_run(ARGS, "--stop", check=False)
        shutil.rmtree(ARGS.fresh_prefix, ignore_errors=True)
        wine_run(ARGS, "--start")
        cls.desktop = desktop_for(ARGS, ARGS.fresh_prefix)
        drive = cls.desktop.drive_c()
        cls.folders = {
            "program": drive / "Program Files" / "Tarrow",
            "images": cls.desktop.system32() / "images",
        }
        # A per-machine package's shortcut belongs in the common Start menu;
        # Wine's msiexec puts it in the installing user's.
        menus = [drive / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs",
                 drive / "users" / os.environ.get("USER", "root") / "AppData" / "Roaming" /
                 "Microsoft" / "Windows" / "Start Menu" / "Programs"]
        cls.shortcuts = [menu / "Tarrow" / "Tarrow.lnk" for menu in menus]
        cls.saved = [cls.desktop.system32() / name
                     for name in ("informationS.dat", "Importreg.dat")]
        cls.package = Path(ARGS.package)
        cls.next_package = Path(ARGS.next_package)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.end_all("Tarrow.exe")
        wine_run(ARGS, "--stop", check=False)

    def tearDown(self):
        # Whatever a test left: no Tarrow, no saved files, no change in force.
        d = self.desktop
        d.end_all("Tarrow.exe")
        for package in (self.package, self.next_package):
            self.msiexec("/x", package, "TARROWFORCE=1")
        if d.reg_key_exists(rf"{UNINSTALL}\Tarrow"):
            d.run_wine(SETUP_UNINSTALLER, "/S", "/FORCE", *SETUP_IN_PLACE, timeout=120)
        # Run in place, the setup's uninstaller cannot delete itself.
        shutil.rmtree(self.folders["program"], ignore_errors=True)
        for path in self.saved:
            path.unlink(missing_ok=True)
        d.reg_delete(r"HKLM\Software\Tarrow")
        d.reg_delete(r"HKCU\Consol")
        d.reg_delete(HKCU_DESKTOP, "Beforce")

    # --- helpers
    def msiexec(self, action, package, *properties):
        """msiexec's exit code for a silent run of the package."""
        code, out = self.desktop.probe("wait", "msiexec", action, windows_path(package), "/qn",
                                       *properties, timeout=300)
        self.assertEqual(code, 0, out)
        # The probe prints the code last: what the package's custom actions
        # write to the console they inherit under Wine comes before it.
        return int(out.splitlines()[-1])

    def entries(self):
        """The installed-programs entries named Tarrow: {key: version}."""
        d = self.desktop
        entries = {}
        for line in d.run("reg", "query", UNINSTALL).splitlines():
            key = line.strip()
            if key.upper().startswith("HKEY_LOCAL_MACHINE"):
                key = "HKLM" + key[len("HKEY_LOCAL_MACHINE"):]
                values = d.reg_texts(key)
                if values.get("displayname") == "Tarrow":
                    entries[key] = values.get("displayversion")
        return entries

    def package_entry(self, package):
        return rf"{UNINSTALL}\{product_code(package)}"

    def log(self) -> Path:
        """Tarrow.log, in the Windows folder's Logs, however Wine spelled
        that folder."""
        windows = self.desktop.drive_c() / "windows"
        logs = next((p for p in windows.iterdir() if p.name.lower() == "logs"), windows / "Logs")
        return logs / "Tarrow" / "Tarrow.log"

    def saved_files(self):
        """What the speed-up saved, by file (None for one it did not write)."""
        return {path.name: path.read_bytes() if path.exists() else None for path in self.saved}

    def install_and_apply(self):
        d = self.desktop
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        self.assertEqual(self.msiexec("/i", self.package), SUCCESS)
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10")
        d.end_all("Tarrow.exe")

    def assert_installed(self):
        for folder, name in installed_files():
            self.assertTrue((self.folders[folder] / name).exists(), f"{folder}: {name}")
        self.assertIn(self.package_entry(self.package), self.entries())

    def assert_removed(self):
        for folder in self.folders.values():
            self.assertFalse(folder.exists(), f"{folder} is removed")
        for shortcut in self.shortcuts:
            self.assertFalse(shortcut.exists(), shortcut)
        self.assertEqual(self.entries(), {}, "no installed-programs entry")
        self.assertIsNone(self.desktop.reg_text(r"HKLM\Software\Tarrow", "UninstallInProgress"),
                          "the uninstall's mark goes with it")

    # --- tests
    def test_a_silent_install_and_uninstall(self):
        d = self.desktop
        d.reg_set(HKCU_DESKTOP, "HungAppTimeout", "5000")
        # No public property moves the folders.
        code = self.msiexec("/i", self.package, r"TARGETDIR=C:\Elsewhere",
                            r"INSTALLDIR=C:\Elsewhere", r"INSTALLFOLDER=C:\Elsewhere",
                            r"programFolder=C:\Elsewhere", r"imagesFolder=C:\Elsewhere")
        self.assertEqual(code, SUCCESS)
        self.assertFalse((d.drive_c() / "Elsewhere").exists())

        sources = [Path(ARGS.bin), Path(ARGS.images)]
        for folder, name in installed_files():
            installed = self.folders[folder] / name
            source = next(s / name for s in sources if (s / name).exists())
            self.assertTrue(installed.exists(), f"{folder}: {name}")
            self.assertEqual(installed.read_bytes(), source.read_bytes(), name)
        self.assertTrue(any(s.exists() for s in self.shortcuts), "a Start-menu entry")
        entry = d.reg_texts(self.package_entry(self.package))
        self.assertEqual(entry.get("displayname"), "Tarrow")
        self.assertEqual(entry.get("publisher"), "Tarrow")
        self.assertEqual(entry.get("displayversion"), ARGS.version)

        # The installed program starts (writing its manifest and starting
        # again), its file check passes, and it can apply.
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10")
        self.assertEqual(d.reg_text(r"HKLM\Software\Tarrow", "ChangeInForce"), "1",
                         "what a detection rule looks for")
        d.end_all("Tarrow.exe")
        self.assertTrue((self.folders["program"] / "Tarrow.exe.manifest").exists())

        logged = len(log_entries(self.log()))
        self.assertEqual(self.msiexec("/x", self.package), SUCCESS)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000",
                         "the saved settings are back")
        # Both the apply and the uninstall left their entry, with a line
        # for each of the 26 pairs.
        apply, uninstall = log_entries(self.log())[logged - 1:]
        self.assertEqual((apply["Program"], apply["Operation"], apply["Outcome"]),
                         (f"Tarrow.exe {ARGS.version}", "apply", "applied"))
        self.assertEqual((uninstall["Program"], uninstall["Operation"], uninstall["Outcome"],
                          uninstall["Exit code"]),
                         (f"rollback.exe {ARGS.version}", "uninstall", "restored", "0"))
        place0 = r"Pair 0 HKCU\Control Panel\Desktop\HungAppTimeout: "
        self.assertIn(place0 + 'found REG_SZ "5000"; written "10"', apply["pairs"])
        self.assertIn(place0 + 'saved "5000"; written "5000"', uninstall["pairs"])
        self.assertEqual((len(apply["pairs"]), len(uninstall["pairs"])), (26, 26))
        self.assertEqual(uninstall["AppliedBy"], apply["Account"], "whose change it was")
        self.assertEqual(d.reg_text(r"HKCU\Consol", "Change"), "0")
        for path in self.saved:
            self.assertFalse(path.exists(), path)
        self.assert_removed()
        self.assertEqual(d.reg_texts(r"HKLM\Software\Tarrow"), {},
                         "no value of Tarrow's is left: the key is gone or empty")

    def test_b_an_uninstall_that_cannot_restore_fails_and_a_forced_one_goes_on(self):
        d = self.desktop
        self.install_and_apply()
        damaged = b"0: 5000\n0: damaged\n"
        self.saved[0].write_bytes(damaged)
        saved = self.saved_files()

        self.assertEqual(self.msiexec("/x", self.package), CUSTOM_ACTION_FAILED_UNDER_WINE)
        self.assert_installed()
        self.assertEqual(self.saved_files(), saved, "the saved files stay")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10", "nothing written")
        # The log says why, and names the damaged file.
        failed = log_entries(self.log())[-1]
        self.assertEqual((failed["Outcome"], failed["Exit code"], failed["Saved files"]),
                         ("damaged", "2", "damaged; now found: damaged"))
        self.assertIn(r"  C:\windows\system32\informationS.dat", failed)

        self.assertEqual(self.msiexec("/x", self.package, "TARROWFORCE=1"), SUCCESS)
        self.assert_removed()
        self.assertEqual(self.saved_files(), saved, "and keeps the saved files")
        self.assertIn("appliedby", d.reg_texts(r"HKLM\Software\Tarrow"),
                      "with the record of whose they are")

    def test_c_an_uninstall_while_tarrow_runs_fails_and_changes_nothing(self):
        d = self.desktop
        self.install_and_apply()
        saved = self.saved_files()
        tarrow_session.open_main_window(d)

        self.assertEqual(self.msiexec("/x", self.package), CUSTOM_ACTION_FAILED_UNDER_WINE)
        self.assert_installed()
        self.assertEqual(self.saved_files(), saved)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10")

        d.end_all("Tarrow.exe")
        self.assertEqual(self.msiexec("/x", self.package), SUCCESS)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000")
        self.assert_removed()

    def test_d_a_higher_version_replaces_the_package_and_leaves_the_settings(self):
        d = self.desktop
        self.install_and_apply()
        saved = self.saved_files()

        self.assertEqual(self.msiexec("/i", self.next_package), SUCCESS)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10",
                         "the shortened time-outs stay")
        self.assertEqual(self.saved_files(), saved, "the saved files are untouched")
        self.assertEqual(self.entries(), {self.package_entry(self.next_package): ARGS.next_version},
                         "one entry, of the newer version")
        for folder, name in installed_files():
            self.assertTrue((self.folders[folder] / name).exists(), f"{folder}: {name}")

        self.assertEqual(self.msiexec("/x", self.next_package), SUCCESS)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "5000")
        self.assert_removed()

    def test_e_an_older_package_is_refused(self):
        # On a machine where the newer one was installed afresh: Wine's
        # msiexec drops the upgrade code's registration when it removes the
        # replaced package, so after an upgrade it no longer finds the newer.
        self.assertEqual(self.msiexec("/i", self.next_package), SUCCESS)
        self.assertEqual(self.msiexec("/i", self.package), INSTALL_FAILURE)
        self.assertEqual(self.entries(), {self.package_entry(self.next_package): ARGS.next_version})

    def test_f_the_setup_program_and_the_package_refuse_each_other(self):
        d = self.desktop
        setup = os.path.join(ARGS.bin, "Tarrow-setup.exe")
        self.assertEqual(d.run_wine(setup, "/S", timeout=120)[0], 0)
        self.assertEqual(self.msiexec("/i", self.package), INSTALL_FAILURE)
        self.assertNotIn(self.package_entry(self.package), self.entries())
        self.assertTrue(d.reg_key_exists(rf"{UNINSTALL}\Tarrow"), "the setup's stays")
        # The setup's uninstaller copies itself away and returns at once.
        d.run_wine(SETUP_UNINSTALLER, "/S", timeout=120)
        self.assertTrue(wait_until(lambda: not self.folders["program"].exists()))

        self.assertEqual(self.msiexec("/i", self.package), SUCCESS)
        self.assertEqual(d.run_wine(setup, "/S", timeout=120)[0], 2)
        self.assertFalse(d.reg_key_exists(rf"{UNINSTALL}\Tarrow"))
        self.assertFalse((self.folders["program"] / "uninstall.exe").exists())
        self.assertEqual(self.msiexec("/x", self.package), SUCCESS)
        self.assert_removed()

    def test_g_without_rollback_exe_a_saved_copy_fails_the_uninstall(self):
        d = self.desktop
        self.install_and_apply()
        saved = self.saved_files()
        (self.folders["images"] / "rollback.exe").unlink()

        self.assertIn(self.msiexec("/x", self.package),
                      (INSTALL_FAILURE, CUSTOM_ACTION_FAILED_UNDER_WINE))
        self.assertTrue((self.folders["program"] / "Tarrow.exe").exists(), "Tarrow stays")
        self.assertIn(self.package_entry(self.package), self.entries())
        self.assertEqual(self.saved_files(), saved, "the saved copy stays")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10")

        # Without a saved copy there is nothing to put back: it goes.
        for path in self.saved:
            path.unlink(missing_ok=True)
        self.assertEqual(self.msiexec("/x", self.package), SUCCESS)
        self.assert_removed()


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "fresh-prefix", "bin", "images", "scripts", "files",
                                "package", "version", "next-package", "next-version")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
