#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The full player's sentence steps as a student hears them, measured from outside.

A story of five sentences, each a 1 s tone of its own pitch, back to back,
is built by vantrel-make with the tones' times as the teacher's labels. The
real program runs in a real X window (Xvfb) and plays to a private sound
server, PulseAudio or PipeWire, recorded with parec (bench/listening_bench.py's
tools).
After the three hearings and a full score, XTest clicks plain Play and the
sentence buttons, F6 turns the pause after each sentence on, and Play goes
through the story sentence by sentence. Per step: click to the first sound,
whose pitch says which sentence it is; how long the sound runs past the
sentence's end (the next tone, when the player does not pause in time); and
when the transcript's marking changes on screen against the sound. Last, the
dictation opens and its "Play sentence" and "Next sentence" are clicked: each
must be heard as its sentence alone, as soon after its click as a step.

Usage: sentences_bench.py VANTREL VANTREL_MAKE UI_FILE
(scripts/bench-sentences.sh builds what it needs and runs it.)
"""

import argparse, os, shutil, statistics, subprocess, sys, tempfile, threading, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import listening_bench as lb  # noqa: E402

PITCHES = [400, 600, 800, 1000, 1200]  # Hz, one per sentence
LEAD, LENGTH = 0.5, 1.0                # s of silence before the first; each sentence's length
WORDS = ["First", "Second", "Third", "Fourth", "Fifth"]
ENCODER_DELAY = 1105 / 22050  # s the MP3 as played lags its recording


def build_story(folder, maker):
    src = os.path.join(folder, "src")
    os.makedirs(src)
    tones = [["-n", "-r", "22050", "-c", "1", os.path.join(src, "t%d.wav" % i), "synth", str(LENGTH), "sine",
              str(p), "vol", "0.5"] for i, p in enumerate(PITCHES)]
    for args in tones:
        subprocess.run(["sox"] + args, check=True)
    subprocess.run(["sox"] + [os.path.join(src, "t%d.wav" % i) for i in range(5)]
                   + [os.path.join(src, "story.wav"), "pad", str(LEAD), "0.5"], check=True)
    with open(os.path.join(src, "labels.txt"), "w") as f:
        for i, word in enumerate(WORDS):
            f.write("%.3f\t%.3f\t%s tone.\n" % (LEAD + i * LENGTH, LEAD + (i + 1) * LENGTH, word))
    questions = "".join("question: Which tone is %s?\n* %s\n- Other\n- None\n" % (w.lower(), w) for w in WORDS[:3])
    with open(os.path.join(src, "01.story"), "w") as f:
        f.write("title: Five tones\naudio: story.wav\ntimings: labels.txt\ntranscript:\n"
                + " ".join("%s tone." % w for w in WORDS) + "\n\n" + questions)
    subprocess.run([maker, src, os.path.join(folder, "lib")], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(folder, "lib")


def pitch(recorder, start, end):
    """The pitch of the sound between two monotonic times, by zero crossings."""
    data = memoryview(bytes(recorder.samples)).cast("h")
    offset = recorder.offset(start)
    a, b = int((start - offset) * lb.RATE), int((end - offset) * lb.RATE)
    crossings = sum(1 for i in range(a + 1, b) if (data[i - 1] < 0) != (data[i] < 0))
    return crossings / 2 / ((b - a) / lb.RATE)


def which(hz):
    return min(range(len(PITCHES)), key=lambda i: abs(PITCHES[i] - hz))


class Watcher(threading.Thread):
    """Times every change of a screen rectangle's look."""

    def __init__(self, rect):
        super().__init__(daemon=True)
        self.screen, self.rect, self.changes, self.running = lb.Screen(), rect, [], True

    def run(self):
        last = self.screen.look(self.rect)
        while self.running:
            now = self.screen.look(self.rect)
            if now != last:
                self.changes.append(time.monotonic())
                last = now
            time.sleep(0.002)


def lesson(args, screen, rects, folder, steps, recorder):
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

        click("CuentoUno")
        click("StoryChosen", wait=1.0)
        for _ in range(3):
            click("Escuchar", wait=LEAD + 5 * LENGTH + 1.5)
        for name in ("PregUnoA", "PregDosA", "PregTresA"):
            click(name, dx=10)
        click("CheckWork")
        screen.key("Return")
        time.sleep(0.5)
        watcher = Watcher(lb.on_screen(rects["ScriptBox"], origin))
        watcher.start()
        button = {"Play": 0, "Pause": 0, "Stop": 1, "Previous": 3, "Repeat": 4, "Next": 5}
        # The dictation's buttons, laid out in its panel: "Play sentence" and
        # "Next sentence" on the row under "Sentence N of M".
        in_panel = {"Play sentence": (80, 40), "Next sentence": (376, 40)}
        for name, wait in steps:
            if name == "F6":
                screen.key("F6")
                time.sleep(wait)
                continue
            if name == "Dictation":
                click("Dictation", wait=wait)
                continue
            if name in in_panel:
                yield name, click("DictationPanel", *in_panel[name], wait=wait)
                continue
            sent = click("AudioPlayer", dx=2 + button[name] * 23 + 11, dy=11, wait=wait)
            yield name, sent
        watcher.running = False
        lesson.changes = watcher.changes
    finally:
        if program.poll() is not None:
            print("vantrel ended early, status %s" % program.returncode, file=sys.stderr)
        program.terminate()
        program.wait()
        errors = program.stderr.read().strip()
        if errors:
            print("vantrel said:", errors, file=sys.stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vantrel"), parser.add_argument("maker"), parser.add_argument("ui_file")
    parser.add_argument("--plays", type=int, default=5)
    args = parser.parse_args()
    runtime, folder = tempfile.mkdtemp(), tempfile.mkdtemp()
    library = build_story(folder, args.maker)
    # Plain plays (paused again at once) as the reference; the steps through
    # the story and its edges; then the pause after each sentence.
    steps = [("Stop", 0.5)] + [("Play", LEAD + 0.5), ("Pause", 0.3), ("Stop", 0.5)] * args.plays
    walk = ["Next", "Next", "Repeat", "Previous", "Previous", "Previous", "Next", "Next", "Next", "Next", "Next"]
    steps += [(s, LENGTH + 0.8) for s in walk]
    steps += [("Stop", 0.5), ("F6", 0.3)] + [("Play", LENGTH + 0.8)] * 5
    # The dictation: its first sentence played three times, then the next two.
    steps += [("Stop", 0.5), ("F6", 0.3), ("Dictation", 0.8)] + [("Play sentence", LENGTH + 0.8)] * 3
    steps += [("Next sentence", LENGTH + 0.8)] * 2
    server, address = lb.start_sound_server(runtime)
    try:
        recorder = lb.Recorder(address)
        recorder.server = address
        time.sleep(1.5)
        clicks = list(lesson(args, lb.Screen(), lb.control_rects(args.ui_file), library, steps, recorder))
        time.sleep(0.5)
        met = report(clicks, recorder, getattr(lesson, "changes", []))
    finally:
        recorder.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)
    return 0 if met else 1


def report(clicks, recorder, changes):
    plain, stepped, each, marks, dictated = [], [], [], [], []
    dictation_at = 0  # the dictation's sentence
    expected = {"Next": [1, 2, 2, 1, 0, 0, 1, 2, 3, 4, 4]}
    step_no = 0
    walk_order = [1, 2, 2, 1, 0, 0, 1, 2, 3, 4, 4]  # the sentence each step of the walk must play
    pause_each = False
    current = 0
    silent = 0
    for i, (name, sent) in enumerate(clicks):
        # Mapped to the recording's clock, the next click's first sound can
        # seem to come a few ms before that click: it is not this one's.
        until = clicks[i + 1][1] - 0.1 if i + 1 < len(clicks) else sent + LENGTH + 1.5
        runs = recorder.runs(sent, until)
        if os.environ.get("BENCH_DEBUG"):
            print(name, ["%.3f-%.3f" % (a - sent, b - sent) for a, b in runs])
        if name == "Stop" and step_no:
            pause_each = True
        if name in ("Stop", "Pause"):
            continue
        if not runs:
            # A silent step fails, and the steps after it are still matched
            # with the sentences they must play.
            print("  %s: no sound  <-- NOT MET" % name)
            silent += 1
            if name in ("Play sentence", "Next sentence"):
                dictation_at += name == "Next sentence"
            elif name != "Play":
                step_no += 1
            elif pause_each or step_no:
                current += 1
            continue
        start, stop = runs[0][0], runs[-1][1]
        heard = which(pitch(recorder, start + 0.02, min(start + 0.2, stop)))
        if name in ("Play sentence", "Next sentence"):
            dictation_at += name == "Next sentence"
            dictated.append(dict(name=name, want=dictation_at, heard=heard, latency=(start - sent) * 1000,
                                 overrun=(stop - start - LENGTH) * 1000,
                                 lost=lb.lost_within(recorder, sent - 0.5, until)))
            continue
        later = [c - start for c in changes if c > start - 1.0 and c < stop]
        if name == "Play" and not pause_each and not step_no:
            # The story's sound starts after its lead-in, as the MP3 plays it.
            plain.append((start - sent - LEAD - ENCODER_DELAY) * 1000)
            continue
        if name == "Play":
            each.append(dict(want=current, heard=heard, latency=(start - sent) * 1000,
                             length=(stop - start) * 1000, mark=min(later, default=None),
                             lost=lb.lost_within(recorder, sent - 0.5, until)))
            current += 1
            continue
        want = walk_order[step_no]
        step_no += 1
        stepped.append(dict(name=name, want=want, heard=heard, latency=(start - sent) * 1000,
                            overrun=(stop - start - LENGTH) * 1000, mark=min(later, default=None),
                            lost=lb.lost_within(recorder, sent - 0.5, until)))
    plain_median = statistics.median(plain) if plain else float("nan")
    print("plain Play, click to sound: median %.1f ms of %d" % (plain_median, len(plain)))
    ok = silent == 0

    def not_met(step):
        return "  <-- NOT MET" + (" (the recording lost %.0f ms about then)" % (step["lost"] * 1000)
                                  if step["lost"] else "")

    for s in stepped:
        good = s["heard"] == s["want"] and s["latency"] <= plain_median + 100 and abs(s["overrun"]) <= 150
        ok &= good
        print("  %-8s sentence %d (heard %d): click to sound %.1f ms (+%.1f on plain Play), sound ran %+.1f ms "
              "past its end; marking %s%s" % (s["name"], s["want"] + 1, s["heard"] + 1, s["latency"],
                                            s["latency"] - plain_median, s["overrun"],
                                            "at %+.1f ms" % (s["mark"] * 1000) if s["mark"] is not None else "-",
                                            "" if good else not_met(s)))
    for e in each:
        good = e["heard"] == e["want"] and abs(e["length"] - LENGTH * 1000) <= 150
        ok &= good
        print("  pause after each: Play %d: sentence %d heard for %.1f ms (of %.0f); marking %s%s"
              % (e["want"] + 1, e["heard"] + 1, e["length"], LENGTH * 1000,
                 "at %+.1f ms" % (e["mark"] * 1000) if e["mark"] is not None else "-", "" if good else not_met(e)))
    for d in dictated:
        good = d["heard"] == d["want"] and d["latency"] <= plain_median + 100 and abs(d["overrun"]) <= 150
        ok &= good
        print("  dictation %-13s sentence %d (heard %d): click to sound %.1f ms (+%.1f on plain Play), sound ran "
              "%+.1f ms past its end%s" % (d["name"], d["want"] + 1, d["heard"] + 1, d["latency"],
                                         d["latency"] - plain_median, d["overrun"], "" if good else not_met(d)))
    ok &= len(dictated) == 5
    marks = [m["mark"] * 1000 for m in stepped + each if m["mark"] is not None]
    if marks:
        print("marking, change on screen minus the sentence's first sound: median %.1f ms, latest %.1f ms"
              % (statistics.median(marks), max(marks)))
        ok &= max(marks) <= 100
    if lb.lost_note(recorder):
        print(lb.lost_note(recorder))
    print("goals met" if ok else "GOALS NOT MET")
    return ok


if __name__ == "__main__":
    sys.exit(main())
