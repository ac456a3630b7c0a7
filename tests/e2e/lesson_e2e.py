#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One whole lesson in the real program, driven by real clicks and keys
(xdotool), read through the accessibility tree (AT-SPI) as a screen reader
reads it, and heard at a private PulseAudio server whose null sink is
recorded: start-up box, menu, a story, three hearings, help, the full player
at 1x and 0.75x, a partial and a full check, the transcript, Esc to the menu,
Esc to the closing box, and status 0.

Usage: xvfb-run -a dbus-run-session -- /usr/bin/python3 lesson_e2e.py VANTREL TONE_MP3
(needs python3-pyatspi, xdotool, pulseaudio and pulseaudio-utils; TONE_MP3 is
3.0 s of 440 Hz).
"""

import os, shutil, subprocess, sys, tempfile, time

TIMEOUT = 15.0  # seconds for one thing to appear; a step normally takes well under one
RATE = 22050  # recorded samples a second, mono 16-bit

# Slots 1 and 2 present (the lesson takes slot 2, whose sound is the tone); slot 3 has a title but
# no sound name, so start-up leaves it "unavailable" and the first return to the menu shows its title.
STORIES = {
    1: ("NEWS01", "Harbour lights come back", "", []),
    2: ("NEWS02", "Tom & Ada win the cup",
        "Tom & Ada, two young players from Wrenfield, won the town cup on Sunday "
        "after a long final that went on until the evening.",
        [("Who won the cup?", ["Tom & Ada", "Their teacher", "Nobody"], 0),
         ("Where are they from?", ["Pellmouth", "Wrenfield", "Stoneleigh"], 1),
         ("When was the final?", ["On Monday", "On Friday", "On Sunday"], 2)]),
    3: ("", "A story without sound", "", []),
}
# Four silent 32 kbit/s frames: 576 bytes, a hearing of 144 ms, as long as the sound.
SILENCE = (bytes([0xFF, 0xFB, 0x18, 0xC0]) + bytes(140)) * 4
MENU = "Vantrel: Choose a Story"
PROMPTS = ["Listen to the story three times.", "Listen two more times.",
           "Listen one more time.", "Now try to answer the questions."]
HELP = ("Choose a news story.\nListen to the story three times.\nAnswer the questions correctly.\n"
        "Read the text that goes with the story.\nChoose another story and continue.")
STARTED = time.monotonic()


class Failure(Exception):
    """A check that failed: the test fails with its message."""


def expect(condition, message, *args):
    if not condition:
        raise Failure(message % args)


def write_library(folder, tone):
    lines = []
    for slot in range(1, 13):
        block = [""] * 24
        if slot in STORIES:
            block[0:3] = STORIES[slot][:3]
            for q, (question, answers, right) in enumerate(STORIES[slot][3]):
                block[3 + 7 * q] = question
                for i, answer in enumerate(answers):
                    block[4 + 7 * q + 2 * i: 6 + 7 * q + 2 * i] = [answer, "*" if i == right else ""]
        lines += block
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    # Only 8860 to 8868 bytes are taken: pad after line 288.
    with open(os.path.join(folder, "vtl.txt"), "wb") as f:
        f.write(data + b" " * (8862 - len(data)) + b"\r\n")
    with open(os.path.join(folder, "NEWS01.MP3"), "wb") as f:
        f.write(SILENCE)
    shutil.copy(tone, os.path.join(folder, "NEWS02.MP3"))


def stretches(path):
    """The stretches of sound recorded (RMS of 5 ms above 300, gaps under 60 ms joined), each
    as (start s, length s, Hz from zero crossings away from its 0.1 s edges)."""
    with open(path, "rb") as f:
        raw = f.read()
    data = memoryview(raw[:len(raw) // 2 * 2]).cast("h")
    window, gap, edge = RATE // 200, RATE * 60 // 1000, RATE // 10
    spans = []
    for at in range(0, len(data) - window + 1, window):
        if sum(v * v for v in data[at:at + window]) < 300 * 300 * window:
            continue
        if spans and at - spans[-1][1] <= gap:
            spans[-1][1] = at + window
        else:
            spans.append([at, at + window])
    heard = []
    for begin, end in spans:
        inner = data[begin + edge:end - edge]
        crossings = sum((a < 0) != (b < 0) for a, b in zip(inner, inner[1:]))
        heard.append((begin / RATE, (end - begin) / RATE, crossings / 2 / (len(inner) / RATE) if inner else 0))
    return heard


class Session:
    """The sound server, its recorder and the program, and the ways to reach them."""

    def __init__(self, work):
        self.work, self.procs, self.app = work, [], None
        self.log = open(os.path.join(work, "servers.log"), "wb")
        # Private runtime and cache folders keep the accessibility bus and the sound server apart.
        runtime = os.path.join(work, "runtime")
        os.mkdir(runtime, 0o700)
        self.sound = "unix:" + os.path.join(runtime, "native")
        self.env = {k: v for k, v in os.environ.items() if k not in (
            "WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "AT_SPI_BUS_ADDRESS")}
        self.env.update(XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=os.path.join(work, "cache"), HOME=work,
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", QT_STYLE_OVERRIDE="Fusion",
                        LC_ALL="C.UTF-8", PULSE_SERVER=self.sound)

    def spawn(self, argv, **kwargs):
        self.procs.append(subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                           **{"stdout": self.log, "stderr": self.log, **kwargs}))
        return self.procs[-1]

    def until(self, what, ready):
        deadline = time.monotonic() + TIMEOUT
        while not ready():
            expect(time.monotonic() < deadline, "%s", what)
            time.sleep(0.1)

    def start(self, binary, folder):
        self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--log-level=error", "-L", "module-null-sink sink_name=lesson",
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + self.sound[5:]])
        self.until("the private PulseAudio server does not answer", lambda: subprocess.run(
            ["pactl", "--server=" + self.sound, "info"], env=self.env, capture_output=True).returncode == 0)
        self.recording = os.path.join(self.work, "heard.raw")
        self.spawn(["parec", "--server=" + self.sound, "-d", "lesson.monitor", "--raw", "--format=s16le",
                    "--channels=1", "--rate=%d" % RATE, "--latency-msec=20"], stdout=open(self.recording, "wb"))

        # The session bus starts the accessibility bus with our private folders, not its own.
        subprocess.run(["dbus-update-activation-environment", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"],
                       env=self.env, check=True, timeout=TIMEOUT)
        os.environ.update(self.env)
        global pyatspi
        import pyatspi
        # Asking for the desktop starts the accessibility bus; Qt joins it only if it is there at start.
        pyatspi.Registry.getDesktop(0)
        self.app = self.spawn([binary], cwd=folder, stdout=open(os.path.join(self.work, "program.log"), "wb"),
                              stderr=subprocess.STDOUT)

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate() if proc is not self.app else proc.kill()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=TIMEOUT,
                              capture_output=True, text=True).stdout

    def keys(self, title, *keys):
        # No window manager runs, so give the window titled so the keyboard as one would.
        window = self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                              "--name", "^" + title.replace(".", r"\.") + "$").split()[0]
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--clearmodifiers", *keys)

    def click(self, acc):
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        expect(box.width > 0 and box.height > 0, "%r has no area on screen to click", acc.name)
        self.xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            try:
                if app is not None and app.get_process_id() == self.app.pid:
                    # Read afresh every time: nothing here listens to change events.
                    app.set_cache_mask(0)
                    app.clear_cache()
                    return app
            except Exception:
                continue
        return None

    def wait_for(self, what, probe):
        """Polls probe(app) until it returns something true; fails after TIMEOUT."""
        deadline, last_error = time.monotonic() + TIMEOUT, None
        while True:
            expect(self.app.poll() is None, "the program ended (status %s) while waiting for %s",
                   self.app.returncode, what)
            try:
                app = self.application()
                result = app is not None and probe(app)
                if result:
                    return result
            except Exception as error:  # not there yet, or an object vanished while read
                last_error = error
            expect(time.monotonic() < deadline, "timed out waiting for %s%s", what,
                   ": %s" % last_error if last_error else "")
            time.sleep(0.03)


def walk(acc, pruned=lambda acc: False):
    if pruned(acc):
        return
    yield acc
    for child in (acc.getChildAtIndex(i) for i in range(acc.childCount)):
        if child is not None:
            yield from walk(child, pruned)


def has(acc, state):
    return acc.getState().contains(state)


def shown(acc, role=None, name=None):
    """The objects (of a role and name) below acc that are on screen now."""
    # What a hidden widget holds is hidden too: its branch is not read.
    return [a for a in walk(acc, lambda a: a.getRole() != pyatspi.ROLE_APPLICATION
                            and not has(a, pyatspi.STATE_SHOWING))
            if role in (None, a.getRole()) and name in (None, a.name)]


def one(app, role, name):
    found = shown(app, role, name)
    return found[0] if len(found) == 1 else None


def button(app, name, enabled=True):
    found = one(app, pyatspi.ROLE_PUSH_BUTTON, name)
    expect(found is not None, "no button %r on screen", name)
    expect(has(found, pyatspi.STATE_ENABLED) == enabled, "button %r is not %s", name,
           "enabled" if enabled else "disabled")
    return found


def options(app, panel):
    """The radio buttons of the frame announced as `panel`."""
    frame = one(app, pyatspi.ROLE_PANEL, panel)
    expect(frame, "no frame %r on screen", panel)
    return [a for a in walk(frame) if a.getRole() == pyatspi.ROLE_RADIO_BUTTON], frame


def tops(app):
    return [w for w in (app.getChildAtIndex(i) for i in range(app.childCount))
            if w is not None and has(w, pyatspi.STATE_SHOWING)]


def top_window(app, title):
    return next((w for w in tops(app) if w.name == title), None)


def the_frame(app):
    """The lesson window: one frame on screen, named by its title."""
    frames = [w for w in tops(app) if w.getRole() == pyatspi.ROLE_FRAME]
    expect([w.name for w in frames] == [MENU], "the windows on screen are %r, expected one frame %r",
           [(w.getRoleName(), w.name) for w in tops(app)], MENU)
    return frames[0]


class Lesson(Session):
    """The lesson, step by step, with what must be on screen (and heard) at each."""

    def box(self, title, is_text, dismiss, ends_program=False):
        """A message box announced as an alert with its title and text; dismissed, it goes."""
        def probe(app):
            box = top_window(app, title)
            expect(box is not None and box.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG),
                   "no box titled %r on screen", title)
            labels = [a.name for a in shown(box, pyatspi.ROLE_LABEL)]
            texts = [label for label in labels if is_text(label)]
            expect(len(texts) == 1, "box %r shows %r", title, labels)
            expect(box.description == texts[0], "box %r does not announce its text; its description is %r",
                   title, box.description)
            buttons = shown(box, pyatspi.ROLE_PUSH_BUTTON)
            expect([a.name for a in buttons] == ["OK"], "box %r has the buttons %r", title,
                   [a.name for a in buttons])
            return buttons[0]
        ok = self.wait_for("the box titled %r" % title, probe)
        print("%6.2f s  box %r, dismissed by %s" % (time.monotonic() - STARTED, title, dismiss), flush=True)
        self.keys(title, "Return") if dismiss == "Enter" else self.click(ok)
        if not ends_program:
            self.wait_for("the box %r to close" % title, lambda app: top_window(app, title) is None)

    def menu(self, slot3_title):
        """The story menu as it must look when it comes on screen."""
        expected = [STORIES[1][1], STORIES[2][1], slot3_title] + ["unavailable"] * 9

        def probe(app):
            the_frame(app)
            offered, menu = options(app, "Choose a news story:")
            expect([a.name for a in offered] == expected, "the menu offers %r, expected %r",
                   [a.name for a in offered], expected)
            for option in offered:
                expect(has(option, pyatspi.STATE_ENABLED) == (option.name != "unavailable"),
                       "option %r is wrongly enabled or disabled", option.name)
                expect(not has(option, pyatspi.STATE_CHECKED), "option %r is selected in a fresh menu", option.name)
            buttons = {a.name: a for a in walk(menu) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON}
            expect(sorted(buttons) == ["Exit", "OK"], "menu buttons %r", sorted(buttons))
            expect(not has(buttons["OK"], pyatspi.STATE_ENABLED), "OK is enabled before a story is chosen")
            expect(not shown(app, pyatspi.ROLE_TEXT), "the transcript is on screen with the menu")
            expect(not shown(app, pyatspi.ROLE_LABEL), "a lesson label is on screen with the menu: %r",
                   [a.name for a in shown(app, pyatspi.ROLE_LABEL)])
            return offered
        return self.wait_for("the story menu", probe)

    def label(self, *texts):
        for text in texts:
            self.wait_for("the label %r" % text, lambda app: one(app, pyatspi.ROLE_LABEL, text))

    def button(self, name, enabled=True):
        return self.wait_for("the button %r" % name, lambda app: button(app, name, enabled))

    def questions(self, story):
        """Each question a frame announced by its text, each option by its answer."""
        def probe(app):
            offered = [options(app, question)[0] for question, _, _ in story[3]]
            expect([[a.name for a in o] for o in offered] == [q[1] for q in story[3]], "the questions offer %r",
                   [[a.name for a in o] for o in offered])
            return offered
        return self.wait_for("the three questions", probe)

    def choose(self, option):
        self.click(option)
        self.wait_for("%r selected" % option.name, lambda app: has(option, pyatspi.STATE_CHECKED))

    def open_and_listen(self, story):
        """Opens the story by Enter and asks for the first hearing as soon as it can be."""
        def opened(app):
            # One reading of the screen, all checked on it.
            the_frame(app)
            on = [(a.getRole(), a.name, a) for a in shown(app)]
            pick = lambda role, name: [a for r, n, a in on if (r, n) == (role, name)]
            for text in (PROMPTS[0], story[1]):
                expect(len(pick(pyatspi.ROLE_LABEL, text)) == 1, "no label %r on screen", text)
            expect(not pick(pyatspi.ROLE_PANEL, "Choose a news story:"), "the menu is still on screen")
            expect(not pick(pyatspi.ROLE_PANEL, story[3][0][0]), "a question is on screen before any hearing")
            for name in ("Menu / Exit", "Click to Listen"):
                found = pick(pyatspi.ROLE_PUSH_BUTTON, name)
                expect(len(found) == 1 and has(found[0], pyatspi.STATE_ENABLED), "no button %r enabled", name)
            return found[0]
        # A new recording starts a second or two late: samples must flow before the first hearing.
        self.until("parec records nothing", lambda: os.path.getsize(self.recording) >= RATE)
        listen = self.wait_for("the hidden Click to Listen", lambda app: [
            a for a in walk(app) if (a.getRole(), a.name) == (pyatspi.ROLE_PUSH_BUTTON, "Click to Listen")])
        self.keys(MENU, "Return")
        sent = time.monotonic()
        # Watching that one button is quicker than reading the whole screen, which then follows.
        self.wait_for("Click to Listen on screen", lambda app: all(
            has(a, pyatspi.STATE_SHOWING) and has(a, pyatspi.STATE_ENABLED) for a in listen))
        self.click(self.wait_for("the story to open", opened))
        self.first_click = time.monotonic() - sent
        for n, prompt in enumerate(PROMPTS[1:]):
            if n:
                self.click(self.button("Click to Listen"))
            self.label(prompt)
            time.sleep(0.4)  # the end of the sound, and a student's pause

    def play_to_end(self, play):
        self.click(play)
        self.wait_for("the full player to play", lambda app: play.name == "Pause")
        self.wait_for("the full player to reach the end", lambda app: play.name == "Play")
        time.sleep(0.4)  # quiet between plays

    def full_player(self):
        """The full player by mouse at 1x, then at 0.75x."""
        self.wait_for("the full player's duration", lambda app: one(
            app, pyatspi.ROLE_SLIDER, "Position").queryValue().maximumValue > 0)
        play = self.button("Play")
        self.play_to_end(play)
        # A combo box is named by its choice; "Speed" is its description.
        speed, = self.wait_for("the speed choice", lambda app: [
            a for a in shown(app, pyatspi.ROLE_COMBO_BOX) if a.description == "Speed" and a.name == "1\u00d7"])
        # A click opens its list, which then has the keyboard: one up from 1x is 0.75x.
        self.click(speed)
        self.wait_for("the speed list open", lambda app: has(speed, pyatspi.STATE_EXPANDED))
        self.xdotool("key", "Up", "Return")
        self.wait_for("0.75x chosen", lambda app: speed.name == "0.75\u00d7" and not has(speed, pyatspi.STATE_EXPANDED))
        self.play_to_end(play)

    def heard(self):
        """Three hearings and two plays to the end, each whole; the 0.75x one slower, same pitch."""
        runs = stretches(self.recording)
        heard = "".join(" [at %.2f s: %.3f s, %.1f Hz]" % run for run in runs)
        expect(len(runs) == 5, "heard %d stretches, expected 5:%s", len(runs), heard)
        expect(all(length >= 2.95 for _, length, _ in runs[:4]), "cut short:%s", heard)
        expect(abs(runs[4][1] - 4.0) <= 0.08, "0.75x is not 4.0 s long:%s", heard)
        expect(abs(runs[4][2] - 440) <= 8.8, "0.75x changed the pitch:%s", heard)
        return heard

    def run(self):
        story = STORIES[2]
        self.box("Vantrel 5.75", lambda text: text.startswith(
            "Vantrel software helps people improve their ability to understand news broadcasts on the radio.\r\r")
            and "Download the free software here: " in text and "\n" not in text, "Enter")

        # The menu: titles exactly as read, the ampersand kept; Enter on the chosen option opens it.
        self.choose(self.menu("unavailable")[1])
        self.button("OK")
        self.open_and_listen(story)

        self.click(self.button("Help"))
        self.box("Help", lambda text: text == HELP, "click")

        answers = self.questions(story)
        expect(not shown(self.application(), pyatspi.ROLE_PUSH_BUTTON, "Click to Listen"),
               "Click to Listen is still on screen after three hearings")
        self.full_player()
        heard = self.heard()
        check = self.button("Check Answers")
        right = [q[2] for q in story[3]]

        # A partial check: one right, one wrong, one unanswered.
        self.choose(answers[0][right[0]])
        self.choose(answers[1][(right[1] + 1) % 3])
        self.click(check)
        self.box("Checking Work", lambda text: text == "You've answered one of the questions correctly.", "click")
        self.label(PROMPTS[3])
        expect(not shown(self.application(), pyatspi.ROLE_TEXT), "the transcript is on screen after a partial check")

        # The full check, by the access key Alt+A, then the transcript announced as such.
        self.choose(answers[1][right[1]])
        self.choose(answers[2][right[2]])
        self.keys(MENU, "alt+a")
        self.box("Checking Work", lambda text: text == (
            "You've answered all the questions correctly.\n\n             Now read what you've heard.        "),
            "Enter")
        self.label("Read the script:")
        transcript = self.wait_for("the transcript", lambda app: one(app, pyatspi.ROLE_TEXT, "Transcript"))
        text = transcript.queryText().getText(0, -1)
        expect(text == story[2], "the transcript reads %r", text)
        self.button("Check Answers", enabled=False)

        # A click in the transcript, then Esc: the menu, where slot 3 now shows its title.
        self.click(transcript)
        self.keys(MENU, "Escape")
        self.menu(STORIES[3][1])

        # Esc in the menu: the closing box, then the end with status 0.
        self.keys(MENU, "Escape")
        self.box("Vantrel", lambda text: text.startswith(" " * 16 + "Version 5.75\n\n") and text.count("\n") == 4
                 and "\n\n\n" not in text, "Enter", ends_program=True)
        try:
            status = self.app.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the closing box")
        expect(status == 0, "the program ended with status %d", status)
        return heard


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="vantrel-e2e-") as work:
        session = Lesson(work)
        try:
            folder = os.path.join(work, "library")
            os.mkdir(folder)
            write_library(folder, sys.argv[2])
            session.start(os.path.realpath(sys.argv[1]), folder)
            heard = session.run()
        except (Failure, ImportError, OSError, subprocess.SubprocessError) as error:
            print("FAIL:", error, file=sys.stderr)
            for log in ("program.log", "servers.log"):
                if os.path.exists(os.path.join(work, log)):
                    with open(os.path.join(work, log), errors="replace") as f:
                        print("--- %s\n%s" % (log, f.read()[-4000:]), file=sys.stderr)
            return 1
        finally:
            session.stop()
    print("ok: a whole lesson in %.1f s; the first hearing asked for %.2f s after Enter opened the story;"
          " heard%s" % (time.monotonic() - STARTED, session.first_click, heard))
    return 0


if __name__ == "__main__":
    sys.exit(main())
