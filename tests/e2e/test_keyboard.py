"""Tarrow.exe under Wine driven by the keyboard alone, as by someone who uses
no mouse or listens to a screen reader: every key goes in through SendInput
(win_probe), the mouse is never touched, and xdotool only finds windows and
takes the screenshot. From the intro through a speed-up chosen in the
settings window, its restore, the help window and a rating; the focus frame
on the main window, and what Active Accessibility reads of it."""

import shutil
import tempfile
import time
import unittest
from pathlib import Path

import e2e_args
import screen_pixels
import shutdown_places
import tarrow_session
from shutdown_places import SOUND_KEY
from tarrow_layout import HELP, INTRO, MAIN, MAIN_HOT_AREAS, PROGRAM, WORKING
from wine_desktop import Window, desktop_for

RATE = "Rate my current settings"
SPEED_UP = "Speed up shutdown"
RESTORE = "Restore original settings"
# The main window's tab stops that show, in their order, while no speed-up
# is in force and while one is.
OFFERED_IDLE = [RATE, SPEED_UP, "Exit", "About", "Help"]
OFFERED_APPLIED = [RATE, SPEED_UP, RESTORE, "Exit", "About", "Help"]
SOUND_BOX = "Remove  windows shutdown sound"
# How far outside a hot area its focus frame may change a pixel.
FRAME_MARGIN = 4

ARGS = None


class Keyboard(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_for(ARGS)

    def setUp(self):
        self.existing = tarrow_session.install_with_places(self.desktop, ARGS)
        self.shots = Path(tempfile.mkdtemp(prefix="tarrow-keyboard-"))

    def tearDown(self):
        self.desktop.end_all("Tarrow.exe")
        shutil.rmtree(self.shots, ignore_errors=True)

    # --- helpers
    def wait_for(self, size, caption, what, timeout=30.0):
        window = self.desktop.wait_for_client(*size, caption=caption, timeout=timeout)
        if window is None:
            self.fail(f"{what} does not show; {self.desktop.what_shows()}")
        return window

    def assert_gone(self, size, caption, what):
        self.assertTrue(self.desktop.wait_until_client_gone(*size, caption=caption),
                        f"{what} is still there; {self.desktop.what_shows()}")

    def assert_focus(self, text, where):
        if not self.desktop.wait_for_focus(text):
            self.fail(f"{where}: the focus is not on \"{text}\" but on "
                      f"{self.desktop.focused()}; {self.desktop.what_shows()}")

    def press(self, *keys):
        self.assertTrue(self.desktop.keys(*keys), f"SendInput types {keys}")

    def tab_to(self, text):
        reached, visited = self.desktop.tab_to(text)
        self.assertTrue(reached, f"Tab never reaches \"{text}\"; the focus went: {visited}")

    def warnings(self):
        return [w for w in self.desktop.client_windows_captioned("Warning")
                if w.class_name == "#32770"]

    def wait_for_warning(self, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and not self.warnings():
            time.sleep(0.2)
        self.assertTrue(self.warnings(), "Enter on \"Processoring\" shows the warning; "
                        + self.desktop.what_shows())

    def wait_for_rating(self, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            name, window = tarrow_session.rating_shown(self.desktop)
            if window is not None:
                return window
            time.sleep(0.2)
        self.fail("Enter on \"Rate my current settings\" shows no rating; "
                  + self.desktop.what_shows())

    def check_what_a_screen_reader_reads(self, offered):
        """The main window's shown children carry the hot areas' names, in
        the tab order, each focusable. The role and the default action are
        Wine's to give (its proxy says "client" and none): printed only."""
        children = self.desktop.accessible_children("Tarrow")
        self.assertIsNotNone(children, "the main window shows")
        shown = [answers for _, answers in children
                 if "invisible" not in answers.get("state", "").split()]
        for answers in shown:
            print(f"accessible {answers.get('name')!r}: role {answers.get('role')}, "
                  f"state {answers.get('state')}, default action {answers.get('action')}")
        self.assertEqual([answers.get("name") for answers in shown], offered,
                         f"the names a screen reader reads, in order: {children}")
        for answers in shown:
            self.assertIn("focusable", answers.get("state", "").split(), answers)

    def check_focus_frame(self, main):
        """Tab from the first hot area to the second: a picture of the main
        window taken before changes inside the second's rectangle, and
        nowhere far from it but where the first's frame may have been."""
        window = Window("", main.left, main.top, main.width, main.height, main.caption)
        plain = screen_pixels.settled_screenshot(self.desktop, window, self.shots / "plain.png")
        self.assertIsNotNone(plain, "a steady screenshot of the main window before any Tab")
        self.tab_to(SPEED_UP)
        screenshot = Path(ARGS.screenshot)
        framed = screen_pixels.settled_screenshot(self.desktop, window, screenshot)
        self.assertIsNotNone(framed, "a steady screenshot with the focus frame")
        self.assertTrue(screenshot.stat().st_size > 0, "the screenshot is written")
        changed = screen_pixels.changed_points(plain, framed, main.width)
        focused, left = MAIN_HOT_AREAS[SPEED_UP], MAIN_HOT_AREAS[RATE]
        self.assertTrue(any(screen_pixels.inside(point, focused) for point in changed),
                        f"the focus frame shows inside {SPEED_UP!r} {focused}")
        stray = [point for point in changed
                 if not screen_pixels.inside(point, focused, FRAME_MARGIN)
                 and not screen_pixels.inside(point, left, FRAME_MARGIN)]
        self.assertEqual(len(stray), 0, f"pixels changed far from the focused hot area, "
                         f"the first at {stray[:5]}; {self.desktop.what_shows()}")

    # --- the test
    def test_the_keyboard_alone_runs_a_speed_up_its_restore_help_and_a_rating(self):
        d = self.desktop
        before = shutdown_places.pairs(d)
        d.start(PROGRAM)
        self.wait_for(INTRO, "Tarrow", "the intro window", timeout=40)
        self.assert_focus("Start", "the intro as it shows")
        self.press("enter")
        main = self.wait_for(MAIN, "Tarrow", "the main window after Enter on the intro")
        self.assert_gone(INTRO, "Tarrow", "the intro window")
        self.assert_focus(RATE, "the main window as it shows")
        self.check_what_a_screen_reader_reads(OFFERED_IDLE)
        self.check_focus_frame(main)

        # The speed-up: the sound box ticked with Space, "Fast" reached from
        # "Powerful" with an arrow key, Enter on "Processoring" and on Retry.
        self.press("enter")
        self.wait_for(WORKING, "", f"the settings window after Enter on {SPEED_UP!r}")
        self.assert_focus(SOUND_BOX, "the settings window as it shows")
        self.press("space")
        self.tab_to("Powerful")
        self.press("down")
        self.assert_focus("Fast(Our recommend)", "Down from \"Powerful\"")
        self.tab_to("Processoring")
        self.press("enter")
        self.wait_for_warning()
        self.assert_focus("Retry", "the warning as it shows")
        self.assertIsNotNone(d.time_bar_after_keys("enter"),
                             "Enter on Retry runs the speed-up on the main window's bar")
        self.assert_gone(WORKING, "", "the settings window")
        self.assertEqual(self.warnings(), [], "the speed-up went ahead without a word")
        after = shutdown_places.pairs(d)
        self.assertEqual(after, {pair: "10" if pair[0] in self.existing else None
                                 for pair in after}, "\"Fast\" at every pair that exists")
        self.assertEqual(d.reg_default(SOUND_KEY), "", "Space ticked the box that silences it")
        self.check_what_a_screen_reader_reads(OFFERED_APPLIED)

        self.tab_to(RESTORE)
        self.assertIsNotNone(d.time_bar_after_keys("enter"),
                             "Enter on the restore runs it on the main window's bar")
        self.assertEqual(shutdown_places.pairs(d), before, "every saved text back exactly")

        self.tab_to("Help")
        self.press("enter")
        self.wait_for(HELP, "", "the help window after Enter on \"Help\"")
        self.assert_focus("Close", "the help window as it shows")
        self.press("esc")
        self.assert_gone(HELP, "", "the help window after Esc")
        self.assert_focus("Help", "the main window once the help window closed")

        self.tab_to(RATE)
        self.press("enter")
        rating = self.wait_for_rating()
        self.press("enter")
        self.assert_gone((rating.width, rating.height), "", "the rating window after Enter")


def main():
    global ARGS
    ARGS, argv = e2e_args.parse("arch", "prefix", "bin", "images", "scripts", "screenshot")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
