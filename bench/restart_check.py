#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Does sound come back with the sound server? Measured from outside.

The real program in a real X server (Xvfb) plays a tone story to a private
sound server, PulseAudio or PipeWire, whose null sink is recorded with parec,
as in listening_bench.py. The story is heard three times: the server is
killed one second into the first hearing, the second is heard with no server
at all, the server is then started again at the same socket and the third
hearing and the full player's Play are recorded. Meanwhile _NET_WM_PING
messages go to the window one after another; Qt answers each from its GUI
thread, so the slowest round trip bounds the longest time the window did not
answer.

Pass: the third hearing and the full player heard whole (at least 2.95 s of
the 3 s tone), and no round trip over 100 ms.

With --idle the server is killed between two hearings instead, while
nothing plays, and the next hearing after its return must be heard whole.

Usage: restart_check.py VANTREL UI_FILE TONE_MP3 [--wait SECONDS] [--idle]
(scripts/check-sound-restart.sh builds what it needs and runs it.)
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from Xlib import X, display as xdisplay
from Xlib.protocol import event as xevent

from listening_bench import (Recorder, Screen, centre, control_rects, lost_note, on_screen,
                             settled_look, start_sound_server, write_library)

TONE_SECONDS = 3.0
WHOLE_SECONDS = 2.95
SLOWEST_ANSWER_MS = 100.0
PLAY_BUTTON = (2 + 11, 11)  # centre of Play in the full player: margin, half a 22 px row


class Recording(Recorder):
    """A Recorder whose first seconds do not map time: a fresh monitor stream
    comes in bursts ahead of the clock, which listening_bench.py's long wait
    before the first hearing hides, and a restarted server gives no such wait."""

    SETTLE = 2.0

    def __init__(self, server):
        self.began = time.monotonic()
        self.settled = self.began + self.SETTLE
        super().__init__(server)


class Pinger:
    """_NET_WM_PING round trips to one window, each sent when the last came back."""

    def __init__(self, window_id):
        self.d = xdisplay.Display()
        self.root = self.d.screen().root
        # Qt sends its answer to the root window with this mask.
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        self.window = self.d.create_resource_object("window", window_id)
        self.protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.ping = self.d.intern_atom("_NET_WM_PING")
        self.trips = []  # (sent, seconds)
        self.running = True
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        serial = 0
        while self.running:
            serial += 1
            message = xevent.ClientMessage(window=self.window, client_type=self.protocols,
                                           data=(32, [self.ping, serial, self.window.id, 0, 0]))
            sent = time.monotonic()
            self.window.send_event(message, event_mask=0)
            self.d.flush()
            answered = self._answer(serial, sent + 10)
            self.trips.append((sent, (answered or float("inf")) - sent))
            time.sleep(0.005)

    def _answer(self, serial, deadline):
        while time.monotonic() < deadline:
            while self.d.pending_events():
                e = self.d.next_event()
                if e.type == X.ClientMessage and e.data[1][1] == serial:
                    return time.monotonic()
            select.select([self.d], [], [], 0.05)
        return None

    def slowest(self, since, until):
        trips = [t for sent, t in self.trips if since <= sent <= until]
        return max(trips) * 1000 if trips else float("nan"), len(trips)

    def slower(self, than_ms, since, until):
        """The round trips over than_ms, as (sent, ms)."""
        return [(sent, t * 1000) for sent, t in self.trips if since <= sent <= until and t * 1000 > than_ms]

    def stop(self):
        self.running = False
        self.thread.join()


def calibrate(pinger, pid):
    """Stops the program for 200 ms: the pings must show it, or they measure nothing."""
    time.sleep(0.3)
    since = time.monotonic()
    os.kill(pid, signal.SIGSTOP)
    time.sleep(0.2)
    os.kill(pid, signal.SIGCONT)
    time.sleep(0.3)
    return pinger.slowest(since, time.monotonic())[0]


def hear(screen, listen, origin, during=None):
    """Clicks "Click to Listen" and waits until it looks enabled again."""
    rect = on_screen(listen, origin)
    enabled_look = screen.look(rect)
    clicked = screen.click()
    timer = threading.Timer(1.0, during) if during else None
    if timer:
        timer.start()
    disabled_look = settled_look(screen, rect, enabled_look)
    while screen.look(rect) == disabled_look:
        time.sleep(0.002)
    if timer:
        timer.join()
    return dict(clicked=clicked, enabled=time.monotonic())


def heard_seconds(recorder, since, until):
    return sum(end - start for start, end in recorder.runs(since, until))


class Server:
    """The private sound server, killed and started again at the same socket.

    The recording connects through a socket of its own, and the program's
    socket opens only once the recording has settled: a playback stream made
    in a monitor's first second or two came out seconds late, at a fresh
    server and at an old one alike, which would be the check's fault."""

    def __init__(self, runtime):
        self.runtime = runtime
        self.address = "unix:%s/native" % runtime
        self.notes = []  # what each life's recording lost
        self.start()

    def start(self):
        os.makedirs(os.path.join(self.runtime, "rec"), exist_ok=True)
        self.proc, recording = start_sound_server(os.path.join(self.runtime, "rec"))
        self.recorder = Recording(recording)
        time.sleep(Recording.SETTLE)
        self.proc.open("%s/native" % self.runtime)
        self.started = time.monotonic()

    def kill(self):
        self.killed = time.monotonic()
        self.proc.kill()
        self.proc.wait()
        self.recorder.stop()
        self.notes.append(lost_note(self.recorder))

    def stop(self):
        self.recorder.stop()
        self.proc.terminate()
        self.proc.wait()
        self.notes.append(lost_note(self.recorder))


def open_story(screen, rects):
    screen.window("Vantrel 5.75")
    time.sleep(0.3)
    screen.key("Return")
    window, origin = screen.window("Vantrel: Choose a Story")
    time.sleep(1.0)
    screen.move(*centre(rects["CuentoUno"], origin))
    screen.click()
    time.sleep(0.2)
    screen.move(*centre(rects["StoryChosen"], origin))
    screen.click()
    time.sleep(1.0)
    return window, origin


def run(args, folder, runtime):
    rects = control_rects(args.ui_file)
    server = Server(runtime)
    program = subprocess.Popen([args.vantrel], cwd=folder,
                               env=dict(os.environ, PULSE_SERVER=server.address),
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    screen = Screen()
    figures = {}
    try:
        window, origin = open_story(screen, rects)
        pinger = Pinger(window.id)
        figures["calibration"] = calibrate(pinger, program.pid)
        watched = time.monotonic()
        listen = rects["Escuchar"]
        screen.move(*centre(listen, origin))
        time.sleep(0.1)
        first = hear(screen, listen, origin, during=None if args.idle else server.kill)
        if args.idle:
            # Killed while nothing plays, and back before the next click: no
            # play in between tells the program that its stream is gone.
            time.sleep(0.6)
            server.kill()
            time.sleep(3.0)
        else:
            figures["killed after"] = server.killed - first["clicked"]
            figures["heard 1"] = heard_seconds(server.recorder, first["clicked"], server.killed)
            time.sleep(0.6)
            second = hear(screen, listen, origin)
            figures["hearing 2 took"] = second["enabled"] - second["clicked"]
            time.sleep(0.6)
        server.start()
        time.sleep(args.wait)
        third = hear(screen, listen, origin)
        if args.idle:
            time.sleep(0.6)
            hear(screen, listen, origin)
        figures["heard 3"] = heard_seconds(server.recorder, third["clicked"],
                                           third["clicked"] + TONE_SECONDS + 0.5)
        figures["runs 3"] = [(round(a - third["clicked"], 3), round(b - third["clicked"], 3))
                             for a, b in server.recorder.runs(third["clicked"] - 2.5, third["clicked"] + 9)]
        time.sleep(1.5)  # the questions and the full player come up
        x, y, _, _ = rects["AudioPlayer"]
        screen.move(origin[0] + x + PLAY_BUTTON[0], origin[1] + y + PLAY_BUTTON[1])
        played = screen.click()
        time.sleep(TONE_SECONDS + 1.0)
        figures["heard full player"] = heard_seconds(server.recorder, played,
                                                     played + TONE_SECONDS + 1.0)
        figures["slowest answer"], figures["answers"] = pinger.slowest(watched, time.monotonic())
        # When the window was slow, beside what the server and the clicks did:
        # a slow answer just after the server's return is the program's doing.
        figures["slow answers"] = [(round(sent - first["clicked"], 2), round(ms, 1)) for sent, ms
                                   in pinger.slower(SLOWEST_ANSWER_MS, watched, time.monotonic())]
        figures["moments"] = [(name, round(at - first["clicked"], 2)) for name, at in
                              (("server killed", server.killed), ("server back", server.started),
                               ("next hearing clicked", third["clicked"]),
                               ("Play clicked", played))]
        pinger.stop()
    finally:
        program.terminate()
        program.wait()
        server.stop()
        figures["lost"] = ["%s: %s" % (life, note) for life, note in
                           zip(("the server's first life", "after its return"), server.notes) if note]
        figures["stderr"] = program.stderr.read().strip()
    return figures


def report(figures, wait):
    if "killed after" in figures:
        print("server killed %.2f s into hearing 1; %.2f s of the tone heard before"
              % (figures["killed after"], figures["heard 1"]))
        print("hearing 2, no server: Listen enabled again after %.2f s" % figures["hearing 2 took"])
    else:
        print("server killed after hearing 1, while nothing played, and gone for 3 s")
    print("next hearing, %.1f s after the server came back: %.3f s of %.1f s heard"
          % (wait, figures["heard 3"], TONE_SECONDS))
    print("  its sound, in seconds from the click:", figures["runs 3"])
    print("full player's Play: %.3f s of %.1f s heard" % (figures["heard full player"], TONE_SECONDS))
    print("window: slowest of %d ping round trips %.1f ms (a 200 ms stop showed as %.1f ms)"
          % (figures["answers"], figures["slowest answer"], figures["calibration"]))
    if figures["slow answers"]:
        print("  over %.0f ms (s from the first click, ms): %s; %s"
              % (SLOWEST_ANSWER_MS, figures["slow answers"],
                 ", ".join("%s at %.2f s" % moment for moment in figures["moments"])))
    for note in figures["lost"]:
        print(note)
    print("vantrel said:", figures["stderr"] or "(nothing)")
    goals = [figures["heard 3"] >= WHOLE_SECONDS, figures["heard full player"] >= WHOLE_SECONDS,
             figures["slowest answer"] <= SLOWEST_ANSWER_MS, figures["calibration"] >= 190]
    print("goals met" if all(goals) else "GOALS NOT MET")
    return 0 if all(goals) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vantrel")
    parser.add_argument("ui_file")
    parser.add_argument("tone")
    parser.add_argument("--wait", type=float, default=3.0,
                        help="seconds between the server's return and the next click")
    parser.add_argument("--idle", action="store_true",
                        help="kill the server between hearings rather than during one")
    args = parser.parse_args()
    args.vantrel = os.path.realpath(args.vantrel)  # it runs in the library's folder
    runtime = tempfile.mkdtemp()
    folder = tempfile.mkdtemp()
    write_library(folder, args.tone, 1)
    try:
        figures = run(args, folder, runtime)
    finally:
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)
    return report(figures, args.wait)


if __name__ == "__main__":
    sys.exit(main())
