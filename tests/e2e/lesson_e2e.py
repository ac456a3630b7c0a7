#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One whole lesson in the real program, in its own Xvfb and D-Bus session,
driven by real clicks and keys (xdotool) and read through the accessibility
tree (AT-SPI) as a screen reader reads it: start-up box, menu, a story, three
hearings, help, a partial and a full check, the transcript, Esc to the menu,
Esc to the closing box, and status 0.

Usage: /usr/bin/python3 lesson_e2e.py VANTREL_BINARY (needs python3-pyatspi).
Exits 77 (skipped) only when Xvfb cannot start.
"""

import contextlib, os, select, shutil, signal, subprocess, sys, tempfile, time

TIMEOUT = 15.0  # seconds for one thing to appear; a step normally takes well under one

# Slots 1 and 2 present (the lesson takes slot 2); slot 3 has a title but no sound name, so start-up
# leaves it "unavailable" and the first return to the menu shows its title.
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
AUDIO = (bytes([0xFF, 0xFB, 0x18, 0xC0]) + bytes(140)) * 4
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


def write_library(folder):
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
    for audio, *_ in STORIES.values():
        if audio:
            with open(os.path.join(folder, audio + ".MP3"), "wb") as f:
                f.write(AUDIO)


class Session:
    """Xvfb, the D-Bus session and the program, and the ways to reach them."""

    def __init__(self, work):
        self.work, self.procs, self.app = work, [], None
        self.log = open(os.path.join(work, "servers.log"), "wb")
        # Private runtime and cache folders keep the accessibility bus apart from other sessions.
        os.mkdir(os.path.join(work, "runtime"), 0o700)
        self.env = {k: v for k, v in os.environ.items() if k not in (
            "WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
            "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS")}
        self.env.update(XDG_RUNTIME_DIR=os.path.join(work, "runtime"), XDG_CACHE_HOME=os.path.join(work, "cache"),
                        HOME=work, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                        QT_STYLE_OVERRIDE="Fusion", LC_ALL="C.UTF-8")

    def server(self, argv):
        """Starts a server that writes its address on the descriptor in {fd}; returns the address."""
        read_end, write_end = os.pipe()
        self.procs.append(subprocess.Popen([a.replace("{fd}", str(write_end)) for a in argv], env=self.env,
                                           stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                           pass_fds=(write_end,), start_new_session=True))
        os.close(write_end)
        # Xvfb writes the number and the line feed apart: read up to the line feed, or
        # it fails writing to a closed pipe.
        data, deadline = b"", time.monotonic() + 20
        while not data.endswith(b"\n") and select.select([read_end], [], [], max(0, deadline - time.monotonic()))[0]:
            chunk = os.read(read_end, 256)
            data += chunk
            if not chunk:
                break
        os.close(read_end)
        return data.decode().strip() if data.endswith(b"\n") else None

    def start(self, binary, folder):
        number = shutil.which("Xvfb") and self.server(
            ["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"])
        if not number:
            return False
        self.env["DISPLAY"] = ":" + number
        address = self.server(["dbus-daemon", "--session", "--nofork", "--print-address={fd}"])
        expect(address, "the D-Bus session daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ.update(self.env)  # pyatspi finds the bus in our own environment when imported
        global pyatspi
        import pyatspi
        # Asking for the desktop starts the accessibility bus; Qt joins it only if it is there at start.
        pyatspi.Registry.getDesktop(0)
        self.out = open(os.path.join(self.work, "program.log"), "wb")
        self.app = subprocess.Popen([binary], cwd=folder, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=self.out, stderr=subprocess.STDOUT)
        return True

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        # The bus daemon leads a process group holding the accessibility bus it started.
        for proc in reversed(self.procs):
            if proc.poll() is None:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(proc.pid, signal.SIGTERM)
                    try:
                        proc.wait(5)
                    except subprocess.TimeoutExpired:
                        os.killpg(proc.pid, signal.SIGKILL)

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


def walk(acc):
    yield acc
    for child in (acc.getChildAtIndex(i) for i in range(acc.childCount)):
        if child is not None:
            yield from walk(child)


def has(acc, state):
    return acc.getState().contains(state)


def shown(acc, role, name=None):
    """The objects of a role (and name) below acc that are on screen now."""
    return [a for a in walk(acc) if a.getRole() == role and has(a, pyatspi.STATE_SHOWING)
            and name in (None, a.name)]


def one(app, role, name):
    found = shown(app, role, name)
    return found[0] if len(found) == 1 else None


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
    """The lesson, step by step, with what must be on screen at each."""

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
        def probe(app):
            button = one(app, pyatspi.ROLE_PUSH_BUTTON, name)
            expect(button is not None, "no button %r on screen", name)
            expect(has(button, pyatspi.STATE_ENABLED) == enabled, "button %r is not %s", name,
                   "enabled" if enabled else "disabled")
            return button
        return self.wait_for("the button %r" % name, probe)

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

    def run(self):
        s, story = self, STORIES[2]
        self.box("Vantrel 5.75", lambda text: text.startswith(
            "Vantrel software helps people improve their ability to understand news broadcasts on the radio.\r\r")
            and "Download the free software here: " in text and "\n" not in text, "Enter")

        # The menu: titles exactly as read, the ampersand kept; Enter on the chosen option opens it.
        self.choose(self.menu("unavailable")[1])
        self.button("OK")
        s.keys(MENU, "Return")

        # Listening: title and first prompt, no question yet, then three hearings by mouse.
        self.label(PROMPTS[0], story[1])
        s.wait_for("the lesson window as a frame", the_frame)
        s.wait_for("the menu to go", lambda app: not shown(app, pyatspi.ROLE_PANEL, "Choose a news story:"))
        self.button("Menu / Exit")
        expect(not shown(s.application(), pyatspi.ROLE_PANEL, story[3][0][0]),
               "a question is on screen before any hearing")
        for prompt in PROMPTS[1:]:
            s.click(self.button("Click to Listen"))
            self.label(prompt)

        s.click(self.button("Help"))
        self.box("Help", lambda text: text == HELP, "click")

        answers = self.questions(story)
        expect(not shown(s.application(), pyatspi.ROLE_PUSH_BUTTON, "Click to Listen"),
               "Click to Listen is still on screen after three hearings")
        check = self.button("Check Answers")
        right = [q[2] for q in story[3]]

        # A partial check: one right, one wrong, one unanswered.
        self.choose(answers[0][right[0]])
        self.choose(answers[1][(right[1] + 1) % 3])
        s.click(check)
        self.box("Checking Work", lambda text: text == "You've answered one of the questions correctly.", "click")
        self.label(PROMPTS[3])
        expect(not shown(s.application(), pyatspi.ROLE_TEXT), "the transcript is on screen after a partial check")

        # The full check, by the access key Alt+A, then the transcript announced as such.
        self.choose(answers[1][right[1]])
        self.choose(answers[2][right[2]])
        s.keys(MENU, "alt+a")
        self.box("Checking Work", lambda text: text == (
            "You've answered all the questions correctly.\n\n             Now read what you've heard.        "),
            "Enter")
        self.label("Read the script:")
        transcript = s.wait_for("the transcript", lambda app: one(app, pyatspi.ROLE_TEXT, "Transcript"))
        text = transcript.queryText().getText(0, -1)
        expect(text == story[2], "the transcript reads %r", text)
        self.button("Check Answers", enabled=False)

        # A click in the transcript, then Esc: the menu, where slot 3 now shows its title.
        s.click(transcript)
        s.keys(MENU, "Escape")
        self.menu(STORIES[3][1])

        # Esc in the menu: the closing box, then the end with status 0.
        s.keys(MENU, "Escape")
        self.box("Vantrel", lambda text: text.startswith(" " * 16 + "Version 5.75\n\n") and text.count("\n") == 4
                 and "\n\n\n" not in text, "Enter", ends_program=True)
        try:
            status = s.app.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the closing box")
        expect(status == 0, "the program ended with status %d", status)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="vantrel-e2e-") as work:
        session = Lesson(work)
        try:
            folder = os.path.join(work, "library")
            os.mkdir(folder)
            write_library(folder)
            if not session.start(os.path.realpath(sys.argv[1]), folder):
                print("SKIP: Xvfb could not start (apt-get install xvfb)")
                return 77
            session.run()
        except (Failure, ImportError, OSError, subprocess.SubprocessError) as error:
            print("FAIL:", error, file=sys.stderr)
            for log in ("program.log", "servers.log"):
                path = os.path.join(work, log)
                if os.path.exists(path):
                    with open(path, errors="replace") as f:
                        print("--- %s\n%s" % (log, f.read()[-4000:]), file=sys.stderr)
            return 1
        finally:
            session.stop()
    print("ok: a whole lesson in %.1f s" % (time.monotonic() - STARTED))
    return 0


if __name__ == "__main__":
    sys.exit(main())
