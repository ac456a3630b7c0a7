#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Words as a student hears and sees them, measured from outside.

A story of three sentences of four "words" each, every word a 0.4 s tone of
its own pitch with 0.1 s of silence after it, is built by vantrel-make from
a teacher's WebVTT file that times every word. The real program runs in a
real X window (Xvfb) and plays to a private sound server, recorded with
parec (bench/listening_bench.py's tools).

After the three hearings and a full score: plain Plays as the reference;
one Play through the story while the transcript is watched on screen (each
word's marking change against its first sound); then, several times, Play,
Pause in the middle of a word and F5 (sent through XTest): the word where
the player paused must be heard alone, starting at most 100 ms later after
the key than a plain Play's sound, and last its span (to the next word's
start, or its sentence's end), +-100 ms.

Usage: words_bench.py VANTREL VANTREL_MAKE UI_FILE
(scripts/bench-words.sh builds what it needs and runs it.)
"""

import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

from Xlib import X, XK
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import listening_bench as lb  # noqa: E402
from sentences_bench import Watcher, pitch  # noqa: E402

WORDS = [["Alpha", "bravo", "charlie", "delta."], ["Echo", "foxtrot", "golf", "hotel."],
         ["India", "juliet", "kilo", "lima."]]
PITCHES = [300 + 100 * i for i in range(12)]  # Hz, one per word
LEAD, TONE, GAP, PAUSE = 0.5, 0.4, 0.1, 0.5   # s
ENCODER_DELAY = 1105 / 22050  # s the MP3 as played lags its recording
GUESSED_LATENCY = 0.05  # s from a click to its sound, to pause in the middle of a word
# (sentence, word) where the player is paused before F5
TARGETS = [(0, 1), (0, 2), (1, 0), (1, 3), (2, 1), (2, 2)]


def word_start(s, k):
    """Where word K of sentence S starts in the recording, in s."""
    return LEAD + s * (4 * (TONE + GAP) - GAP + PAUSE) + k * (TONE + GAP)


def stamp(seconds):
    return "%02d:%06.3f" % (seconds // 60, seconds % 60)


def build_story(folder, maker):
    src = os.path.join(folder, "src")
    os.makedirs(src)
    parts = []
    for s in range(3):
        for k in range(4):
            tone = os.path.join(src, "w%d%d.wav" % (s, k))
            gap = GAP if k < 3 else PAUSE
            subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", tone, "synth", str(TONE), "sine",
                            str(PITCHES[4 * s + k]), "vol", "0.5", "pad", "0", str(gap)], check=True)
            parts.append(tone)
    subprocess.run(["sox"] + parts + [os.path.join(src, "story.wav"), "pad", str(LEAD), "0"], check=True)
    cues = ["WEBVTT", ""]
    for s, words in enumerate(WORDS):
        end = word_start(s, 3) + TONE
        text = " ".join(("<%s>" % stamp(word_start(s, k)) if k else "") + w for k, w in enumerate(words))
        cues += ["%s --> %s" % (stamp(word_start(s, 0)), stamp(end)), text, ""]
    with open(os.path.join(src, "words.vtt"), "w") as f:
        f.write("\n".join(cues))
    questions = "".join("question: Which word is %s?\n* %s\n- Other\n- None\n" % (n, w)
                        for n, w in (("first", "Alpha"), ("fifth", "Echo"), ("ninth", "India")))
    transcript = " ".join(" ".join(words) for words in WORDS)
    with open(os.path.join(src, "01.story"), "w") as f:
        f.write("title: Twelve words\naudio: story.wav\ntimings: words.vtt\ntranscript:\n" + transcript
                + "\n\n" + questions)
    subprocess.run([maker, src, os.path.join(folder, "lib")], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(folder, "lib")


def which(hz):
    return min(range(len(PITCHES)), key=lambda i: abs(PITCHES[i] - hz))


def press(screen, name):
    """Presses and releases a key through XTest; returns the time it was sent."""
    code = screen.d.keysym_to_keycode(XK.string_to_keysym(name))
    xtest.fake_input(screen.d, X.KeyPress, code)
    xtest.fake_input(screen.d, X.KeyRelease, code)
    sent = time.monotonic()
    screen.d.sync()
    return sent


def lesson(args, screen, rects, folder, plays, recorder, events):
    env = dict(os.environ, PULSE_SERVER=recorder.server)
    program = subprocess.Popen([args.vantrel], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    try:
        screen.window("Vantrel 5.75")
        time.sleep(0.3)
        screen.key("Return")
        _, origin = screen.window("Vantrel: Choose a Story")
        time.sleep(1.0)

        def click(name, dx=None, dy=None, wait=0.3):
            x, y, w, h = rects[name]
            screen.move(origin[0] + x + (w // 2 if dx is None else dx), origin[1] + y + (h // 2 if dy is None else dy))
            time.sleep(0.05)
            sent = screen.click()
            time.sleep(wait)
            return sent

        def player(button, wait):
            return click("AudioPlayer", dx=2 + {"Play": 0, "Stop": 1}[button] * 23 + 11, dy=11, wait=wait)

        story = word_start(2, 3) + TONE + 0.5
        click("CuentoUno")
        click("StoryChosen", wait=1.0)
        for _ in range(3):
            click("Escuchar", wait=story + 1.5)
        for name in ("PregUnoA", "PregDosA", "PregTresA"):
            click(name, dx=10)
        click("CheckWork")
        screen.key("Return")
        time.sleep(0.5)
        player("Stop", 0.5)
        for _ in range(plays):
            events.append(("Play", player("Play", LEAD + 0.5)))
            player("Play", 0.3)  # pause
            player("Stop", 0.5)
        watcher = Watcher(lb.on_screen(rects["ScriptBox"], origin))
        watcher.start()
        events.append(("Through", player("Play", story + 0.5)))
        watcher.running = False
        events.append(("Marks", watcher.changes))
        for s, k in TARGETS:
            player("Stop", 0.4)
            started = player("Play", 0.0)
            time.sleep(max(0.0, started + GUESSED_LATENCY + ENCODER_DELAY + word_start(s, k) + TONE / 2
                           - time.monotonic()))
            events.append(("Paused", player("Play", 0.4), (s, k)))
            events.append(("F5", press(screen, "F5"), (s, k)))
            time.sleep(TONE + GAP + 0.6)
    finally:
        if program.poll() is not None:
            print("vantrel ended early, status %s" % program.returncode, file=sys.stderr)
        program.terminate()
        program.wait()
        errors = program.stderr.read().strip()
        if errors:
            print("vantrel said:", errors, file=sys.stderr)


def report(events, recorder):
    ok = True
    plain = []
    for name, sent, *rest in events:
        if name == "Play":
            runs = recorder.runs(sent, sent + LEAD + 0.5)
            if runs:
                plain.append((runs[0][0] - sent - LEAD - ENCODER_DELAY) * 1000)
    plain_median = statistics.median(plain) if plain else float("nan")
    print("plain Play, click to sound: median %.1f ms of %d" % (plain_median, len(plain)))

    through = next(sent for name, sent, *rest in events if name == "Through")
    marks = next(changes for name, changes, *rest in events if name == "Marks")
    runs = recorder.runs(through, through + word_start(2, 3) + TONE + 1.0)
    if len(runs) != 12:
        print("Play through the story: %d stretches of sound heard, not 12  <-- NOT MET" % len(runs))
        ok = False
    late = []
    for n, (start, _) in enumerate(runs[:12]):
        near = [c - start for c in marks if start - 0.2 <= c <= start + 0.4]
        late.append(min(near, key=abs) * 1000 if near else None)
    seen = [m for m in late if m is not None]
    if seen:
        print("marking, change on screen minus the word's first sound: median %+.1f ms, from %+.1f to %+.1f ms, "
              "%d of %d words" % (statistics.median(seen), min(seen), max(seen), len(seen), len(late)))
    if len(seen) < len(late) or any(abs(m) > 100 for m in seen):
        print("  not every word's marking changed within 100 ms of its sound: %s  <-- NOT MET"
              % ", ".join("-" if m is None else "%+.0f" % m for m in late))
        ok = False

    for i, (name, sent, *rest) in enumerate(events):
        if name != "F5":
            continue
        s, k = rest[0]
        paused_at = events[i - 1][1]
        if os.environ.get("BENCH_DEBUG"):
            print("word %d: played %s" % (4 * s + k + 1, ["%.3f-%.3f" % (a - paused_at, b - paused_at)
                                                       for a, b in recorder.runs(paused_at - 2.5, sent + 1.2)]))
        before = recorder.runs(paused_at - 0.6, paused_at)
        meant = which(pitch(recorder, before[-1][0] + 0.02, before[-1][1] - 0.02)) if before else None
        until = events[i + 1][1] if i + 1 < len(events) else sent + 1.5
        heard = recorder.runs(sent, min(until, sent + TONE + GAP + 0.6))
        if not heard:
            print("  F5 at word %d: no sound  <-- NOT MET" % (4 * s + k + 1))
            ok = False
            continue
        start, stop = heard[0][0], heard[-1][1]
        word = which(pitch(recorder, start + 0.02, min(start + 0.2, stop)))
        latency, length = (start - sent) * 1000, (stop - start) * 1000
        # Its span runs to the next word's start; the last word's, to its sentence's end.
        span = (TONE + (GAP if word % 4 < 3 else 0.0)) * 1000
        good = word == meant and latency <= plain_median + 100 and abs(length - span) <= 100
        ok &= good
        print("  F5, paused in word %s: heard from word %d, key to sound %.1f ms (+%.1f on plain Play), "
              "for %.1f ms (its span %.0f: %+.1f)%s"
              % ("-" if meant is None else meant + 1, word + 1, latency, latency - plain_median, length, span,
                 length - span, "" if good else "  <-- NOT MET"))
    if lb.lost_note(recorder):
        print(lb.lost_note(recorder))
    print("goals met" if ok else "GOALS NOT MET")
    return ok


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vantrel"), parser.add_argument("maker"), parser.add_argument("ui_file")
    parser.add_argument("--plays", type=int, default=5)
    args = parser.parse_args()
    runtime, folder = tempfile.mkdtemp(), tempfile.mkdtemp()
    library = build_story(folder, args.maker)
    server, address = lb.start_sound_server(runtime)
    events = []
    try:
        recorder = lb.Recorder(address)
        recorder.server = address
        time.sleep(1.5)
        lesson(args, lb.Screen(), lb.control_rects(args.ui_file), library, args.plays, recorder, events)
        time.sleep(0.5)
        met = report(events, recorder)
    finally:
        recorder.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
