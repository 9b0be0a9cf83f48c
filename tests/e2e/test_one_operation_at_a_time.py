"""Tarrow's operations under Wine never run two at once: two Tarrow.exe
applying at nearly the same time leave one saved copy of the values from
before, which an uninstall brings back; while another operation holds the
machine-wide lock, Tarrow's apply refuses with a box and rollback.exe waits,
then gives up with its own code; and while an uninstall is removing Tarrow,
the apply refuses."""

import subprocess
import time
import unittest

import e2e_args
import tarrow_session
from tarrow_layout import COMMAND1, OPTION2, WORKING
from wine_desktop import desktop_for

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
HKU_DEFAULT_DESKTOP = r"HKU\.DEFAULT\Control Panel\Desktop"
TARROW_KEY = r"HKLM\Software\Tarrow"
INSTALLED = r"C:\windows\system32\images\rollback.exe"
LOCK = r"C:\windows\system32\Tarrow.lock"
# rollback.exe's exit codes.
RESTORED = 0
ANOTHER_OPERATION_RUNS = 6
# What the test puts at a few places before anything runs.
BEFORE = {
    (HKCU_DESKTOP, "HungAppTimeout"): "5000",
    (HKCU_DESKTOP, "WaitToKillAppTimeout"): "20000",
    (HKU_DEFAULT_DESKTOP, "HungAppTimeout"): "4000",
    (HKU_DEFAULT_DESKTOP, "WaitToKillServiceTimeout"): "3000",
}

ARGS = None


class OneOperationAtATime(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_for(ARGS)
        cls.system32 = cls.desktop.system32()

    def setUp(self):
        d = self.desktop
        for program in ("Tarrow.exe", "rollback.exe", "win_probe.exe"):
            d.end_all(program)
        tarrow_session.install_afresh(d, ARGS.scripts, ARGS.bin, ARGS.images)
        d.reg_delete(TARROW_KEY)
        d.reg_delete(r"HKCU\Consol")
        d.reg_delete(HKCU_DESKTOP, "Beforce")
        for (key, name), text in BEFORE.items():
            d.reg_set(key, name, text)

    def tearDown(self):
        for program in ("Tarrow.exe", "rollback.exe", "win_probe.exe"):
            self.desktop.end_all(program)

    def values(self):
        return {place: self.desktop.reg_text(*place) for place in BEFORE}

    def hold_lock(self, seconds):
        """win_probe holding the operations' lock, as another operation
        would, once it says so."""
        d = self.desktop
        holder = subprocess.Popen([d.loader, str(d.probe_path), "hold", LOCK, str(seconds)],
                                  env=d.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.kill)
        self.assertEqual(holder.stdout.readline().strip(), "holding")
        return holder

    def press_processoring(self, main, option=None):
        working = tarrow_session.open_settings(self.desktop, main)
        if option:
            self.desktop.click_client(working, *option)
        self.desktop.click_client(working, *COMMAND1)
        self.assertTrue(self.desktop.press("Warning", "Retry"))

    def test_a_held_lock_makes_the_apply_refuse_and_then_lets_it_go_on(self):
        d = self.desktop
        holder = self.hold_lock(30)
        main = tarrow_session.open_main_window(d)
        started = time.monotonic()
        self.press_processoring(main, OPTION2)
        watch = d.watch_for_caption("Warning", 15)
        self.assertTrue(watch.seen(), "a box says another operation runs")
        self.assertLess(time.monotonic() - started, 10, "after a wait of about 3 s")
        self.assertTrue(d.press("Warning", "OK"))
        self.assertEqual(self.values(), BEFORE, "nothing was changed")
        self.assertFalse((self.system32 / "informationS.dat").exists())

        holder.kill()
        holder.wait(timeout=15)
        self.press_processoring(main, OPTION2)
        self.assertTrue(d.wait_until_client_gone(*WORKING, caption=""))
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and d.reg_text(HKCU_DESKTOP, "HungAppTimeout") != "10":
            time.sleep(0.5)
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10", "then it applies")

    def test_b_rollback_waits_for_the_lock_and_gives_up_with_its_code(self):
        d = self.desktop
        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        d.end_all("Tarrow.exe")

        # Let go within the wait: rollback.exe then puts everything back.
        self.hold_lock(5)
        self.assertEqual(d.start(INSTALLED).wait(timeout=90), RESTORED)
        self.assertEqual(self.values(), BEFORE)
        # What the package would remove once it has removed the program.
        d.reg_delete(TARROW_KEY, "UninstallInProgress")

        main = tarrow_session.open_main_window(d)
        tarrow_session.apply(d, main, OPTION2)
        d.end_all("Tarrow.exe")
        holder = self.hold_lock(80)
        started = time.monotonic()
        self.assertEqual(d.start(INSTALLED).wait(timeout=90), ANOTHER_OPERATION_RUNS)
        self.assertGreater(time.monotonic() - started, 55, "it waited about a minute")
        self.assertEqual(d.reg_text(HKCU_DESKTOP, "HungAppTimeout"), "10", "nothing written")
        self.assertTrue((self.system32 / "informationS.dat").exists(), "the copy stays")
        holder.kill()
        holder.wait(timeout=15)
        self.assertEqual(d.start(INSTALLED).wait(timeout=90), RESTORED)
        self.assertEqual(self.values(), BEFORE)

    def test_c_while_an_uninstall_removes_tarrow_the_apply_refuses(self):
        d = self.desktop
        self.assertEqual(d.start(INSTALLED).wait(timeout=30), RESTORED, "nothing to put back")
        self.assertIsNotNone(d.reg_text(TARROW_KEY, "UninstallInProgress"),
                             "rollback.exe leaves its mark for the package to remove")
        main = tarrow_session.open_main_window(d)
        self.press_processoring(main, OPTION2)
        self.assertTrue(d.watch_for_caption("Warning", 15).seen())
        self.assertTrue(d.press("Warning", "OK"))
        self.assertEqual(self.values(), BEFORE, "nothing was changed")

    def test_d_two_tarrows_applying_at_once_keep_the_values_from_before(self):
        d = self.desktop
        # Each instance's settings window comes over the other's: both
        # "Processoring" buttons are pressed through Windows, not the mouse.
        for _ in range(2):
            main = tarrow_session.open_main_window(d)
            tarrow_session.open_settings(d, main)
        self.assertEqual(d.probe("press-all", "", "Processoring"), (0, "2\n"))
        # Both warnings are up: Retry in one, a few hundred ms later in the
        # other, while the first apply still runs.
        self.assertTrue(d.press("Warning", "Retry"))
        time.sleep(0.3)
        self.assertTrue(d.press("Warning", "Retry"))
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and d.client_windows_captioned("Warning"):
            time.sleep(0.5)
        time.sleep(5)  # the second apply, after its wait for the first
        self.assertEqual(d.client_windows_captioned("Warning"), [], "neither refused")
        d.end_all("Tarrow.exe")
        self.assertEqual(self.values(), {place: "10" for place in BEFORE})

        self.assertEqual(d.start(INSTALLED).wait(timeout=90), RESTORED)
        self.assertEqual(self.values(), BEFORE, "the saved copy held the values from before")


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
