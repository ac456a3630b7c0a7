#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One whole lesson in the real program, in a real X server, seen from outside.

Starts its own Xvfb and D-Bus session, starts the real binary in a folder
holding a small story library, and drives it with real mouse clicks and key
presses (xdotool), the way a student would: start-up box, menu, a story,
three hearings, a partial and a full check, the transcript, Esc back to the
menu, Esc again, the closing box, and the end of the program with status 0.

What is on screen is read through the accessibility tree (AT-SPI), as a
screen reader reads it, so the test also checks that the window is a frame
named by its title and that every control, frame and message box is
announced with its caption or text.

Usage: lesson_e2e.py VANTREL_BINARY
Exits 77 (skipped) only when Xvfb cannot start at all.
Needs Debian's python3-pyatspi, so run it with /usr/bin/python3.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
STEP_TIMEOUT = 15.0  # seconds for one thing to appear; a step normally takes well under one

# The story library: slot 1 and slot 2 are present, slot 3 has a title but no
# sound name (so start-up leaves it "unavailable" and the first return to the
# menu shows its title), slots 4 to 12 are empty.
STORIES = {
    1: dict(audio="NEWS01", title="Harbour lights come back",
            transcript="The harbour lights of Pellmouth shine again tonight.",
            questions=[("Where are the lights?", ["In the school", "In the harbour", "On the hill"], 1),
                       ("When do they shine again?", ["Last year", "Next week", "Tonight"], 2),
                       ("What shines again?", ["The lights", "The sun", "The moon"], 0)]),
    2: dict(audio="NEWS02", title="Tom & Ada win the cup",
            transcript="Tom & Ada, two young players from Wrenfield, won the town cup on Sunday "
                       "after a long final that went on until the evening.",
            questions=[("Who won the cup?", ["Tom & Ada", "Their teacher", "Nobody"], 0),
                       ("Where are they from?", ["Pellmouth", "Wrenfield", "Stoneleigh"], 1),
                       ("When was the final?", ["On Monday", "On Friday", "On Sunday"], 2)]),
    3: dict(audio="", title="A story without sound", transcript="", questions=[]),
}
# Four frames of silent MPEG audio at 32 kbit/s, 32 kHz, mono: 576 bytes, so a
# hearing of 144 ms, which is also how long the sound plays.
SILENT_FRAME = bytes([0xFF, 0xFB, 0x18, 0xC0]) + bytes(140)
AUDIO = SILENT_FRAME * 4

MENU_TITLE = "Vantrel: Choose a Story"
PROMPTS = ["Listen to the story three times.", "Listen two more times.",
           "Listen one more time.", "Now try to answer the questions."]


class Failure(Exception):
    pass


STARTED = time.monotonic()


def step(what):
    print("%6.2f s  %s" % (time.monotonic() - STARTED, what), flush=True)


def story_file_bytes():
    lines = []
    for slot in range(1, 13):
        story = STORIES.get(slot)
        block = [""] * 24
        if story:
            block[0], block[1], block[2] = story["audio"], story["title"], story["transcript"]
            k = 3
            for question, answers, right in story["questions"]:
                block[k] = question
                for i, answer in enumerate(answers):
                    block[k + 1 + 2 * i] = answer
                    block[k + 2 + 2 * i] = "*" if i == right else ""
                k += 7
        lines += block
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    # The program takes only a file of 8860 to 8868 bytes; pad after line 288.
    pad = 8864 - len(data) - 2
    assert pad >= 0
    return data + b" " * pad + b"\r\n"


def write_library(folder):
    with open(os.path.join(folder, "vtl.txt"), "wb") as f:
        f.write(story_file_bytes())
    for story in STORIES.values():
        if story["audio"]:
            with open(os.path.join(folder, story["audio"] + ".MP3"), "wb") as f:
                f.write(AUDIO)


def read_line_from_fd(fd, timeout):
    """Reads one line that a child writes to the pipe fd, or None on time-out."""
    deadline = time.monotonic() + timeout
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            return None
        chunk = os.read(fd, 256)
        if not chunk:
            return None
        data += chunk
    return data.decode().strip()


def start_with_fd_report(argv, env, log):
    """Starts a server that writes its address on a file descriptor we name."""
    read_end, write_end = os.pipe()
    argv = [a.replace("{fd}", str(write_end)) for a in argv]
    proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                            pass_fds=(write_end,), start_new_session=True)
    os.close(write_end)
    line = read_line_from_fd(read_end, 20)
    os.close(read_end)
    return proc, line


class Session:
    """The X server, the D-Bus session and the program, and the ways to reach them."""

    def __init__(self, binary, work):
        self.binary = binary
        self.work = work
        self.xvfb = self.bus = self.app_proc = None
        self.env = dict(os.environ)
        runtime = os.path.join(work, "runtime")
        os.mkdir(runtime, 0o700)
        # Private runtime and cache folders keep the accessibility bus apart
        # from any other session on the machine.
        self.env.update(XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=os.path.join(work, "cache"),
                        HOME=work, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QT_QPA_PLATFORM="xcb", QT_STYLE_OVERRIDE="Fusion", LC_ALL="C.UTF-8")
        for name in ("WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                     "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS"):
            self.env.pop(name, None)
        self.log = open(os.path.join(work, "servers.log"), "wb")

    def start_x(self):
        if shutil.which("Xvfb") is None:
            return False
        self.xvfb, number = start_with_fd_report(
            ["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            self.env, self.log)
        if not number:
            return False
        self.env["DISPLAY"] = ":" + number
        return True

    def start_bus(self):
        self.bus, address = start_with_fd_report(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], self.env, self.log)
        if not address:
            raise Failure("the D-Bus session daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # pyatspi reads the bus address from our own environment when imported.
        os.environ.update(self.env)
        global pyatspi
        try:
            import pyatspi
        except ImportError:
            raise Failure("needs Debian's python3-pyatspi, run with /usr/bin/python3")
        # Asking for the desktop starts the accessibility bus. Qt connects to
        # it only if it is already there when the program starts.
        pyatspi.Registry.getDesktop(0)

    def start_program(self, folder):
        self.stdout = open(os.path.join(self.work, "program.log"), "wb")
        self.app_proc = subprocess.Popen([self.binary], cwd=folder, env=self.env,
                                         stdin=subprocess.DEVNULL, stdout=self.stdout,
                                         stderr=subprocess.STDOUT)

    def stop(self):
        if self.app_proc and self.app_proc.poll() is None:
            self.app_proc.kill()
            self.app_proc.wait()
        # The bus daemon leads its own process group, which holds the
        # accessibility bus and registry that it started on demand.
        for proc in (self.bus, self.xvfb):
            if proc and proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
        self.log.close()
        if self.app_proc:
            self.stdout.close()

    # --- X input --------------------------------------------------------

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=STEP_TIMEOUT,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True).stdout

    def x_window(self, title):
        """The X window of the program titled exactly so, once it is mapped."""
        found = self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", str(self.app_proc.pid),
                             "--name", "^" + title.replace(".", r"\.") + "$").split()
        return found[0]

    def keys(self, window_title, *keys):
        # No window manager runs, so give the window the keyboard as one would.
        self.xdotool("windowfocus", "--sync", self.x_window(window_title))
        self.xdotool("key", "--clearmodifiers", *keys)

    def click(self, acc):
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if box.width <= 0 or box.height <= 0:
            raise Failure("%s has no area on screen to click" % describe(acc))
        self.xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                     "click", "1")

    # --- the accessibility tree -----------------------------------------

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == self.app_proc.pid:
                    # Read afresh every time: nothing here listens to change events.
                    app.set_cache_mask(0)
                    app.clear_cache()
                    return app
            except Exception:
                continue
        return None

    def wait_for(self, what, probe):
        """Polls probe() until it returns something true; fails after STEP_TIMEOUT."""
        deadline = time.monotonic() + STEP_TIMEOUT
        last_error = None
        while True:
            if self.app_proc.poll() is not None:
                raise Failure("the program ended (status %s) while waiting for %s"
                              % (self.app_proc.returncode, what))
            try:
                app = self.application()
                result = probe(app) if app is not None else None
                if result:
                    return result
            except Exception as error:  # not there yet, or an object vanished while read
                last_error = error
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for %s%s" % (
                    what, ": %s" % last_error if last_error else ""))
            time.sleep(0.03)


def describe(acc):
    return "%s %r" % (acc.getRoleName(), acc.name)


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)


def checked(acc):
    return acc.getState().contains(pyatspi.STATE_CHECKED)


def shown(app, role, name=None):
    """The objects of a role (and name) that are on screen now."""
    return [a for a in walk(app) if a.getRole() == role and showing(a)
            and (name is None or a.name == name)]


def one(app, role, name):
    found = shown(app, role, name)
    return found[0] if len(found) == 1 else None


def top_window(app, title):
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None and window.name == title and showing(window):
            return window
    return None


def expect(condition, message):
    if not condition:
        raise Failure(message)


def the_frame(app):
    """The lesson window, announced as a frame named by its title (the one
    xdotool finds the X window by)."""
    tops = [w for w in (app.getChildAtIndex(i) for i in range(app.childCount)) if w is not None and showing(w)]
    frames = [w for w in tops if w.getRole() == pyatspi.ROLE_FRAME]
    expect([w.name for w in frames] == [MENU_TITLE],
           "the windows on screen are %r, expected one frame %r" % ([describe(w) for w in tops], MENU_TITLE))
    return frames[0]


class Lesson:
    def __init__(self, session):
        self.s = session

    def box(self, title, is_text, dismiss, ends_program=False):
        """Waits for a message box that a screen reader announces by its title
        and its text, dismisses it and waits until it is gone."""
        def probe(app):
            box = top_window(app, title)
            expect(box is not None and box.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG),
                   "no box titled %r on screen" % title)
            labels = [a.name for a in walk(box) if a.getRole() == pyatspi.ROLE_LABEL and showing(a)]
            texts = [label for label in labels if is_text(label)]
            expect(len(texts) == 1, "box %r shows %r" % (title, labels))
            expect(box.description == texts[0],
                   "box %r does not announce its text; its description is %r" % (title, box.description))
            buttons = [a for a in walk(box) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(a)]
            expect([a.name for a in buttons] == ["OK"],
                   "box %r has the buttons %r" % (title, [a.name for a in buttons]))
            return buttons[0]
        ok = self.s.wait_for("the box titled %r" % title, probe)
        step("box %r, dismissed by %s" % (title, dismiss))
        if dismiss == "Enter":
            self.s.keys(title, "Return")
        else:
            self.s.click(ok)
        if not ends_program:
            self.s.wait_for("the box %r to close" % title, lambda app: top_window(app, title) is None)

    def menu(self, slot3_title):
        """Waits for the story menu as it must look when it comes on screen."""
        expected = [STORIES[1]["title"], STORIES[2]["title"], slot3_title] + ["unavailable"] * 9

        def probe(app):
            the_frame(app)
            menu = one(app, pyatspi.ROLE_PANEL, "Choose a news story:")
            expect(menu, "no frame 'Choose a news story:' on screen")
            options = [a for a in walk(menu) if a.getRole() == pyatspi.ROLE_RADIO_BUTTON]
            names = [a.name for a in options]
            expect(names == expected, "the menu offers %r, expected %r" % (names, expected))
            for option in options:
                expect(enabled(option) == (option.name != "unavailable"),
                       "option %r is %s" % (option.name, "enabled" if enabled(option) else "disabled"))
                expect(not checked(option), "option %r is selected in a fresh menu" % option.name)
            buttons = {a.name: a for a in walk(menu) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON}
            expect(sorted(buttons) == ["Exit", "OK"], "menu buttons %r" % sorted(buttons))
            expect(not enabled(buttons["OK"]), "OK is enabled before a story is chosen")
            expect(not shown(app, pyatspi.ROLE_TEXT), "the transcript is on screen with the menu")
            expect(not shown(app, pyatspi.ROLE_LABEL), "a lesson label is on screen with the menu: %r"
                   % [a.name for a in shown(app, pyatspi.ROLE_LABEL)])
            return options
        return self.s.wait_for("the story menu", probe)

    def label(self, text):
        return self.s.wait_for("the label %r" % text, lambda app: one(app, pyatspi.ROLE_LABEL, text))

    def button(self, name, want_enabled=True):
        def probe(app):
            button = one(app, pyatspi.ROLE_PUSH_BUTTON, name)
            expect(button is not None, "no button %r on screen" % name)
            expect(enabled(button) == want_enabled, "button %r is %s" % (
                name, "enabled" if enabled(button) else "disabled"))
            return button
        return self.s.wait_for("the button %r" % name, probe)

    def questions(self, story):
        def probe(app):
            frames = []
            for question, answers, _ in story["questions"]:
                frame = one(app, pyatspi.ROLE_PANEL, question)
                expect(frame, "no frame announced as %r" % question)
                options = [a for a in walk(frame) if a.getRole() == pyatspi.ROLE_RADIO_BUTTON]
                names = [a.name for a in options]
                expect(names == answers, "question %r offers %r, expected %r" % (question, names, answers))
                frames.append(options)
            return frames
        return self.s.wait_for("the three questions", probe)

    def choose(self, option):
        self.s.click(option)
        self.s.wait_for("%r selected" % option.name, lambda app: checked(option))

    def run(self):
        s = self.s
        self.box("Vantrel 5.75", lambda text: (
            text.startswith("Vantrel software helps people improve their ability to understand news "
                            "broadcasts on the radio.\r\r")
            and "Download the free software here: " in text and "\n" not in text), "Enter")

        # The menu: titles exactly as read, the ampersand kept; empty slots unavailable.
        story = STORIES[2]
        options = self.menu("unavailable")
        s.click(options[1])
        s.wait_for("the story selected", lambda app: checked(options[1]))
        self.button("OK")
        # Enter on the focused option opens the story.
        s.keys(MENU_TITLE, "Return")

        # Listening: the title and first prompt, then three hearings by mouse.
        self.label(PROMPTS[0])
        self.label(story["title"])
        s.wait_for("the lesson window as a frame", the_frame)
        s.wait_for("the menu to go", lambda app: not shown(app, pyatspi.ROLE_PANEL, "Choose a news story:"))
        self.button("Menu / Exit")
        expect(not shown(s.application(), pyatspi.ROLE_PANEL, story["questions"][0][0]),
               "a question is on screen before any hearing")
        for heard in range(1, 4):
            s.click(self.button("Click to Listen"))
            self.label(PROMPTS[heard])
            step("hearing %d ended: %r" % (heard, PROMPTS[heard]))

        s.click(self.button("Help"))
        self.box("Help", lambda text: text == (
            "Choose a news story.\nListen to the story three times.\nAnswer the questions correctly.\n"
            "Read the text that goes with the story.\nChoose another story and continue."), "click")

        # Questions: each frame announced by its question, each option by its answer.
        answers = self.questions(story)
        expect(not shown(s.application(), pyatspi.ROLE_PUSH_BUTTON, "Click to Listen"),
               "Click to Listen is still on screen after three hearings")
        check = self.button("Check Answers")
        right = [q[2] for q in story["questions"]]

        # A partial check: one right, one wrong, one unanswered.
        self.choose(answers[0][right[0]])
        self.choose(answers[1][(right[1] + 1) % 3])
        s.click(check)
        self.box("Checking Work", lambda text: text == "You've answered one of the questions correctly.",
                 "click")
        self.label(PROMPTS[3])
        expect(not shown(s.application(), pyatspi.ROLE_TEXT), "the transcript is on screen after a partial check")

        # The full check, by the access key Alt+A.
        self.choose(answers[1][right[1]])
        self.choose(answers[2][right[2]])
        s.keys(MENU_TITLE, "alt+a")
        self.box("Checking Work", lambda text: text == (
            "You've answered all the questions correctly.\n\n"
            "             Now read what you've heard.        "), "Enter")

        # The transcript, announced as such, with the story's text.
        self.label("Read the script:")
        transcript = s.wait_for("the transcript", lambda app: one(app, pyatspi.ROLE_TEXT, "Transcript"))
        expect(transcript.queryText().getText(0, -1) == story["transcript"],
               "the transcript reads %r" % transcript.queryText().getText(0, -1))
        self.button("Check Answers", want_enabled=False)

        # A click in the transcript, then Esc: back to the menu, where slot 3
        # now shows its title line.
        s.click(transcript)
        s.keys(MENU_TITLE, "Escape")
        self.menu(STORIES[3]["title"])

        # Esc in the menu: the closing box, then the end.
        s.keys(MENU_TITLE, "Escape")
        self.box("Vantrel", lambda text: (
            text.startswith(" " * 16 + "Version 5.75\n\n") and text.count("\n") == 4
            and "\n\n\n" not in text), "Enter", ends_program=True)
        try:
            status = s.app_proc.wait(STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after the closing box")
        expect(status == 0, "the program ended with status %d" % status)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.realpath(sys.argv[1])
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="vantrel-e2e-") as work:
        session = Session(binary, work)
        try:
            if not session.start_x():
                print("SKIP: Xvfb could not start (apt-get install xvfb)")
                return SKIP
            session.start_bus()
            folder = os.path.join(work, "library")
            os.mkdir(folder)
            write_library(folder)
            session.start_program(folder)
            Lesson(session).run()
        except (Failure, OSError, subprocess.SubprocessError) as error:
            print("FAIL:", error, file=sys.stderr)
            for log in ("program.log", "servers.log"):
                path = os.path.join(work, log)
                if os.path.exists(path):
                    with open(path, errors="replace") as f:
                        print("--- %s\n%s" % (log, f.read()[-4000:]), file=sys.stderr)
            return 1
        finally:
            session.stop()
    print("ok: a whole lesson in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
