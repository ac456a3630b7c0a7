#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One whole lesson in the real program, driven by real clicks and keys (xdotool), read through the
accessibility tree (AT-SPI) as a screen reader reads it, and heard at a PulseAudio server of its own.
It runs under a window manager, as on every desktop; with --gtk-font, under Qt's GTK theme with that font.
Usage: xvfb-run -a dbus-run-session -- /usr/bin/python3 -u lesson_e2e.py VANTREL TONE_MP3 (3.0 s of 440 Hz)
       [--gtk-font "Cantarell 16"]"""

import argparse, contextlib, os, pathlib, shutil, subprocess, sys, tempfile, time
import pyatspi
from pyatspi import (ROLE_ALERT, ROLE_APPLICATION, ROLE_COMBO_BOX, ROLE_DIALOG, ROLE_FRAME, ROLE_LABEL, ROLE_PANEL,
                     ROLE_PUSH_BUTTON, ROLE_RADIO_BUTTON, ROLE_SLIDER, ROLE_TEXT, STATE_ACTIVE, STATE_CHECKED,
                     STATE_ENABLED, STATE_EXPANDED, STATE_FOCUSED, STATE_SHOWING)

TIMEOUT = 15.0  # seconds for one thing to appear; a step normally takes well under one
RATE = 22050  # recorded samples a second, mono 16-bit
SECOND = "The whole town came to see it."
# Slots 1 and 2 present, both sounding the tone (the lesson takes slot 2); slot 3 has a title but
# no sound name, so start-up leaves it "unavailable" and the first return to the menu shows its title.
STORIES = {1: ("NEWS01", "Harbour lights come back", "", []),
           2: ("NEWS02", "Tom & Ada win the cup",
               "Tom & Ada, two young players from Wrenfield, won the town cup on Sunday "
               "after a long final that went on until the evening. " + SECOND,
               [("Who won the cup?", ["Tom & Ada", "Their teacher", "Nobody"], 0),
                ("Where are they from?", ["Pellmouth", "Wrenfield", "Stoneleigh"], 1),
                ("When was the final?", ["On Monday", "On Friday", "On Sunday"], 2)]),
           3: ("", "A story without sound", "", [])}
MENU, CHOOSE = "Vantrel: Choose a Story", "Choose a news story:"  # MENU: the lesson window's title, in a lesson too
PROMPTS = ["Listen to the story three times.", "Listen two more times.",
           "Listen one more time.", "Now try to answer the questions."]
HELP = ("Choose a news story.\nListen to the story three times.\nAnswer the questions correctly.\n"
        "Read the text that goes with the story.\nChoose another story and continue.")
STARTED = time.monotonic()


def expect(condition, message, *args):
    if not condition:
        raise AssertionError(message % args)


def write_library(folder, tone):
    lines = []
    for audio, title, text, questions in (STORIES.get(slot, ("", "", "", [])) for slot in range(1, 13)):
        block = [audio, title, text]
        for question, answers, right in questions:
            block += [question] + [line for i, answer in enumerate(answers) for line in (answer, "*" * (i == right))]
        lines += block + [""] * (24 - len(block))
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    # Only 8860 to 8868 bytes are taken: pad after line 288.
    (folder / "vtl.txt").write_bytes(data + b" " * (8862 - len(data)) + b"\r\n")
    for audio in ("NEWS01", "NEWS02"):
        shutil.copy(tone, folder / (audio + ".MP3"))
    # Story 2's two sentences timed on the tone, the second ending before it does.
    first = STORIES[2][2][:-len(SECOND) - 1]
    (folder / "NEWS02.vtt").write_text("WEBVTT\n\n00:00.000 --> 00:01.500\n%s\n\n00:01.500 --> 00:02.500\n%s\n"
                                       % (first, SECOND))


def stretches(path):
    """The stretches of sound recorded (RMS of 5 ms above 300, gaps under 60 ms joined), each as
    (start s, length s, Hz from zero crossings away from its 0.1 s edges, RMS away from them)."""
    raw = path.read_bytes()
    data, window, edge, spans = memoryview(raw[:len(raw) // 2 * 2]).cast("h"), RATE // 200, RATE // 10, []
    for at in range(0, len(data) - window + 1, window):
        loud = sum(v * v for v in data[at:at + window]) >= 300 * 300 * window
        if loud and spans and at - spans[-1][1] <= RATE * 60 // 1000:
            spans[-1][1] = at + window
        elif loud:
            spans.append([at, at + window])
    inner = [data[begin + edge:end - edge] for begin, end in spans]
    return [(begin / RATE, (end - begin) / RATE, sum((a < 0) != (b < 0) for a, b in zip(i, i[1:])) / 2 / (len(i) / RATE)
             if i else 0, (sum(v * v for v in i) / len(i)) ** 0.5 if i else 0) for (begin, end), i in zip(spans, inner)]


def children(acc):
    return [child for child in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if child is not None]


def has(acc, state):
    return acc.getState().contains(state)


def seen(acc, showing=True):
    """acc and all below it as (role, name, object); with showing, only what is on screen (not below a hidden one)."""
    if showing and acc.getRole() != ROLE_APPLICATION and not has(acc, STATE_SHOWING):
        return []
    return [(acc.getRole(), acc.name, acc)] + [item for child in children(acc) for item in seen(child, showing)]


def find(on, role, name=None):
    return [a for r, n, a in on if r == role and name in (None, n)]


def one(on, role, name, enabled=None):
    found = find(on, role, name)
    expect(len(found) == 1 and enabled in (None, has(found[0], STATE_ENABLED)), "%d %s %r on screen, expected "
           "one%s", len(found), role, name, {True: " enabled", False: " disabled"}.get(enabled, ""))
    return found[0]


def options(on, panel):
    frame = one(on, ROLE_PANEL, panel)
    return frame, find(seen(frame, False), ROLE_RADIO_BUTTON)


def tops(app, title):
    return [w for w in children(app) if has(w, STATE_SHOWING) and w.name == title]


class Lesson:
    """The sound server, its recorder and the program; the lesson step by step, with what must be at each."""

    def __init__(self, work, gtk_font=None):
        self.work, self.procs, self.recording, self.sound = work, [], work / "heard.raw", "unix:%s/runtime/pa" % work
        # Private runtime and cache folders keep the accessibility bus and the sound server apart.
        (work / "runtime").mkdir(0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in (
            "WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "AT_SPI_BUS_ADDRESS")}
        self.env.update(XDG_RUNTIME_DIR=str(work / "runtime"), XDG_CACHE_HOME=str(work / "cache"), HOME=str(work),
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", QT_STYLE_OVERRIDE="Fusion",
                        LC_ALL="C.UTF-8", PULSE_SERVER=self.sound)
        if gtk_font:  # the desktop's own theme and font, as GNOME, Ubuntu and Xfce give them to Qt programs
            (work / "config" / "gtk-3.0").mkdir(parents=True)
            (work / "config" / "gtk-3.0" / "settings.ini").write_text("[Settings]\ngtk-font-name=%s\n" % gtk_font)
            self.env.update(QT_QPA_PLATFORMTHEME="gtk3", XDG_CONFIG_HOME=str(work / "config"))
            del self.env["QT_STYLE_OVERRIDE"]

    def spawn(self, argv, out, **kwargs):
        self.procs.append(subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=open(
            self.work / out, "ab"), **{"stderr": open(self.work / "servers.log", "ab"), **kwargs}))
        return self.procs[-1]

    def start(self, binary, tone):
        (self.work / "library").mkdir()
        write_library(self.work / "library", tone)
        self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--log-level=error", "-L", "module-null-sink sink_name=lesson",
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + self.sound[5:]], "servers.log")
        subprocess.run("until pactl --server=%s info >/dev/null 2>&1; do sleep 0.1; done" % self.sound, shell=True,
                       env=self.env, timeout=TIMEOUT)
        self.spawn(["parec", "--server=" + self.sound, "-d", "lesson.monitor", "--raw", "--format=s16le",
                    "--channels=1", "--rate=%d" % RATE, "--latency-msec=20"], "heard.raw")
        # The session bus starts the accessibility bus with our private folders, not its own; asking
        # for the desktop starts it, and Qt joins it only if it is there at start.
        subprocess.run(["dbus-update-activation-environment", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"],
                       env=self.env, check=True, timeout=TIMEOUT)
        pyatspi.Registry.getDesktop(0)
        # Windows mapped while the window manager still starts are taken in unfocused: wait for it to be done.
        self.spawn(["openbox", "--sm-disable", "--startup", "touch %s/wm-ready" % self.work], "servers.log")
        self.wait_for("the window manager", lambda app: (self.work / "wm-ready").exists(), program=False)
        self.app = self.spawn([binary], "program.log", cwd=self.work / "library", stderr=subprocess.STDOUT)

    def stop(self):
        for proc in reversed(self.procs):
            proc.kill() if proc is self.app else proc.terminate()
            proc.wait()

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=TIMEOUT)

    def keys(self, title, *keys):
        # Give the window titled so the keyboard as a student's click would.
        self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                     "--name", "^" + title.replace(".", r"\.") + "$", "windowactivate", "--sync")
        self.xdotool("key", "--clearmodifiers", *keys)

    def click(self, acc):
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        expect(box.width > 0 and box.height > 0, "%r has no area on screen to click", acc.name)
        self.xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")

    def application(self):
        for app in children(pyatspi.Registry.getDesktop(0)):
            with contextlib.suppress(Exception):
                if app.get_process_id() == self.app.pid:
                    app.set_cache_mask(0)  # read afresh every time: nothing here listens to change events
                    app.clear_cache()
                    return app

    def wait_for(self, what, probe, program=True):
        deadline, error = time.monotonic() + TIMEOUT, ""
        while time.monotonic() < deadline:
            expect(not program or self.app.poll() is None, "the program ended (status %s) waiting for %s",
                   program and self.app.returncode, what)
            try:
                if result := probe(program and self.application()):
                    return result
            except Exception as problem:  # not there yet, or an object vanished while read
                error = ": %s" % problem
            time.sleep(0.03)
        raise AssertionError("timed out waiting for %s%s" % (what, error))

    def box(self, title, is_text, dismiss, ends_program=False):
        """A message box announced as an alert with its title and text; dismissed, it goes."""
        def probe(app):
            box, = tops(app, title)
            on = seen(box)
            labels, ok = [a.name for a in find(on, ROLE_LABEL)], one(on, ROLE_PUSH_BUTTON, None)
            expect(box.getRole() in (ROLE_ALERT, ROLE_DIALOG) and [t for t in labels if is_text(t)] == [box.description]
                   and ok.name == "OK", "%s %r shows %r, announces %r, has %r", box.getRoleName(), title, labels,
                   box.description, ok.name)
            return ok
        ok = self.wait_for("the box titled %r" % title, probe)
        print("%6.2f s  box %r, dismissed by %s" % (time.monotonic() - STARTED, title, dismiss))
        self.keys(title, "Return") if dismiss == "Enter" else self.click(ok)
        if not ends_program:
            self.wait_for("the box %r to close" % title, lambda app: not tops(app, title))

    def has_keyboard(self):
        """Right after the start-up box, without any help: the window active, X's focus in it, on Exit."""
        def probe(app):
            focus = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"], env=self.env, capture_output=True,
                                   text=True, timeout=TIMEOUT).stdout.strip()
            frame = one(seen(app), ROLE_FRAME, MENU)
            return focus == MENU and has(frame, STATE_ACTIVE) and has(one(seen(frame), ROLE_PUSH_BUTTON, "Exit"),
                                                                      STATE_FOCUSED)
        self.wait_for("the window to have the keyboard, on Exit", probe)

    def menu(self, slot3_title):
        names = [STORIES[1][1], STORIES[2][1], slot3_title] + ["unavailable"] * 9
        expected = [(name, name != "unavailable", False) for name in names]

        def probe(app):
            on = seen(app)
            expect([a.name for a in find(on, ROLE_FRAME)] == [MENU], "not one frame on screen, named %r", MENU)
            menu, offered = options(on, CHOOSE)
            # Only the unavailable ones disabled, none selected in a fresh menu; OK only once a story is chosen.
            states = [(a.name, has(a, STATE_ENABLED), has(a, STATE_CHECKED)) for a in offered]
            expect(states == expected, "the menu offers %r, expected %r (name, enabled, selected)", states, expected)
            buttons = {a.name: has(a, STATE_ENABLED) for a in find(seen(menu, False), ROLE_PUSH_BUTTON)}
            expect(buttons == {"Exit": True, "OK": False}, "the menu's buttons (enabled) are %r", buttons)
            texts = [(str(r), n) for r, n, _ in on if r in (ROLE_TEXT, ROLE_LABEL)]
            expect(not texts, "the transcript or a lesson label is on screen with the menu: %r", texts)
            return offered
        return self.wait_for("the story menu", probe)

    def shown(self, role, name, enabled=None):
        """Waits for exactly one object of the role and name on screen, enabled or disabled as asked."""
        return self.wait_for(repr(name), lambda app: one(seen(app), role, name, enabled))

    def choose(self, option):
        self.click(option)
        self.wait_for("%r selected" % option.name, lambda app: has(option, STATE_CHECKED))

    def listen(self, story):
        """Enter opens the story, then three hearings by mouse, the first asked for at once."""
        def opened(app):  # one reading of the screen, all checked on it: title and first prompt, no question yet
            on = seen(app)
            counts = [len(find(on, *what)) for what in [(ROLE_FRAME,), (ROLE_FRAME, MENU), (ROLE_LABEL, PROMPTS[0]),
                      (ROLE_LABEL, story[1]), (ROLE_PANEL, CHOOSE)] + [(ROLE_PANEL, q[0]) for q in story[3]]]
            expect(counts[:5] == [1, 1, 1, 1, 0] and not any(counts[5:]), "frames, window, prompt, title, menu, "
                   "questions seen %r", counts)
            one(on, ROLE_PUSH_BUTTON, "Menu / Exit", True)
            return one(on, ROLE_PUSH_BUTTON, "Click to Listen", True)
        # A new recording starts a second or two late: samples must flow before the first hearing.
        self.wait_for("parec to record", lambda app: self.recording.stat().st_size >= RATE)
        self.keys(MENU, "Return")
        sent = time.monotonic()
        self.click(self.wait_for("the story to open", opened))
        print("        the first hearing asked for %.2f s after Enter opened the story" % (time.monotonic() - sent))
        for n, prompt in enumerate(PROMPTS[1:]):
            if n:
                self.click(self.shown(ROLE_PUSH_BUTTON, "Click to Listen", True))
            self.shown(ROLE_LABEL, prompt)
            time.sleep(0.4)  # the end of the sound, and a student's pause

    def full_player(self, plays):
        """The full player by mouse: each play at its speed (chosen from the list when it differs) and, if given,
        with the volume slider set to that share of its way, heard to its end; what was heard since it opened."""
        before, position = len(stretches(self.recording)), self.shown(ROLE_SLIDER, "Position")
        self.wait_for("the full player's duration", lambda app: position.queryValue().maximumValue > 0)
        play = self.shown(ROLE_PUSH_BUTTON, "Play", True)
        speed = self.shown(ROLE_COMBO_BOX, plays[0][0])  # a combo box is named by its choice; "Speed" is its description
        expect(speed.description == "Speed", "the speed choice is described as %r", speed.description)
        for rate, volume in plays:
            if speed.name != rate:
                # A click opens its list, which then has the keyboard: one up from 1x is 0.75x.
                self.click(speed)
                self.wait_for("the speed list open", lambda app: has(speed, STATE_EXPANDED))
                self.xdotool("key", "Up", "Return")
                self.wait_for(rate, lambda app: speed.name == rate and not has(speed, STATE_EXPANDED))
            if volume is not None:
                value = self.shown(ROLE_SLIDER, "Volume").queryValue()
                value.currentValue = value.minimumValue + (value.maximumValue - value.minimumValue) * volume
            self.click(play)
            self.wait_for("the full player to play at " + rate, lambda app: play.name == "Pause")
            self.wait_for("its end at " + rate, lambda app: play.name == "Play")
            time.sleep(0.4)  # quiet between plays
        runs = stretches(self.recording)
        print("        heard" + "".join(" [at %.2f s: %.3f s, %.1f Hz, RMS %.0f]" % run for run in runs[before - 3:]))
        return runs[before - 3:]

    def run(self):
        story, right = STORIES[2], [q[2] for q in STORIES[2][3]]
        self.box("Vantrel 5.75", lambda text: text.startswith(
            "Vantrel software helps people improve their ability to understand news broadcasts on the radio.\r\r")
            and "Download the free software here: " in text and "\n" not in text, "Enter")
        self.has_keyboard()
        # The menu: titles exactly as read, the ampersand kept; Enter on the chosen option opens it.
        self.choose(self.menu("unavailable")[1])
        self.shown(ROLE_PUSH_BUTTON, "OK", True)
        self.listen(story)
        self.click(self.shown(ROLE_PUSH_BUTTON, "Help", True))
        self.box("Help", lambda text: text == HELP, "click")
        # Each question a frame announced by its text, each option by its answer.
        answers = self.wait_for("the three questions", lambda app: [options(seen(app), q[0])[1] for q in story[3]])
        expect([[a.name for a in o] for o in answers] == [q[1] for q in story[3]], "the questions offer %r",
               [[a.name for a in o] for o in answers])
        expect(not find(seen(self.application()), ROLE_PUSH_BUTTON, "Click to Listen"), "Click to Listen still shown")
        # Three hearings and two plays, each whole; the one at 0.75x as much longer, at the same pitch, and with the
        # volume half-way at most half as loud.
        runs = self.full_player([("1\u00d7", None), ("0.75\u00d7", 0.5)])
        expect(len(runs) == 5 and all(run[1] >= 2.95 for run in runs[:4]) and abs(runs[4][1] - 4.0) <= 0.08
               and abs(runs[4][2] - 440) <= 8.8 and runs[4][3] <= runs[3][3] / 2, "not 4 stretches of 2.95 s or more, "
               "then 4.0 s at 440 Hz at most half as loud")

        # The answers by mouse, the check by the access key Alt+A, then the transcript announced as such.
        self.shown(ROLE_PUSH_BUTTON, "Check Answers", True)
        for question, answer in enumerate(right):
            self.choose(answers[question][answer])
        self.keys(MENU, "alt+a")
        self.box("Checking Work", lambda text: text == "You've answered all the questions correctly.\n\n"
                 "             Now read what you've heard.        ", "Enter")
        self.shown(ROLE_LABEL, "Read the script:")
        transcript = self.shown(ROLE_TEXT, "Transcript")
        text = transcript.queryText().getText(0, -1)
        expect(text == story[2], "the transcript reads %r", text)
        self.shown(ROLE_PUSH_BUTTON, "Check Answers", False)

        # F9 plays the second sentence alone, at the 0.75x chosen; paused after it, the transcript's cursor stands at its start,
        # where a screen reader reads it.
        self.shown(ROLE_PUSH_BUTTON, "Next sentence", True)
        before, play = len(stretches(self.recording)), self.shown(ROLE_PUSH_BUTTON, "Play", True)
        self.keys(MENU, "F9")
        self.wait_for("the second sentence to play", lambda app: play.name == "Pause")
        self.wait_for("the pause after it", lambda app: play.name == "Play")
        caret = transcript.queryText().caretOffset
        expect(caret == story[2].index(SECOND), "paused, the transcript's cursor is at %d", caret)
        time.sleep(0.3)
        runs = stretches(self.recording)[before:]
        expect(len(runs) == 1 and abs(runs[0][1] - 1.0 / 0.75) <= 0.1, "F9 was heard as %r, not 1.33 s", runs)

        # A click in the transcript, then Esc: the menu, where slot 3 now shows its title.
        self.click(transcript)
        self.keys(MENU, "Escape")
        # The next story's full player keeps the speed and the volume chosen.
        self.choose(self.menu(STORIES[3][1])[0])
        self.listen(STORIES[1])
        runs = self.full_player([("0.75\u00d7", None)])
        expect(len(runs) == 4 and all(run[1] >= 2.95 for run in runs[:3]) and abs(runs[3][1] - 4.0) <= 0.08
               and runs[3][3] <= runs[2][3] / 2, "not 3 stretches of 2.95 s or more, then 4.0 s at most half as loud")
        self.click(self.shown(ROLE_PUSH_BUTTON, "Menu / Exit", True))
        self.menu(STORIES[3][1])
        self.keys(MENU, "Escape")
        self.box("Vantrel", lambda text: text.startswith(" " * 16 + "Version 5.75\n\n") and text.count("\n") == 4
                 and "\n\n\n" not in text, "Enter", ends_program=True)
        expect(self.app.wait(TIMEOUT) == 0, "the program ended with status %d", self.app.returncode)


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("vantrel"), parser.add_argument("tone"), parser.add_argument("--gtk-font")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="vantrel-e2e-") as work:
        lesson = Lesson(pathlib.Path(work), args.gtk_font)
        try:
            lesson.start(os.path.realpath(args.vantrel), args.tone)
            lesson.run()
        except Exception:
            for log in sorted(lesson.work.glob("*.log")):
                print("--- %s\n%s" % (log.name, log.read_text(errors="replace")[-4000:]), file=sys.stderr)
            raise
        finally:
            lesson.stop()
    print("ok: a whole lesson in %.1f s" % (time.monotonic() - STARTED))


if __name__ == "__main__":
    main()
