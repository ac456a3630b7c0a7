#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a student hears when clicking "Click to Listen", measured from outside.

The real program runs in a real X server (Xvfb) on a library of tone stories
and plays to a private sound server (scripts/sound-server.sh: PulseAudio, or
PipeWire when VANTREL_SOUND_SERVER=pipewire) whose null sink is recorded with
parec. Clicks are sent through XTest; the click times, the recording and the
moment "Click to Listen" looks enabled again on screen share one clock
(time.monotonic). The same hearings are then played by a bare GStreamer
playbin (bench/bare_playbin.cpp) as the reference.

Per hearing: click to first sound, the share of the tone heard, and the end
skew (Listen enabled again minus the last sound).

Usage: listening_bench.py VANTREL BARE_PLAYBIN UI_FILE TONE_MP3 [--stories N] [--busy]
(scripts/bench-listening.sh builds what it needs and runs it quiet and busy.)
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

from Xlib import X, display as xdisplay
from Xlib.ext import xtest

from sound_capture import LOUD, RATE, WINDOW, Recorder, SoundServer, start_sound_server  # noqa: F401


def control_rects(ui_file):
    """Each named widget's rectangle in window coordinates, from the .ui file."""
    rects = {}

    def walk(node, ox, oy):
        for widget in node.findall("widget"):
            rect = widget.find("property[@name='geometry']/rect")
            x, y, w, h = (int(rect.find(k).text) for k in ("x", "y", "width", "height")) \
                if rect is not None else (0, 0, 0, 0)
            rects[widget.get("name")] = (ox + x, oy + y, w, h)
            walk(widget, ox + x, oy + y)

    walk(ET.parse(ui_file).getroot().find("widget"), 0, 0)
    return rects


def write_library(folder, tone, count):
    lines = [""] * 288
    for slot in range(1, count + 1):
        base = 24 * (slot - 1)
        lines[base] = "TONE%02d" % slot
        lines[base + 1] = "Tone story %d" % slot
        shutil.copy(tone, os.path.join(folder, "TONE%02d.MP3" % slot))
    text = "".join(line + "\r\n" for line in lines)
    text += "=" * (8864 - len(text) - 2) + "\r\n"
    with open(os.path.join(folder, "vtl.txt"), "wb") as f:
        f.write(text.encode("ascii"))


class Screen:
    def __init__(self):
        self.d = xdisplay.Display()
        self.root = self.d.screen().root

    def window(self, title, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            out = subprocess.run(["xdotool", "search", "--name", "^%s$" % title],
                                 capture_output=True, text=True).stdout.split()
            if out:
                window = self.d.create_resource_object("window", int(out[-1]))
                pos = self.root.translate_coords(window, 0, 0)
                return window, (pos.x, pos.y)
            time.sleep(0.05)
        raise SystemExit("no window titled %r" % title)

    def move(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y)
        self.d.sync()

    def click(self):
        """Clicks where the pointer is; returns the time the click was sent."""
        xtest.fake_input(self.d, X.ButtonPress, 1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        sent = time.monotonic()
        self.d.sync()
        return sent

    def key(self, name):
        subprocess.run(["xdotool", "key", name], check=True)

    def look(self, rect):
        x, y, w, h = rect
        return self.root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data


def centre(rect, origin):
    x, y, w, h = rect
    return origin[0] + x + w // 2, origin[1] + y + h // 2


def on_screen(rect, origin):
    x, y, w, h = rect
    return origin[0] + x + 4, origin[1] + y + 4, w - 8, h - 8


def settled_look(screen, rect, before, settle=0.2, timeout=2.0):
    """The look of rect once it has changed from before and held still."""
    end = time.monotonic() + timeout
    look = screen.look(rect)
    while look == before:
        if time.monotonic() > end:
            raise SystemExit("'Click to Listen' did not change on screen after a click")
        time.sleep(0.002)
        look = screen.look(rect)
    still_since = time.monotonic()
    while time.monotonic() - still_since < settle:
        time.sleep(0.01)
        now = screen.look(rect)
        if now != look:
            look, still_since = now, time.monotonic()
    return look


def vantrel_hearings(args, screen, recorder, folder, rects):
    env = dict(os.environ, PULSE_SERVER=recorder.server)
    program = subprocess.Popen([args.vantrel], cwd=folder, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        screen.window("Vantrel 5.75")
        time.sleep(0.3)
        screen.key("Return")
        _, origin = screen.window("Vantrel: Choose a Story")
        time.sleep(1.0)
        hearings = []
        names = ["CuentoUno", "CuentoDos", "CuentoTres", "CuentoCuatro", "CuentoCinco",
                 "CuentoSeis", "CuentoSiete", "CuentoOcho", "CuentoNueve", "CuentoDiez",
                 "CuentoOnce", "CuentoDoce"]
        listen = rects["Escuchar"]
        for slot in range(args.stories):
            screen.move(*centre(rects[names[slot]], origin))
            screen.click()
            time.sleep(0.2)
            screen.move(*centre(rects["StoryChosen"], origin))
            screen.click()
            time.sleep(args.pause)  # a student moving to "Click to Listen"
            screen.move(*centre(listen, origin))
            time.sleep(0.1)
            for n in range(3):
                enabled_look = screen.look(on_screen(listen, origin))
                clicked = screen.click()
                disabled_look = settled_look(screen, on_screen(listen, origin), enabled_look)
                while screen.look(on_screen(listen, origin)) == disabled_look:
                    time.sleep(0.002)
                enabled = time.monotonic()
                hearings.append(dict(first=n == 0, clicked=clicked, enabled=enabled))
                time.sleep(0.6)
            screen.move(*centre(rects["CambioCuento"], origin))
            screen.click()
            time.sleep(0.4)
        return hearings
    finally:
        program.terminate()
        program.wait()
        errors = program.stderr.read().strip()
        if errors:
            print("vantrel said:", errors, file=sys.stderr)


def bare_hearings(args, recorder, folder):
    files = [os.path.join(folder, "TONE%02d.MP3" % (slot + 1)) for slot in range(args.stories)]
    env = dict(os.environ, PULSE_SERVER=recorder.server)
    bare = subprocess.Popen([args.bare] + files, env=env, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)

    def command(text):
        sent = time.monotonic()
        bare.stdin.write(text + "\n")
        bare.stdin.flush()
        bare.stdout.readline()
        return sent

    bare.stdout.readline()
    hearings = []
    for _ in range(args.stories):
        time.sleep(args.pause)
        for n in range(3):
            hearings.append(dict(first=n == 0, clicked=command("play"), enabled=None))
            time.sleep(args.tone_seconds + 0.7)
        command("next")
    command("quit")
    bare.wait()
    return hearings


def measure(hearings, recorder, tone_seconds):
    for i, h in enumerate(hearings):
        until = hearings[i + 1]["clicked"] if i + 1 < len(hearings) else h["clicked"] + tone_seconds + 1.5
        runs = recorder.runs(h["clicked"], until)
        h["latency"] = (runs[0][0] - h["clicked"]) * 1000 if runs else None
        h["heard"] = sum(end - start for start, end in runs) / tone_seconds * 100
        h["skew"] = (h["enabled"] - runs[-1][1]) * 1000 if runs and h["enabled"] else None


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else float("nan")


def lost_within(recorder, since, until):
    """The sound server time the recording lost between two monotonic times."""
    return sum(lost for at, lost in recorder.lost_steps() if since <= at <= until)


def lost_note(recorder):
    """A line on the time the recording lost, if it lost any."""
    steps = recorder.lost_steps()
    if not steps:
        return None
    began = recorder.chunks[0][0]
    return ("the recording lost sound server time (each hearing is mapped from its own side, but one "
            "that spans a loss is off by as much): "
            + ", ".join("%.0f ms at %.1f s" % (lost * 1000, at - began) for at, lost in steps))


def report(name, hearings):
    first = [h["latency"] for h in hearings if h["first"]]
    later = [h["latency"] for h in hearings if not h["first"]]
    heard = [h["heard"] for h in hearings]
    print("%s: %d hearings" % (name, len(hearings)))
    print("  click to sound, first hearings: median %.1f ms (%.1f to %.1f)"
          % (median(first), min(v for v in first if v is not None), max(v for v in first if v is not None)))
    print("  click to sound, later hearings: median %.1f ms (%.1f to %.1f)"
          % (median(later), min(v for v in later if v is not None), max(v for v in later if v is not None)))
    print("  share of the tone heard: least %.1f %%, median %.1f %%; %d of %d at least 98 %%"
          % (min(heard), median(heard), sum(h >= 98 for h in heard), len(heard)))
    skews = [h["skew"] for h in hearings if h["skew"] is not None]
    if skews:
        print("  end skew (Listen enabled again minus last sound): median %.1f ms, %.1f to %.1f ms"
              % (median(skews), min(skews), max(skews)))
    return median(first), median(later), min(heard), skews


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vantrel")
    parser.add_argument("bare")
    parser.add_argument("ui_file")
    parser.add_argument("tone")
    parser.add_argument("--stories", type=int, default=10)
    parser.add_argument("--tone-seconds", type=float, default=3.0)
    parser.add_argument("--pause", type=float, default=1.0)
    parser.add_argument("--busy", action="store_true", help="keep both cores busy meanwhile")
    args = parser.parse_args()

    runtime = tempfile.mkdtemp()
    folder = tempfile.mkdtemp()
    write_library(folder, args.tone, args.stories)
    server, address = start_sound_server(runtime)
    load = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(os.cpu_count() or 2)] \
        if args.busy else []
    try:
        recorder = Recorder(address)
        recorder.server = address
        time.sleep(1.5)  # the recording stream itself starts late
        rects = control_rects(args.ui_file)
        screen = Screen()
        ours = vantrel_hearings(args, screen, recorder, folder, rects)
        reference = bare_hearings(args, recorder, folder)
        time.sleep(0.5)
        measure(ours, recorder, args.tone_seconds)
        measure(reference, recorder, args.tone_seconds)
        recorder.stop()
    finally:
        for p in load:
            p.kill()
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)

    print("machine: %s; tone %.3f s; %d stories, 3 hearings each; pause before the first: %.1f s"
          % ("busy (both cores loaded)" if args.busy else "quiet", args.tone_seconds, args.stories, args.pause))
    v_first, v_later, v_heard, skews = report("Vantrel", ours)
    b_first, b_later, _, _ = report("bare playbin", reference)
    if lost_note(recorder):
        print(lost_note(recorder))
    print("ratio to the bare playbin, click to sound: first %.2f, later %.2f"
          % (v_first / b_first, v_later / b_later))
    goals = [v_heard >= 98, v_first <= 100, v_later <= 100, v_first <= 1.2 * b_first,
             v_later <= 1.2 * b_later, all(abs(s) <= 250 for s in skews)]
    print("goals met" if all(goals) else "GOALS NOT MET")
    return 0 if all(goals) else 1


if __name__ == "__main__":
    sys.exit(main())
