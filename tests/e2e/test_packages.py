"""Tarrow.msi as a file, read with msiinfo: it holds exactly the files of the
list that the setup program is made from too, each in its folder for the
build's architecture; its uninstall runs rollback.exe as the system account
before anything is removed and only on a real removal; a newer package
replaces it and an older one is refused; its entry in the installed
programs has a name, version, publisher and icon.

--arch names the build: win32 (shipped) or win64 (tests under 64-bit Wine)."""

import re
import subprocess
import unittest
import uuid
from pathlib import Path

import e2e_args

ARGS = None

# CustomAction.Type bits.
EXE_FROM_INSTALLED_FILE = 18
SHOW_ERROR_AND_END = 19
EXE_IN_FOLDER = 34
ROLLBACK_ONLY = 0x100
CONTINUE_ON_FAILURE = 0x40
IN_SCRIPT = 0x400  # deferred
NO_IMPERSONATE = 0x800
BASE_TYPE_MASK = 0x3F

# Per build: the Directory parents of the two folders, the package's
# platform, and whether the components are 64-bit.
ARCHITECTURES = {
    "win32": ("ProgramFilesFolder", "SystemFolder", "Intel", False),
    "win64": ("ProgramFiles64Folder", "System64Folder", "x64", True),
}
COMPONENT_64BIT = 0x100

# Every version of the package carries it.
UPGRADE_CODE = "5A7C1E0B-2F4D-4C8E-9B61-7D3A0F52C4E9"


def table(package, name):
    """The table's rows as dicts by column, from msiinfo export."""
    lines = subprocess.run(["msiinfo", "export", str(package), name], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def installed_files():
    lines = Path(ARGS.files).read_text().splitlines()
    return sorted(tuple(line.split("\t")) for line in lines if line)


class TarrowMsi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.package = Path(ARGS.bin) / "Tarrow.msi"
        cls.tables = {}

    def rows(self, name):
        if name not in self.tables:
            self.tables[name] = table(self.package, name)
        return self.tables[name]

    def property(self, name):
        return {row["Property"]: row["Value"] for row in self.rows("Property")}.get(name)

    def folder_of(self, directory):
        """"program", "images" or another directory's id."""
        return {"programFolder": "program", "imagesFolder": "images"}.get(directory, directory)

    def test_the_file_table_is_the_generated_list(self):
        components = {row["Component"]: row for row in self.rows("Component")}
        files = sorted((self.folder_of(components[row["Component_"]]["Directory_"]),
                        row["FileName"]) for row in self.rows("File"))
        self.assertEqual(files, installed_files())
        self.assertEqual(len(installed_files()), 16, "Tarrow.exe, 13 pictures, rollback.exe "
                         "and its manifest")

    def test_the_folders_are_those_of_the_architecture(self):
        program_files, system, platform, win64 = ARCHITECTURES[ARGS.arch]
        directories = {row["Directory"]: row for row in self.rows("Directory")}
        for directory, parent, name in [("programFolder", program_files, "Tarrow"),
                                        ("imagesFolder", system, "images"),
                                        ("menuFolder", "ProgramMenuFolder", "Tarrow")]:
            with self.subTest(directory=directory):
                self.assertEqual(directories[directory]["Directory_Parent"], parent)
                self.assertEqual(directories[directory]["DefaultDir"], name)
        for row in self.rows("Component"):
            with self.subTest(component=row["Component"]):
                self.assertEqual(bool(int(row["Attributes"]) & COMPONENT_64BIT), win64)
        summary = subprocess.run(["msiinfo", "suminfo", str(self.package)], check=True,
                                 capture_output=True, text=True).stdout
        self.assertRegex(summary, rf"Template: {platform};1033")
        # The folders are set again before costing, from the system's own.
        actions = {row["Action"]: row for row in self.rows("CustomAction")}
        self.assertEqual(actions["KeepProgramFolder"]["Target"], f"[{program_files}]Tarrow\\")
        self.assertEqual(actions["KeepImagesFolder"]["Target"], f"[{system}]images\\")

    def test_per_machine_with_an_entry_in_the_installed_programs(self):
        self.assertEqual(self.property("ALLUSERS"), "1")
        self.assertEqual(self.property("ProductName"), "Tarrow")
        self.assertEqual(self.property("Manufacturer"), "Tarrow")
        self.assertEqual(self.property("ProductVersion"), ARGS.version)
        # Windows Installer logs every install and uninstall of it, verbosely.
        self.assertEqual(self.property("MsiLogging"), "voicewarmupx")
        icon = self.property("ARPPRODUCTICON")
        self.assertIn(icon, [row["Name"] for row in self.rows("Icon")])
        shortcut, = self.rows("Shortcut")
        self.assertEqual(shortcut["Target"], "[#program_Tarrow_exe]")

    def test_the_product_code_follows_the_version_and_the_upgrade_code_is_fixed(self):
        self.assertEqual(self.property("UpgradeCode"), "{" + UPGRADE_CODE + "}")
        platform = "x64" if ARCHITECTURES[ARGS.arch][3] else "x86"
        expected = uuid.uuid5(uuid.UUID(UPGRADE_CODE), f"Tarrow {ARGS.version} {platform}")
        self.assertEqual(self.property("ProductCode"), "{" + str(expected).upper() + "}")
        upgrades = {row["ActionProperty"]: row for row in self.rows("Upgrade")}
        older = upgrades["WIX_UPGRADE_DETECTED"]
        self.assertEqual((older["VersionMin"], older["VersionMax"]), ("", ARGS.version),
                         "older versions are removed")
        newer = upgrades["WIX_DOWNGRADE_DETECTED"]
        self.assertEqual(newer["VersionMin"], ARGS.version)
        self.assertIn("NOT WIX_DOWNGRADE_DETECTED",
                      [row["Condition"] for row in self.rows("LaunchCondition")])

    def test_the_uninstall_runs_rollback_exe_first_as_the_system_account(self):
        actions = {row["Action"]: row for row in self.rows("CustomAction")}
        sequence = {row["Action"]: row for row in self.rows("InstallExecuteSequence")}
        number = {name: int(row["Sequence"]) for name, row in sequence.items()}
        for name, continues in [("PutSettingsBack", False), ("PutSettingsBackForced", True)]:
            with self.subTest(action=name):
                kind = int(actions[name]["Type"])
                self.assertEqual(kind & BASE_TYPE_MASK, EXE_FROM_INSTALLED_FILE)
                self.assertEqual(actions[name]["Source"], "images_rollback_exe")
                self.assertTrue(kind & IN_SCRIPT, "deferred")
                self.assertTrue(kind & NO_IMPERSONATE, "as the system account")
                self.assertEqual(bool(kind & CONTINUE_ON_FAILURE), continues)
                # Run at once by InstallExecute, before anything is removed.
                self.assertLess(number["InstallInitialize"], number[name])
                self.assertLess(number[name], number["InstallExecute"])
                self.assertLess(number["InstallExecute"], number["RemoveFiles"])
                condition = sequence[name]["Condition"]
                self.assertIn('REMOVE="ALL"', condition)
                self.assertIn("NOT UPGRADINGPRODUCTCODE", condition)
                self.assertIn("TARROW_INSTALLED_PACKAGE=ProductCode", condition)
                self.assertIn('TARROWFORCE="1"' if continues else 'TARROWFORCE<>"1"', condition)
        # The older package goes after this one is in place, so that its
        # uninstall sees the newer product code.
        self.assertGreater(number["RemoveExistingProducts"], number["InstallFinalize"])
        marker, = [row for row in self.rows("Registry") if row["Name"] == "ProductCode"]
        self.assertEqual((marker["Key"], marker["Value"]), ("Software\\Tarrow\\Package",
                                                           "[ProductCode]"))

    def test_without_rollback_exe_a_saved_copy_stops_the_uninstall(self):
        _, system, _, _ = ARCHITECTURES[ARGS.arch]
        searches = {row["Property"]: row["Signature_"] for row in self.rows("AppSearch")}
        files = {row["Signature"]: row["FileName"] for row in self.rows("Signature")}
        folders = {row["Signature_"]: row["Path"] for row in self.rows("DrLocator")}
        for found, name, folder in [("TARROW_UNINSTALLER", "rollback.exe", f"[{system}]images"),
                                    ("TARROW_SAVED_COPY", "informationS.dat", f"[{system}]")]:
            with self.subTest(property=found):
                self.assertEqual(files[searches[found]], name)
                self.assertEqual(folders[searches[found]], folder)
        actions = {row["Action"]: row for row in self.rows("CustomAction")}
        sequence = {row["Action"]: row for row in self.rows("InstallExecuteSequence")}
        number = {name: int(row["Sequence"]) for name, row in sequence.items()}
        self.assertEqual(int(actions["RefuseWithoutUninstaller"]["Type"]), SHOW_ERROR_AND_END)
        refuse = sequence["RefuseWithoutUninstaller"]["Condition"]
        for part in ['REMOVE="ALL"', 'TARROWFORCE<>"1"', "NOT TARROW_UNINSTALLER",
                     "TARROW_SAVED_COPY"]:
            self.assertIn(part, refuse)
        self.assertLess(number["InstallInitialize"], number["RefuseWithoutUninstaller"])
        self.assertLess(number["RefuseWithoutUninstaller"], number["PutSettingsBack"])
        for name in ("PutSettingsBack", "PutSettingsBackForced"):
            self.assertIn("TARROW_UNINSTALLER", sequence[name]["Condition"])

    def test_the_uninstall_mark_goes_last_or_when_the_uninstall_rolls_back(self):
        _, system, _, _ = ARCHITECTURES[ARGS.arch]
        actions = {row["Action"]: row for row in self.rows("CustomAction")}
        sequence = {row["Action"]: row for row in self.rows("InstallExecuteSequence")}
        number = {name: int(row["Sequence"]) for name, row in sequence.items()}
        for name, rollback in [("ClearUninstallMark", False),
                               ("ClearUninstallMarkOnRollback", True)]:
            with self.subTest(action=name):
                kind = int(actions[name]["Type"])
                self.assertEqual(kind & BASE_TYPE_MASK, EXE_IN_FOLDER)
                self.assertEqual(actions[name]["Source"], system)
                self.assertIn("UninstallInProgress", actions[name]["Target"])
                self.assertTrue(kind & IN_SCRIPT and kind & NO_IMPERSONATE)
                self.assertEqual(bool(kind & ROLLBACK_ONLY), rollback)
                self.assertIn('REMOVE="ALL"', sequence[name]["Condition"])
        # The rollback action is in the script before rollback.exe runs; the
        # other is the script's last step.
        self.assertLess(number["ClearUninstallMarkOnRollback"], number["PutSettingsBack"])
        last = max((n, a) for a, n in number.items() if n < number["InstallFinalize"])[1]
        self.assertEqual(last, "ClearUninstallMark")

    def test_it_refuses_to_install_beside_the_setup_program(self):
        searches = {row["Signature_"]: row for row in self.rows("RegLocator")}
        setup = searches["SetupProgramEntry"]
        self.assertEqual(setup["Key"],
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarrow")
        conditions = {row["Condition"]: row["Description"] for row in self.rows("LaunchCondition")}
        self.assertIn("Tarrow-setup.exe", conditions["Installed OR NOT TARROW_SETUP_PROGRAM"])

    def test_the_setup_program_is_made_from_the_same_list(self):
        nsh = Path(ARGS.files).with_suffix(".nsh").read_text()
        listed = sorted((folder, name) for folder, body in
                        re.findall(r"!macro (\w+)FolderFiles Action\n(.*?)!macroend", nsh, re.S)
                        for name in re.findall(r'" "([^"]+)"\n', body))
        self.assertEqual(listed, installed_files())


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "bin", "files", "version")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
