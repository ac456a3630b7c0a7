#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A long random run of sentence steps on the real engine, heard at a private
sound server, PulseAudio or PipeWire (bench/step_soak.cpp drives the engine;
the recording is made with parec, as in listening_bench.py). The story is
sentences_bench.py's five tones, so each step's pitch says which sentence was
heard.

Per step: how long after it was asked for its sound started, how long the
sound ran, and whether it was the sentence asked for. A step is good when its
sentence starts within 150 ms and runs 1000 ms give or take 100.

Usage: step_soak.py STEP_SOAK VANTREL_MAKE [--steps N]
"""

import argparse, os, shutil, statistics, subprocess, sys, tempfile, threading, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import listening_bench as lb  # noqa: E402
import sentences_bench as sb  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("soak"), parser.add_argument("maker")
    parser.add_argument("--steps", type=int, default=400)
    args = parser.parse_args()
    runtime, folder = tempfile.mkdtemp(), tempfile.mkdtemp()
    library = sb.build_story(folder, args.maker)
    starts = [str(round((sb.LEAD + sb.ENCODER_DELAY + i * sb.LENGTH) * 1000)) for i in range(len(sb.PITCHES))]
    server, address = lb.start_sound_server(runtime)
    try:
        recorder = lb.Recorder(address)
        time.sleep(1.0)
        env = dict(os.environ, PULSE_SERVER=address, QT_QPA_PLATFORM="offscreen")
        soak = subprocess.Popen([args.soak, os.path.join(library, "STORY01.MP3"), str(args.steps)] + starts,
                                env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        said = []
        threading.Thread(target=lambda: said.extend(soak.stderr), daemon=True).start()
        steps, stuck = [], 0
        for line in soak.stdout:
            word = line.split()
            if word[0] == "step":
                steps.append((float(word[1]), int(word[2])))
            elif word[0] == "stuck":
                stuck += 1
        soak.wait()
        time.sleep(0.5)
        good = report(steps, stuck, recorder, said)
    finally:
        recorder.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)
    return 0 if good else 1


def report(steps, stuck, recorder, said):
    good, latencies, bad = 0, [], []
    for i, (asked, index) in enumerate(steps):
        until = steps[i + 1][0] - 0.1 if i + 1 < len(steps) else asked + 3.0
        runs = recorder.runs(asked, until)
        if not runs:
            bad.append("step %d (sentence %d): no sound" % (i, index + 1))
            continue
        start, stop = runs[0][0], runs[-1][1]
        heard = sb.which(sb.pitch(recorder, start + 0.02, min(start + 0.2, stop)))
        latency, length = (start - asked) * 1000, (stop - start) * 1000
        latencies.append(latency)
        if heard == index and latency <= 150 and abs(length - 1000) <= 100:
            good += 1
        else:
            lost = lb.lost_within(recorder, asked - 0.5, until)
            bad.append("step %d (sentence %d): heard sentence %d, %.0f ms after it was asked for, for %.0f ms%s"
                       % (i, index + 1, heard + 1, latency, length,
                          "; the recording lost %.0f ms about then" % (lost * 1000) if lost else ""))
    print("%d steps: %d good (right sentence, on time, whole); asked for to sound: median %.1f ms, "
          "latest %.1f ms" % (len(steps), good, statistics.median(latencies), max(latencies)))
    for line in bad:
        print("  " + line)
    restarts = [line.strip() for line in said if "stopped moving" in line]
    print("streams opened again after a stall: %d; steps given up as stuck: %d" % (len(restarts), stuck))
    for line in restarts:
        print("  " + line)
    if lb.lost_note(recorder):
        print(lb.lost_note(recorder))
    print("all steps good" if good == len(steps) else "NOT ALL STEPS GOOD")
    return good == len(steps)


if __name__ == "__main__":
    sys.exit(main())
