"""Window tests: the real zorkMIX.exe under Wine on Xvfb, driven by real keys and mouse clicks.

python3 test_windows.py --exe build/win/zorkMIX.exe --probe build/win/tests/window/zorkprobe.exe \
    --formcheck build/win/formcheck.exe --wine scripts/wine.sh --prefix build/win/wineprefix [unittest options]
"""
import argparse
import os
import re
import shutil
import string
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from controls import (ABOUT, ABOUT_IDS, ABOUT_IMAGE, ABOUT_OK, ABOUT_TITLE_LINE, BOTH, CANCEL, CS,  # noqa: E402
                      DASH, DIGITS, EN, FIRST, FRAME, GENERATE, LBL_LENGTH, LBL_PASSWD, LETTERS, LOWER, MAIN_IDS,
                      MAXIMUM, MINIMUM, NAMES, PASSWD, SPECIAL, UPPER)
from probeclient import copy_exe, private_clipboard  # noqa: E402
from zorkwin import App, Session, stop_wine  # noqa: E402

# The control each caption entry goes to, and the entries in both languages.
CAPTIONED = [FRAME, LETTERS, LOWER, UPPER, BOTH, DIGITS, SPECIAL, FIRST, LBL_LENGTH, LBL_PASSWD, GENERATE, CANCEL,
             ABOUT]
CZECH = ["Parametry hesla", "Použít &písmena", "jen &malé", "jen &velká", "malá &i velká", "Použít čí&sla",
         "Použít spe&ciální znaky", "Musí &začínat písmenem", "P&očet znaků hesla:", "&Heslo:", "&Generuj",
         "Storno", "O &aplikaci"]
ENGLISH = ["Parameters", "&Characters", "&lowercase", "&UPPERCASE", "&both", "&Numbers", "&Special characters",
           "Character &first", "Characters in passw&ord:", "&Password:", "&Generate", "Cancel", "&About"]

LOWERCASE, UPPERCASE, DIGIT_CHARS = string.ascii_lowercase, string.ascii_uppercase, string.digits
WS_EX_STATICEDGE = 0x20000

ARGS = SESSION = None


def setUpModule():
    global SESSION
    # The last run's logs of Xvfb, Wine and the probe, in the build folder rather than piling up in /tmp.
    logdir = os.path.join(os.path.dirname(ARGS.exe), "window-test-logs")
    shutil.rmtree(logdir, ignore_errors=True)
    os.makedirs(logdir)
    SESSION = Session(ARGS.wine, ARGS.prefix, ARGS.probe, logdir=logdir)


def tearDownModule():
    if SESSION:
        SESSION.close()


class WindowTest(unittest.TestCase):
    def start(self, exe=None, cwd=None, env=None):
        app = App(SESSION, exe or ARGS.exe, cwd=cwd, env=env)
        self.addCleanup(app.close)
        return app

    def temp_folder(self):
        folder = tempfile.mkdtemp(prefix="zork win ")  # a space in the path on purpose
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        return folder

    def generate(self, app, how="mouse"):
        """Presses Generate and returns the new password (successive passwords differ)."""
        before = app.password()
        app.press(app.main(), GENERATE, how)
        return app.wait(lambda: app.password() != before and app.password(), "a new password", timeout=30)

    def assert_password(self, password, alphabet, lengths=range(6, 11)):
        self.assertIn(len(password), lengths, password)
        self.assertEqual(set(password) - set(alphabet), set(), f"characters outside the pool in {password!r}")

    def toggle(self, app, index):
        """Clicks a check box, or an option not selected, and waits for its value to flip."""
        before = app.main().child(index)["check"]
        app.click(app.main().child(index))
        self.wait_check(app, index, 1 - before)

    def wait_check(self, app, index, value):
        app.wait(lambda: app.main().child(index)["check"] == value, f"control {NAMES[index]} at check {value}")

    def wait_focus(self, app, index):
        app.wait(lambda: app.main().focus_id() == index, f"focus on control {NAMES[index]}")

    def shown_about(self, app):
        # The window is visible before its activation has placed the focus: wait for both.
        def shown():
            about = app.about()
            return about and about.visible and about.focus == about.child(ABOUT_OK)["hwnd"] and about
        return app.wait_idle(app.wait(shown, "the About window shown with the focus on OK"))

    def hidden(self, app, about):
        app.wait(lambda: (a := app.about()) and not a.visible, "the About window hidden")
        self.assertTrue(app.main().enabled)
        self.assertEqual(app.about().hwnd, about.hwnd, "hiding keeps the window")


class StartupStateTest(WindowTest):
    def test_initial_state(self):
        app = self.start()
        main = app.main()
        self.assertEqual(main.title, "zorkMIX")
        self.assertEqual(main["class"], "#32770")
        left, top, right, bottom = main.client
        self.assertEqual((right - left, bottom - top), (440, 183), "client area at 96 dpi")
        wl, wt, wr, wb = main.rect
        self.assertLessEqual(abs((wl + wr) - 1024), 2, "centred horizontally on the 1024 x 768 screen")
        self.assertLessEqual(abs((wt + wb) - 768), 2, "centred vertically")
        self.assertEqual(sorted(c["id"] for c in main.children), sorted(MAIN_IDS.values()), "a control for each ID")

        # Each control's window class; a button's, its kind by the type in its style.
        kinds = {"static": [LBL_PASSWD, LBL_LENGTH, EN, CS, DASH], "edit": [PASSWD, MINIMUM, MAXIMUM],
                 "check": [LETTERS, DIGITS, SPECIAL, FIRST], "radio": [LOWER, UPPER, BOTH], "group": [FRAME],
                 "push": [GENERATE, CANCEL, ABOUT]}
        button_types = {0: "push", 1: "push", 2: "check", 3: "check", 5: "check", 4: "radio", 7: "group", 9: "radio"}
        for kind, ids in kinds.items():
            for c in map(main.child, ids):
                seen = button_types.get(c["style"] & 0xF) if c["class"].lower() == "button" else c["class"].lower()
                self.assertEqual(seen, kind, f"control {NAMES[c['id']]}")

        for i, caption in zip(CAPTIONED, CZECH):
            self.assertEqual(main.child(i)["text"], caption, f"caption of control {i}")
        self.assertEqual([main.child(i)["text"] for i in (EN, CS, DASH)], ["EN", "CS", "-"])
        self.assertTrue(main.child(EN)["visible"])
        self.assertFalse(main.child(CS)["visible"])
        self.assertTrue(all(c["visible"] for c in main.children if c["id"] != CS))
        self.assertTrue(all(c["enabled"] for c in main.children))

        checks = {LETTERS: 1, LOWER: 1, UPPER: 0, BOTH: 0, DIGITS: 1, SPECIAL: 0, FIRST: 0}
        self.assertEqual({i: main.child(i)["check"] for i in checks}, checks)
        self.assertEqual([main.child(i)["text"] for i in (PASSWD, MINIMUM, MAXIMUM)], ["", "6", "10"])
        self.assertEqual(main.focus_id(), PASSWD)
        for i in (PASSWD, MINIMUM, MAXIMUM):
            self.assertTrue(main.child(i)["exstyle"] & WS_EX_STATICEDGE, f"static edge on control {i}")
        self.assertFalse(main.child(LBL_PASSWD)["exstyle"] & WS_EX_STATICEDGE)


class GenerateTest(WindowTest):
    def test_pool_options_by_mouse(self):
        app = self.start()
        with open(os.path.join(os.path.dirname(ARGS.exe), "SpecChar.txt"), "rb") as f:  # its first line is the pool
            special = re.split(rb"\r\n|\r|\n", f.read(), maxsplit=1)[0].decode("cp1252")
        cases = [  # (option to select, boxes to toggle, allowed characters, characters that must show up)
            (None, [], LOWERCASE + DIGIT_CHARS, [LOWERCASE, DIGIT_CHARS]),
            (UPPER, [], UPPERCASE + DIGIT_CHARS, [UPPERCASE, DIGIT_CHARS]),
            (BOTH, [DIGITS], LOWERCASE + UPPERCASE, [LOWERCASE, UPPERCASE]),
            (None, [LETTERS, DIGITS], DIGIT_CHARS, [DIGIT_CHARS]),
            (None, [SPECIAL], DIGIT_CHARS + special, [DIGIT_CHARS] + ([special] if special else [])),
        ]
        for option, toggles, alphabet, present in cases:
            with self.subTest(option=option, toggles=toggles):
                if option is not None:
                    self.toggle(app, option)
                for i in toggles:
                    self.toggle(app, i)
                passwords = [self.generate(app) for _ in range(12)]
                for p in passwords:
                    self.assert_password(p, alphabet)
                joined = "".join(passwords)
                for chars in present:
                    self.assertTrue(set(joined) & set(chars), f"no character of {chars!r} in {passwords}")
                self.assertGreater(len({len(p) for p in passwords}), 1, "lengths vary between 6 and 10")

    def test_enter_in_a_length_box_generates_with_the_typed_lengths(self):
        app = self.start()
        app.type_into(PASSWD, "typed 1")  # the box is editable; Generate replaces the whole text
        app.type_into(MINIMUM, "12")
        app.type_into(MAXIMUM, "12")
        self.assertEqual(app.main().focus_id(), MAXIMUM)
        password = self.generate(app, how="Return")
        self.assert_password(password, LOWERCASE + DIGIT_CHARS, lengths=[12])

    def test_longest_password_shows_whole(self):
        app = self.start()
        app.type_into(MINIMUM, "32767")
        app.type_into(MAXIMUM, "32767")
        password = self.generate(app)
        self.assert_password(password, LOWERCASE + DIGIT_CHARS, lengths=[32767])
        self.assertEqual(set(password), set(LOWERCASE + DIGIT_CHARS), "every character of the pool is drawn")

        # Typing and pasting also go past the text box's default limit of 30000 characters.
        app.select_text(PASSWD)
        app.keys(app.main(), "End", "z")
        app.wait(lambda: app.password() == password + "z", "a character typed at the end")
        app.keys(app.main(), "Home", "shift+End", "ctrl+c", "End", "ctrl+v")
        app.wait(lambda: app.password() == (password + "z") * 2, "the whole text pasted at its end", timeout=30)

    def test_first_character_rule(self):
        app = self.start()
        self.toggle(app, FIRST)
        passwords = [self.generate(app) for _ in range(40)]
        for p in passwords:
            self.assert_password(p, LOWERCASE + DIGIT_CHARS)
        self.assertEqual([p for p in passwords if p[0].isdigit()], [], "a password began with a digit")
        self.assertTrue(any(c.isdigit() for p in passwords for c in p), "digits are still drawn")

        # Without letters the rule's box is disabled but stays checked, and no longer applies.
        self.toggle(app, LETTERS)
        app.wait(lambda: not app.main().child(FIRST)["enabled"], "the rule disabled")
        self.assertEqual(app.main().child(FIRST)["check"], 1)
        for _ in range(3):
            self.assert_password(self.generate(app), DIGIT_CHARS)


class KeyboardTest(WindowTest):
    def press_and_track_focus(self, app, key, expected):
        for index in expected:
            app.keys(app.main(), key)
            self.wait_focus(app, index)

    def test_tab_order(self):
        app = self.start()
        forward = [MINIMUM, MAXIMUM, LETTERS, LOWER, DIGITS, SPECIAL, FIRST, GENERATE, CANCEL, ABOUT, PASSWD]
        self.press_and_track_focus(app, "Tab", forward)
        self.press_and_track_focus(app, "shift+Tab", forward[::-1][1:] + [PASSWD])

        # The arrow keys move within the option group, wrapping at its ends, and select; Tab then
        # stops at the selected one.
        app.keys(app.main(), "Tab", "Tab", "Tab", "Tab")
        self.wait_focus(app, LOWER)
        for key, index in [("Right", UPPER), ("Right", BOTH), ("Right", LOWER), ("Left", BOTH)]:
            app.keys(app.main(), key)
            self.wait_focus(app, index)
            self.wait_check(app, index, 1)
        self.assertEqual([app.main().child(i)["check"] for i in (LOWER, UPPER, BOTH)], [0, 0, 1])
        self.press_and_track_focus(app, "shift+Tab", [LETTERS])
        self.press_and_track_focus(app, "Tab", [BOTH, DIGITS])

        # Disabled controls are skipped.
        app.click(app.main().child(LETTERS))
        app.wait(lambda: not app.main().child(BOTH)["enabled"], "options disabled")
        self.press_and_track_focus(app, "alt+h", [PASSWD])
        self.press_and_track_focus(app, "Tab", [MINIMUM, MAXIMUM, LETTERS, DIGITS, SPECIAL, GENERATE, CANCEL, ABOUT,
                                                PASSWD])

    def check_access_keys(self, app, toggles, options, focus_keys, generate_key):
        for key, index in toggles:
            with self.subTest(key=key):
                before = app.main().child(index)["check"]
                app.keys(app.main(), key)
                self.wait_check(app, index, 1 - before)
                app.keys(app.main(), key)
                self.wait_check(app, index, before)
        for key, index in options:
            with self.subTest(key=key):
                app.keys(app.main(), key)
                self.wait_check(app, index, 1)
                others = [i for i in (LOWER, UPPER, BOTH) if i != index]
                self.assertEqual([app.main().child(i)["check"] for i in others], [0, 0])
        for key, index in focus_keys:
            with self.subTest(key=key):
                app.click(app.main().child(MAXIMUM))
                self.wait_focus(app, MAXIMUM)
                app.keys(app.main(), key)
                self.wait_focus(app, index)
        with self.subTest(key=generate_key):
            self.assert_password(self.generate(app, how=generate_key), LOWERCASE + DIGIT_CHARS)

    def test_access_keys_in_czech(self):
        app = self.start()
        self.check_access_keys(
            app, toggles=[("alt+s", DIGITS), ("alt+c", SPECIAL), ("alt+z", FIRST), ("alt+p", LETTERS)],
            options=[("alt+v", UPPER), ("alt+i", BOTH), ("alt+m", LOWER)],
            focus_keys=[("alt+h", PASSWD), ("alt+o", MINIMUM)], generate_key="alt+g")

    def test_access_keys_in_english(self):
        app = self.start()
        app.click(app.main().child(EN))
        app.wait(lambda: app.main().child(GENERATE)["text"] == "&Generate", "English captions")
        self.check_access_keys(
            app, toggles=[("alt+n", DIGITS), ("alt+s", SPECIAL), ("alt+f", FIRST), ("alt+c", LETTERS)],
            options=[("alt+u", UPPER), ("alt+b", BOTH), ("alt+l", LOWER)],
            focus_keys=[("alt+p", PASSWD), ("alt+o", MINIMUM)], generate_key="alt+g")

    def test_enter_on_another_button_presses_that_button(self):
        app = self.start()
        self.press_and_track_focus(app, "shift+Tab", [ABOUT])
        app.keys(app.main(), "Return")
        about = self.shown_about(app)
        self.assertEqual(app.password(), "", "Enter on About must not generate")
        app.keys(about, "Escape")
        self.hidden(app, about)


class LanguageTest(WindowTest):
    def captions(self, app):
        main = app.main()
        return [main.child(i)["text"] for i in CAPTIONED]

    def values(self, app):
        main = app.main()
        return [(c["id"], c["check"], c["enabled"]) for c in main.children] + [
            main.child(i)["text"] for i in (PASSWD, MINIMUM, MAXIMUM, DASH, EN, CS)]

    def test_switch_to_english_and_back_keeps_every_value(self):
        app = self.start()
        # Move away from the start values so that a reset would show.
        app.type_into(MINIMUM, "7")
        self.toggle(app, UPPER)
        self.toggle(app, SPECIAL)
        self.toggle(app, FIRST)
        self.generate(app)
        before = self.values(app)

        for label, captions, shown, hidden in [(EN, ENGLISH, CS, EN), (CS, CZECH, EN, CS)]:
            with self.subTest(click=app.main().child(label)["text"]):
                app.click(app.main().child(label))
                app.wait(lambda: self.captions(app) == captions, f"captions {captions[0]!r}...")
                main = app.main()
                self.assertTrue(main.child(shown)["visible"])
                self.assertFalse(main.child(hidden)["visible"])
                self.assertEqual(main.title, "zorkMIX")
                self.assertEqual(self.values(app), before)


class OptionRuleTest(WindowTest):
    def enabled(self, app):
        return {c["id"]: c["enabled"] for c in app.main().children}

    def test_letters_enable_the_case_options_and_the_rule(self):
        app = self.start()
        self.toggle(app, BOTH)
        self.toggle(app, FIRST)
        all_on = self.enabled(app)
        self.assertTrue(all(all_on.values()))

        self.toggle(app, LETTERS)
        app.wait(lambda: not app.main().child(FIRST)["enabled"], "the rule disabled")
        off = {i: i not in (LOWER, UPPER, BOTH, FIRST) for i in MAIN_IDS.values()}
        self.assertEqual(self.enabled(app), off)
        checks = [app.main().child(i)["check"] for i in (LOWER, UPPER, BOTH, FIRST)]
        self.assertEqual(checks, [0, 0, 1, 1], "disabling keeps the values")

        # A disabled box takes no click; the other boxes change no enabled state.
        app.click(app.main().child(FIRST))
        for i in (DIGITS, SPECIAL):
            self.toggle(app, i)
            self.assertEqual(self.enabled(app), off)
        self.assertEqual(app.main().child(FIRST)["check"], 1)

        self.toggle(app, LETTERS)
        app.wait(lambda: self.enabled(app) == all_on, "all controls enabled again")
        self.assertEqual([app.main().child(i)["check"] for i in (LOWER, UPPER, BOTH, FIRST)], [0, 0, 1, 1])
        for i in (FIRST, DIGITS, SPECIAL):
            self.toggle(app, i)
            self.assertEqual(self.enabled(app), all_on)


class ClickTest(WindowTest):
    def test_box_circle_and_caption_take_their_own_clicks(self):
        app = self.start()
        toggles = [LETTERS, DIGITS, SPECIAL, FIRST]
        # Each option is clicked while another one is selected, on its circle and on its caption.
        cases = [(UPPER, "box"), (LOWER, "caption"), (BOTH, "box"), (UPPER, "caption"), (LOWER, "box"),
                 (BOTH, "caption")] + [(i, where) for i in toggles for where in ("box", "caption")]
        controls = toggles + [LOWER, UPPER, BOTH]
        left, _, right, _ = app.main().client
        pixels = (right - left) / 440  # per pixel at 96 dpi
        for index, where in cases:
            with self.subTest(control=app.main().child(index)["text"], where=where):
                before = {i: app.main().child(i)["check"] for i in controls}
                expected = dict(before)
                if index in toggles:
                    expected[index] = 1 - before[index]
                else:
                    expected.update({i: int(i == index) for i in (LOWER, UPPER, BOTH)})
                # The box or circle lies at the left edge; the caption starts after it.
                app.click(app.main().child(index), from_left=round((3 if where == "box" else 24) * pixels))
                app.wait(lambda: {i: app.main().child(i)["check"] for i in controls} == expected,
                         f"only control {index} changed", timeout=3)


class InProcessTest(WindowTest):
    def test_fonts_captions_and_names_at_96_and_144_dpi(self):
        """formcheck.exe checks inside its own process what the probe cannot see from outside, on a
        Western and on a Czech Windows (ZORK_LOCALE: its locale and Central European raster fonts).
        A Western Windows at 96 dpi is tests/native_checks.py's run of it."""
        cases = [("", 144, "-144dpi"), ("cs_CZ.UTF-8", 96, "-cs"), ("cs_CZ.UTF-8", 144, "-cs-144dpi")]
        for locale, dpi, suffix in cases:
            with self.subTest(locale=locale, dpi=dpi):
                env = dict(SESSION.env, WINEPREFIX=ARGS.prefix + suffix, ZORK_DPI=str(dpi), ZORK_LOCALE=locale)
                log = os.path.join(SESSION.logdir, f"formcheck{suffix}.log")
                try:
                    with open(log, "wb") as out:
                        code = subprocess.run([SESSION.wine, ARGS.formcheck], env=env, stdin=subprocess.DEVNULL,
                                              stdout=out, stderr=subprocess.STDOUT, timeout=300).returncode
                finally:
                    stop_wine(env)  # the prefix of this case, not the session's
                with open(log, encoding="utf-8", errors="replace") as f:
                    self.assertEqual(code, 0, f.read())


class AboutTest(WindowTest):
    def check_about(self, app, about):
        main = app.main()
        self.assertEqual(about["class"], "#32770")
        self.assertEqual(about.owner, main.hwnd)
        self.assertFalse(main.enabled, "the main window is disabled while About shows")
        self.assertEqual(sorted(c["id"] for c in about.children), sorted(ABOUT_IDS.values()))
        self.assertEqual(about.child(ABOUT_TITLE_LINE)["text"], "zorkMIX 1.00")
        self.assertEqual(about.child(ABOUT_OK)["text"], "OK")
        self.assertEqual(about.child(ABOUT_IMAGE)["class"].lower(), "static")
        left, top, right, bottom = about.client
        self.assertEqual((right - left, bottom - top), (344, 122))
        ml, mt, mr, mb = main.rect
        al, at, ar, ab = about.rect
        self.assertLessEqual(abs((al + ar) - (ml + mr)), 2, "centred over the main window")
        self.assertLessEqual(abs((at + ab) - (mt + mb)), 2, "centred over the main window")

    def test_modal_window_shown_hidden_and_reused(self):
        # That the main window comes to the front again, before another program's, the native checks check.
        app = self.start()
        app.click(app.main().child(ABOUT))
        about = self.shown_about(app)
        self.check_about(app, about)

        # The main window takes no clicks and no keys; Enter in About then hides it.
        main = app.main()
        app.click(main.child(GENERATE))
        app.click(main.child(SPECIAL))
        app.keys(main, "alt+s")
        app.keys(about, "Return")
        self.hidden(app, about)
        main = app.main()
        self.assertEqual(main.child(PASSWD)["text"], "")
        self.assertEqual([main.child(i)["check"] for i in (DIGITS, SPECIAL)], [1, 0])

        for show, dismiss in [("alt+a", "Escape"), ("mouse", "mouse")]:
            with self.subTest(show=show, dismiss=dismiss):
                app.press(app.main(), ABOUT, show)
                again = self.shown_about(app)
                self.assertEqual(again.hwnd, about.hwnd, "a second showing reuses the window")
                self.check_about(app, again)
                app.press(again, ABOUT_OK, dismiss)
                self.hidden(app, about)

        # Closing it (Alt+F4, as the close box) destroys it; the next showing creates it anew.
        app.keys(app.main(), "alt+a")
        app.keys(self.shown_about(app), "alt+F4")
        app.wait(lambda: app.about() is None, "the About window destroyed")
        self.assertTrue(app.main().enabled)
        app.wait(lambda: app.main().foreground, "the main window active again")  # for the next click
        app.click(app.main().child(ABOUT))
        fresh = self.shown_about(app)
        self.assertNotEqual(fresh.hwnd, about.hwnd)
        self.check_about(app, fresh)
        app.click(fresh.child(ABOUT_OK))
        self.hidden(app, fresh)

        # The main window works as before.
        self.assert_password(self.generate(app), LOWERCASE + DIGIT_CHARS)

    def test_about_ignores_the_language(self):
        app = self.start()
        app.click(app.main().child(EN))
        app.wait(lambda: app.main().child(ABOUT)["text"] == "&About", "English captions")
        app.click(app.main().child(ABOUT))
        about = self.shown_about(app)
        self.assertEqual(about.title, "O aplikaci")
        self.check_about(app, about)
        app.keys(about, "Escape")
        self.hidden(app, about)


class ProgramEndTest(WindowTest):
    def test_ways_to_end(self):
        # "mouse" clicks Cancel; the others are keys.
        for about_first, how in [(False, "Escape"), (False, "mouse"), (False, "alt+F4"), (True, "Escape"),
                                 (True, "mouse")]:
            with self.subTest(how, after_about=about_first):
                app = self.start()
                if about_first:
                    app.keys(app.main(), "alt+a")
                    about = self.shown_about(app)
                    app.keys(about, "Return")
                    self.hidden(app, about)
                app.press(app.main(), CANCEL, how)
                self.assertEqual(app.wait_exit(), 0)


class ErrorTest(WindowTest):
    def close_report(self, app, report):
        app.keys(report, "Return")
        app.wait(lambda: app.report() is None, "the error report closed")

    def test_overflow_is_reported_and_changes_nothing(self):
        app = self.start()
        password = self.generate(app)
        for minimum, maximum in [("0", "32767"), ("99999", "10"), ("-32768", "0")]:
            with self.subTest(minimum=minimum, maximum=maximum):
                app.type_into(MINIMUM, minimum)
                app.type_into(MAXIMUM, maximum)
                before = app.main().values()
                app.click(app.main().child(GENERATE))
                report = app.wait(app.report, "the error report")
                self.assertRegex(report.text(), r"\b6\b")
                self.assertIn("overflow", report.text().lower())
                self.assertEqual(app.password(), password)
                self.close_report(app, report)
                main = app.main()
                self.assertTrue(main.visible and main.enabled)
                self.assertEqual(main.values(), before)
                # Valid lengths again: Generate works as before.
                app.type_into(MINIMUM, "6")
                app.type_into(MAXIMUM, "10")
                password = self.generate(app)
                self.assert_password(password, LOWERCASE + DIGIT_CHARS)

    def test_no_secure_random_ends_the_program_without_a_password(self):
        # bcrypt.dll missing, and a stand-in in the system folder whose BCryptGenRandom fails.
        system_bcrypt = os.path.join(ARGS.prefix, "drive_c", "windows", "system32", "bcrypt.dll")
        for name, override, stand_in in [("missing", "bcrypt=d", None), ("failing", "bcrypt=n", ARGS.failing_bcrypt)]:
            with self.subTest(name):
                if stand_in:
                    shutil.copy2(system_bcrypt, system_bcrypt + ".wine")
                    self.addCleanup(os.replace, system_bcrypt + ".wine", system_bcrypt)
                    shutil.copy2(stand_in, system_bcrypt)
                app = self.start(env={"WINEDLLOVERRIDES": override})
                app.click(app.main().child(GENERATE))
                report = app.wait(app.report, "the error report")
                self.assertRegex(report.text(), r"\b1001\b")
                self.assertIn("secure random", report.text().lower())
                self.assertEqual(app.password(), "")
                self.close_report(app, report)
                self.assertEqual(app.wait_exit(), 1001 % 256, "Wine hands on the exit code's low 8 bits")

    def test_special_characters_come_from_beside_the_exe(self):
        folder = self.temp_folder()
        elsewhere = self.temp_folder()
        with open(os.path.join(elsewhere, "SpecChar.txt"), "wb") as f:
            f.write(b"%\r\n")
        # Notepad's UTF-8 without a mark, NUL bytes, and a character beyond 16 bits.
        for content, pool in [(b"#\r\n!", "#"), (b"\r\n", ""), ("€§ř\r\n".encode(), "€§ř"),
                              (b"a\0b\0c\r\n", "abc"), ("😀!".encode(), "😀!")]:
            with self.subTest(content=content):
                app = self.start(copy_exe(ARGS.exe, folder, content), cwd=elsewhere)
                for i in (LETTERS, DIGITS, SPECIAL):
                    self.toggle(app, i)
                app.click(app.main().child(GENERATE))
                if pool:
                    password = app.wait(app.password, "a password")
                    self.assert_password(password, pool)
                else:
                    # Nothing to draw from: the box stays empty; Generate again after letters proves it ran.
                    self.toggle(app, LETTERS)
                    self.assert_password(self.generate(app), LOWERCASE)
                    self.toggle(app, LETTERS)
                    app.click(app.main().child(GENERATE))
                    app.wait(lambda: app.password() == "", "the box emptied")
                app.keys(app.main(), "Escape")
                self.assertEqual(app.wait_exit(), 0)


class DesktopTest(WindowTest):
    """The keys and the context menu; the copy by message is the native checks'."""

    def context_menu(self, app, item_key):
        """Right-click in the password box and choose the item by its access key, as Wine's edit
        menu has them in the suite's English prefix ("c" Copy, "t" Cut)."""
        app.click(app.main().child(PASSWD), button=3)
        app.wait_idle(app.wait(lambda: next((w for w in app.windows() if w["class"] == "#32768" and w.visible), None),
                               "the context menu"))
        SESSION.xdotool("key", item_key)

    def test_every_way_to_copy_or_cut_keeps_the_password_out_of_clipboard_history(self):
        app = self.start()
        for way, cut in [("ctrl+c", False), ("ctrl+Insert", False), ("menu c", False),
                         ("ctrl+x", True), ("shift+Delete", True), ("menu t", True)]:
            with self.subTest(way):
                password = self.generate(app)
                SESSION.probe.clear_clipboard()
                app.select_text(PASSWD)
                if way.startswith("menu"):
                    self.context_menu(app, way.split()[1])
                else:
                    SESSION.xdotool("key", way)
                private_clipboard(SESSION.probe, password)
                app.wait(lambda: app.password() == ("" if cut else password), "the box after the copy")

    def test_a_busy_clipboard_loses_nothing(self):
        app = self.start()
        password = self.generate(app)
        SESSION.probe.clear_clipboard()
        app.select_text(PASSWD)
        self.assertTrue(SESSION.probe("hold-clipboard")["ok"])
        try:
            for way in ("ctrl+x", "ctrl+c"):
                SESSION.xdotool("key", way)
                app.wait_idle(app.main())
                self.assertEqual(app.password(), password, way)
        finally:
            SESSION.probe("release-clipboard")
        self.assertEqual(SESSION.probe.clipboard()["formats"], [])
        # Nothing selected: a copy leaves the clipboard as it was.
        SESSION.xdotool("key", "End", "ctrl+c")
        app.wait_idle(app.main())
        self.assertEqual(SESSION.probe.clipboard()["formats"], [])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--exe", "--probe", "--wine", "--prefix", "--formcheck", "--failing-bcrypt"):
        parser.add_argument(name, required=True, type=os.path.abspath)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
