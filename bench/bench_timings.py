#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sentence timings of vantrel-make against recordings whose truth is known;
run by scripts/bench-timings.sh, which builds the libraries in between.

  bench_timings.py make WORK STORIES [CONDITION]   WORK/CONDITION/src, truth.json
  bench_timings.py report WORK [CONDITION]         figures of sentences and words; exit 0 if
                                                   both goals hold
  bench_timings.py check WORK MAKER [CONDITION]    the recording against its transcript: each
                                                   sentence left out of it in turn, and another
                                                   story's recording; exit 0 if the goal holds

Each sentence is spoken alone and trimmed to its first and last sample at or
above THRESHOLD, so its truth is exactly where it goes in the joined recording;
its words' starts, told by the voice (word_truth.py), move with it.
"""
import array, json, math, operator, os, random, re, statistics, subprocess, sys, wave
from pathlib import Path
import word_truth

RATE = 22050
THRESHOLD = 328            # -40 dBFS: a quieter sample counts as silence
ROOM_DB = 45               # a faint room tone: this far under the speech
# name: (voice, tempo, white noise SNR in dB or None, room tone)
CONDITIONS = {"espeak": ("espeak", None, None, False), "festival": ("festival", None, None, False),
              "tempo-0.85": ("espeak", "0.85", None, False), "tempo-1.15": ("espeak", "1.15", None, False),
              "noise": ("espeak", None, 20, False), "noise-15": ("espeak", None, 15, False),
              "festival-1.15-noise": ("festival", "1.15", 20, True),
              "festival-0.85-noise-15": ("festival", "0.85", 15, True)}
# Where "split after . ? ! and a space" would cut a sentence in two
# (abbreviations, initials), or where a closing quote or a lower-case word
# after the mark leaves the split in doubt.
UNCLEAR = re.compile(r"\b(?:Mrs?|Ms|Dr|St|Prof|Jr|Sr|Mt|No|vs|etc|Inc|Ltd|Co)\.|\b[A-Za-z]\.[A-Za-z]\.|"
                     r"\b[A-Z]\. |[.?!][\"')\]\u201d\u2019]|[.?!] +[a-z]")
GOAL_MAX_MS, GOAL_MEDIAN_MS = 100, 40
# The timing goal holds for these; the noisier ones, which used to get no
# timings at all, are shown beside them.
TIMING_GOAL = ("espeak", "festival", "tempo-0.85", "tempo-1.15", "noise")


def read_wav(path):
    with wave.open(str(path)) as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, RATE):
            sys.exit(f"bench_timings: {path} is not 22050 Hz mono 16-bit")
        return array.array("h", w.readframes(w.getnframes()))


def write_wav(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(RATE)
        w.writeframes(samples.tobytes())


def run(*command):
    subprocess.run([str(word) for word in command], check=True, stdout=subprocess.DEVNULL)


def transcript(story_text):
    # As vantrel-make and make-recordings.sh read it.
    lines, reading = [], False
    for line in story_text.splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.startswith("question:"):
            break
        if reading:
            lines.append(line.strip())
        reading = reading or line.startswith("transcript:")
    return " ".join(lines)


def sentences(text, where):
    found = UNCLEAR.search(text)
    if found:
        sys.exit(f"bench_timings: {where}: the sentence split is in doubt at \"{found.group()}\" "
                 "(an abbreviation, initials, a quote?)")
    return [s for s in re.split(r"(?<=[.?!]) +", text.strip()) if s]


def spoken(text, voice, tempo, tmp, cache={}, voiced={}):
    # The trimmed sound, and its words' starts in samples from its start.
    key = (text, voice, tempo)
    if key not in cache:
        if (text, voice) not in voiced:  # each tempo starts from the same synthesis
            raw = tmp / f"raw-{voice}-{len(voiced)}.wav"
            voiced[text, voice] = raw, word_truth.synthesise(text, voice, raw, tmp)
        (raw, starts), out = voiced[text, voice], tmp / "sentence.wav"
        run("sox", raw, "-r", RATE, "-c", 1, "-b", 16, out, *(["tempo", tempo] if tempo else []))
        samples = read_wav(out)
        loud = [i for i, x in enumerate(samples) if abs(x) >= THRESHOLD]
        if not loud:
            sys.exit(f"bench_timings: \"{text}\" came out silent")
        # sox's tempo keeps time linear within about 15 ms, but for a lead or lag
        # of its own; a start before the trimmed one is the first word's.
        shift = word_truth.tempo_shift(float(tempo), tmp) if tempo else 0.0
        moved = [None if t is None else max(0, round((t / float(tempo or 1) + shift) * RATE) - loud[0])
                 for t in starts]
        cache[key] = samples[loud[0]:loud[-1] + 1], moved
    return cache[key]


def join(sounds, seed):
    # Pauses of 0.2-0.8 s, the same on every run; truth in samples, end exclusive.
    silence = lambda seconds: array.array("h", bytes(2 * round(seconds * RATE)))
    pauses, joined, truth = random.Random(seed), silence(0.3), []  # 0.3 s before and after
    for n, sound in enumerate(sounds):
        if n:
            joined.extend(silence(pauses.uniform(0.2, 0.8)))
        truth.append((len(joined), len(joined) + len(sound)))
        joined.extend(sound)
    joined.extend(silence(0.3))
    return joined, truth


def add_noise(sound, truth, seed, snr_db, room):
    # White noise SNR_DB under the RMS of the sentences' own samples (pauses
    # left out); a room tone is a low hum of brown noise ROOM_DB under it.
    speech = [x for start, end in truth for x in sound[start:end]]
    rms = math.sqrt(math.fsum(x * x for x in speech) / len(speech))
    noise, sd = random.Random(seed), rms / 10 ** (snr_db / 20) if snr_db else 0.0
    hum, level, out = 0.0, rms / 10 ** (ROOM_DB / 20), array.array("h")
    for x in sound:
        hum = 0.995 * hum + noise.gauss(0, 1)
        extra = (hum * level / 10.0 if room else 0.0) + (noise.gauss(0, sd) if sd else 0.0)
        out.append(max(-32768, min(32767, round(x + extra))))
    return out


def make(work, stories_folder, only):
    stories = sorted(Path(stories_folder).glob("*.story"))
    texts = [story.read_text(encoding="utf-8") for story in stories]
    said = [sentences(transcript(text), story.name) for story, text in zip(stories, texts)]
    tmp = work / "tmp"
    tmp.mkdir(exist_ok=True)
    for condition in [only] if only else CONDITIONS:
        voice, tempo, snr_db, room = CONDITIONS[condition]
        source = work / condition / "src"
        source.mkdir(parents=True)
        truths = []
        for n, (story, text, lines) in enumerate(zip(stories, texts, said), 1):
            sounds, words = zip(*(spoken(s, voice, tempo, tmp) for s in lines))
            sound, truth = join(sounds, f"pauses {n}")
            if snr_db or room:
                sound = add_noise(sound, truth, f"noise {n}", snr_db, room)
            recording = f"{n:02}-{condition}.wav"
            write_wav(source / recording, sound)
            (source / story.name).write_text(
                re.sub(r"(?m)^audio:.*$", "audio: " + recording, text, count=1), encoding="utf-8")
            truths.append({"sentences": lines, "truth": truth, "recording": recording, "words": [
                [None if w is None else start + w for w in starts] for (start, _), starts in zip(truth, words)]})
        (work / condition / "truth.json").write_text(json.dumps(truths))
        print(f"spoke {sum(map(len, said))} sentences for {condition}")
    if not only:
        make_long(work, texts[0], [s for lines in said for s in lines], tmp)


def make_long(work, first_story, pool, tmp):
    # Sample sentences in order, skipping any that would pass 63 s, until 58 s.
    chosen = []
    for sentence in pool:
        sound, _ = join([spoken(s, "espeak", None, tmp)[0] for s in chosen + [sentence]], "long pauses")
        if len(sound) <= 63 * RATE:
            chosen.append(sentence)
            if len(sound) >= 58 * RATE:
                break
    sound, truth = join([spoken(s, "espeak", None, tmp)[0] for s in chosen], "long pauses")
    if not 58 * RATE <= len(sound) <= 63 * RATE:
        sys.exit("bench_timings: the sample sentences make no story of 58-63 s")
    source = work / "long" / "src"
    source.mkdir(parents=True)
    write_wav(source / "long.wav", sound)
    questions = first_story[first_story.index("\nquestion:") + 1:]
    (source / "01-long.story").write_text("title: A minute of news\naudio: long.wav\ntranscript:\n"
                                          + "\n".join(chosen) + "\n\n" + questions, encoding="utf-8")
    (work / "long" / "truth.json").write_text(json.dumps({"seconds": len(sound) / RATE}))


def mp3_delay(source, mp3, tmp):
    # The lag, in ms, that best correlates the source's first second with the decoded MP3.
    decoded = tmp / "decoded.wav"
    run("gst-launch-1.0", "-q", "filesrc", f"location={mp3}", "!", "decodebin", "!", "audioconvert",
        "!", f"audio/x-raw,format=S16LE,channels=1,rate={RATE}", "!", "wavenc", "!",
        "filesink", f"location={decoded}")
    src, dec = read_wav(source)[:RATE].tolist(), read_wav(decoded).tolist()
    dec = [0] * RATE + dec + [0] * RATE  # room to look 1 s either way
    def score(lag):
        return sum(map(operator.mul, src, dec[RATE + lag:2 * RATE + lag]))
    lag = max(range(round(-0.02 * RATE), round(0.15 * RATE)), key=score)
    match = score(lag) / math.sqrt(sum(x * x for x in src) * sum(x * x for x in dec[RATE + lag:2 * RATE + lag]) or 1)
    return lag * 1000 / RATE, match


def read_vtt(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    if not text.lstrip("\ufeff").startswith("WEBVTT"):
        return None
    stamp = r"(?:(\d+):)?(\d\d):(\d\d)\.(\d\d\d)"
    cues = []
    for found in re.finditer(rf"^\s*{stamp}\s+-->\s+{stamp}", text, re.M):
        h1, m1, s1, f1, h2, m2, s2, f2 = (int(x or 0) for x in found.groups())
        cues.append(((h1 * 60 + m1) * 60000 + s1 * 1000 + f1, (h2 * 60 + m2) * 60000 + s2 * 1000 + f2))
    return cues


def seconds(path):
    return float(path.read_text()) if path.exists() else None


def report(work, only):
    misses, delays = [], {}
    print(f"{'condition':<11} {'sentences':>9}  {'start median/max':>16}  {'end median/max':>14}"
          f"  {'worst start':>16}  {'MP3 delay':>9}  {'build':>7}")
    for condition in [only] if only else CONDITIONS:
        here = work / condition
        truths = json.loads((here / "truth.json").read_text())
        log = (here / "out.log").read_text(errors="replace").splitlines()
        told = [line.replace(f"{work}/", "") for line in log if re.search(r": (warning|error):", line)]
        build = seconds(here / "out.seconds")
        if not (here / "out" / "STORY01.MP3").exists():
            print(f"{condition:<11} vantrel-make made no library ({build:.1f} s)")
            misses.append(f"{condition}: no library")
            print("\n".join("    " + line for line in told or log[-3:]))
            continue
        delay, match = mp3_delay(here / "src" / truths[0]["recording"], here / "out" / "STORY01.MP3", work / "tmp")
        delays[condition] = delay
        starts, ends, worst, failed = [], [], (0, ""), []
        for n, story in enumerate(truths, 1):
            vtt = here / "out" / f"STORY{n:02}.vtt"
            cues = read_vtt(vtt) if vtt.exists() else None
            if cues is None or len(cues) != len(story["truth"]):
                failed.append(f"story {n:02}: " + (f"no {vtt.name}" if not vtt.exists() else "not WebVTT"
                              if cues is None else f"{len(cues)} cues for {len(story['truth'])} sentences"))
                continue
            for i, ((cue_start, cue_end), (start, end)) in enumerate(zip(cues, story["truth"]), 1):
                starts.append(cue_start - (start * 1000 / RATE + delay))
                ends.append(cue_end - (end * 1000 / RATE + delay))
                if abs(starts[-1]) >= abs(worst[0]):
                    worst = (starts[-1], f"{n:02}/{i}")
        total = sum(len(story["truth"]) for story in truths)
        if starts:
            med_s, max_s = statistics.median(map(abs, starts)), max(map(abs, starts))
            med_e, max_e = statistics.median(map(abs, ends)), max(map(abs, ends))
            figures = f"{med_s:7.0f} /{max_s:4.0f} ms  {med_e:5.0f} /{max_e:4.0f} ms  {worst[1]:>6} {worst[0]:+6.0f} ms"
            if condition in TIMING_GOAL and (max_s > GOAL_MAX_MS or med_s > GOAL_MEDIAN_MS or med_e > GOAL_MEDIAN_MS):
                misses.append(f"{condition}: starts {med_s:.0f}/{max_s:.0f} ms, ends median {med_e:.0f} ms")
        else:
            figures = f"{'-':>16}  {'-':>14}  {'-':>16}"
        print(f"{condition:<11} {total:>9}  {figures}  {delay:6.1f} ms  {build:5.1f} s")
        if match < 0.5:
            print(f"    the MP3 delay is doubtful: the best correlation is only {match:.2f}")
        for line in failed + told:
            print("    " + line)
        if failed:
            misses.append(f"{condition}: {len(failed)} of {len(truths)} stories have no usable timings")
    if not only:
        speed(work)
    goal = f"every start within {GOAL_MAX_MS} ms, every median within {GOAL_MEDIAN_MS} ms, in {', '.join(TIMING_GOAL)}"
    print(f"goal ({goal}): " + ("holds" if not misses else "does not hold: " + "; ".join(misses)))
    word_misses = word_truth.report(work, [only] if only else CONDITIONS, delays, TIMING_GOAL, RATE)
    return 1 if misses or word_misses else 0


def speed(work):
    plain = seconds(work / "espeak" / "plain.seconds")
    if plain is None:
        print("this vantrel-make has no --no-timings, so there is no speed line")
        return
    long, long_plain = seconds(work / "long" / "out.seconds"), seconds(work / "long" / "plain.seconds")
    length = json.loads((work / "long" / "truth.json").read_text())["seconds"]
    print(f"aligning a {length:.1f} s story took {long - long_plain:.2f} s "
          f"({long:.2f} s with timings, {long_plain:.2f} s with --no-timings; best of 2)")
    print(f"building the 12-story espeak library took {seconds(work / 'espeak' / 'out.seconds'):.1f} s "
          f"({plain:.1f} s with --no-timings; best of 2)")
    if not (work / "long" / "out" / "STORY01.vtt").exists():  # then the time says little
        print("    but the 60 s story got no STORY01.vtt: " + (work / "long" / "out.log").read_text()[-300:])


# --- The recording heard against its transcript ---------------------------

LEFT_OUT = re.compile(r"/(\d\d)-[^/]*\.story:\d+: warning: the recording speaks from ([\d.]+) to ([\d.]+) s")
FLAGGED = re.compile(r"/(\d\d)-[^/]*\.story:\d+: (?:warning|error): ")
UNLIKE = re.compile(r"/(\d\d)-[^/]*\.story:\d+: error: this recording does not seem to be of this story")
MATCH = re.compile(r"align: (\d\d)-[^:]*: match (-?[\d.]+), of the rest (-?[\d.]+)")
GOAL_LEFT_OUT_S = 2.0


def with_transcript(text, sentences, audio):
    head, rest = text.split("transcript:", 1)
    head = re.sub(r"(?m)^audio:.*$", "audio: " + audio, head, count=1)
    return head + "transcript:\n" + "\n".join(sentences) + "\n\n" + rest[rest.index("\nquestion:") + 1:]


def build_variant(maker, folder):
    env = dict(os.environ, VANTREL_DEBUG="align")
    done = subprocess.run([maker, "--force", folder / "src", folder / "out"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    (folder / "err.txt").write_text(done.stderr)
    return done.stderr


def variant(here, name, stories):
    # stories: (story file, its text, the recording to copy) a story
    folder = here / "check" / name
    (folder / "src").mkdir(parents=True, exist_ok=True)
    for story, text, recording in stories:
        (folder / "src" / story.name).write_text(text, encoding="utf-8")
        target = folder / "src" / recording.name
        if not target.exists():
            os.link(recording, target)
    return folder


def check_condition(work, maker, condition):
    here = work / condition
    truths = json.loads((here / "truth.json").read_text())
    stories = sorted((here / "src").glob("*.story"))
    texts = [story.read_text(encoding="utf-8") for story in stories]
    recordings = [here / "src" / truth["recording"] for truth in truths]
    genuine = build_variant(maker, variant(here, "genuine", [
        (story, with_transcript(text, truth["sentences"], truth["recording"]), recording)
        for story, text, truth, recording in zip(stories, texts, truths, recordings)]))
    matches = [float(m.group(2)) for m in MATCH.finditer(genuine)]
    flagged = sorted({m.group(1) for m in FLAGGED.finditer(genuine)})
    found, refused_left, missed, extra = [], [], [], 0
    for k in range(max(len(truth["sentences"]) for truth in truths)):
        chosen = [n for n, truth in enumerate(truths) if len(truth["sentences"]) > k]
        told = build_variant(maker, variant(here, f"left-out-{k + 1}", [
            (stories[n], with_transcript(texts[n], truths[n]["sentences"][:k] + truths[n]["sentences"][k + 1:],
                                         truths[n]["recording"]), recordings[n]) for n in chosen]))
        for n in chosen:
            start, end = (x / RATE for x in truths[n]["truth"][k])
            named = [(float(a), float(b)) for story, a, b in LEFT_OUT.findall(told) if int(story) == n + 1]
            hit = [(a, b) for a, b in named if min(b, end) - max(a, start) >= min(1.0, 0.5 * (end - start))]
            stopped = any(int(story) == n + 1 for story in UNLIKE.findall(told))
            (found if hit else refused_left if stopped else missed).append(round(end - start, 1))
            if not hit:
                (folder := here / "check" / f"left-out-{k + 1}").mkdir(exist_ok=True)
                with open(folder / "missed.txt", "a") as out:
                    out.write(f"story {n + 1:02} sentence {k + 1}: {start:.1f} to {end:.1f} s; named: {named}\n")
            extra += len(named) - len(hit)
    other = build_variant(maker, variant(here, "other", [
        (story, with_transcript(text, truth["sentences"], truths[(n + 1) % len(truths)]["recording"]),
         recordings[(n + 1) % len(truths)]) for n, (story, text, truth) in enumerate(zip(stories, texts, truths))]))
    refused = {m.group(1) for m in UNLIKE.finditer(other)}
    other_matches = [(float(m.group(2)), float(m.group(3))) for m in MATCH.finditer(other)]
    return {"flagged": flagged, "found": found, "refused_left": refused_left, "missed": missed, "extra": extra,
            "refused": len(refused),
            "others": len(stories), "least_genuine": min(matches) if matches else None,
            "most_other": max(m for m, _ in other_matches) if other_matches else None,
            "most_other_rest": max(r for _, r in other_matches) if other_matches else None}


def check(work, maker, only):
    print("the recording against its transcript: each sentence left out of the transcript in turn, "
          "and each story given the next one's recording")
    print("left out: named at its place / the whole recording refused instead / not told; 'of >= 2 s' counts "
          "the sentences of 2 s or more named or refused; other place: stretches named where no sentence was left out")
    print(f"{'condition':<23} {'genuine flagged':>15}  {'left out: named/refused/not':>27}  {'of >= 2 s':>9}"
          f"  {'other place':>11}  {'another story refused':>21}  match: genuine least / another most (rest)")
    misses = []
    for condition in [only] if only else CONDITIONS:
        r = check_condition(work, maker, condition)
        told = r["found"] + r["refused_left"]
        long_found = sum(1 for s in told if s >= GOAL_LEFT_OUT_S)
        long_total = long_found + sum(1 for s in r["missed"] if s >= GOAL_LEFT_OUT_S)
        left = f"{len(r['found'])}/{len(r['refused_left'])}/{len(r['missed'])}"
        least = "-" if r["least_genuine"] is None else f"{r['least_genuine']:.3f}"
        most = "-" if r["most_other"] is None else f"{r['most_other']:.3f} ({r['most_other_rest']:.3f})"
        print(f"{condition:<23} {len(r['flagged']):>8} of 12  {left:>27}"
              f"  {long_found:>3} of {long_total:<3}  {r['extra']:>11}  {r['refused']:>12} of {r['others']:<6}"
              f"  {least:>6} / {most}")
        if r["missed"]:
            print("    not told, seconds long: " + ", ".join(map(str, sorted(r["missed"]))))
        if r["flagged"]:
            misses.append(f"{condition}: genuine stories {', '.join(r['flagged'])} flagged")
        if long_found < long_total:
            misses.append(f"{condition}: {long_total - long_found} left-out sentences of 2 s or more not told")
        if r["refused"] < r["others"]:
            misses.append(f"{condition}: {r['others'] - r['refused']} recordings of another story taken")
    goal = ("no genuine story flagged, every left-out sentence of 2 s or more told (named, or the recording refused), "
            "every other story's recording refused")
    print(f"goal ({goal}): " + ("holds" if not misses else "does not hold: " + "; ".join(misses)))
    return 1 if misses else 0


if __name__ == "__main__":
    command, args = sys.argv[1:2], sys.argv[2:] + [None]
    if command == ["make"] and len(args) in (3, 4):
        sys.exit(make(Path(args[0]), args[1], args[2]))
    elif command == ["report"] and len(args) in (2, 3):
        sys.exit(report(Path(args[0]), args[1]))
    elif command == ["check"] and len(args) in (3, 4):
        sys.exit(check(Path(args[0]), args[1], args[2]))
    sys.exit(__doc__)
