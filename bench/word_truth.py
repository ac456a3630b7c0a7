#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Where each word of a spoken sentence starts, told by the voice that spoke
it, and vantrel-make's word times (the <mm:ss.ttt> tags in STORYnn.vtt cue
text) against it; bench_timings.py uses both.

A word is a whitespace-separated token of the sentence; its start is that of
the first word the voice says for it, in seconds from the start of the voice's
own wave, or None when the voice says nothing for it (a lone dash).

  word_truth.py espeak-events TEXT RAW   (internal) speaks TEXT through
      libespeak-ng into RAW, 16-bit samples, and prints its word events
"""
import array, ctypes, html, json, random, re, statistics, subprocess, sys, wave
from pathlib import Path

# Festival strips these from a token's ends; the curly quotes are ours.
PUNCTUATION = "\"'`.,:;!?(){}[]\u201c\u201d\u2018\u2019"
GOAL_MEDIAN_MS, GOAL_WITHIN_MS, GOAL_SHARE = 40, 100, 0.90


def tokens(text):
    return [m.span() for m in re.finditer(r"\S+", text)]


def synthesise(text, voice, raw, tmp, checked=set()):
    """Speaks TEXT into the wave RAW, as the bench always has; returns its tokens' starts."""
    (tmp / "sentence.txt").write_text(text + "\n")
    raw.unlink(missing_ok=True)
    if voice == "festival":
        starts = festival(text, raw, tmp)
        if voice not in checked:  # the sound must be text2wave's, which the truth was made with
            other = tmp / "text2wave.wav"
            run(["text2wave", "-eval", "(voice_cmu_us_slt_arctic_hts)", tmp / "sentence.txt", "-o", other])
            if other.read_bytes() != raw.read_bytes():
                sys.exit(f"bench_timings: festival_words.scm and text2wave speak \"{text}\" differently")
    else:
        run(["espeak-ng", "-v", "en-us", "-s", "140", "-f", tmp / "sentence.txt", "-w", raw])
        starts = espeak(text, raw, tmp)
    checked.add(voice)
    return starts


def tempo_shift(tempo, tmp, cache={}):
    """Seconds by which sox's tempo puts a moment after t / tempo, on the whole.

    Its WSOLA copies 82 ms segments, each from within some 15 ms of the even
    stretch, on a grid that leads it by some 9 ms at 0.85 and lags it by 7 at
    1.15. Measured with clicks in noise: the median of where each is heard
    against where the stretch would put it."""
    if tempo not in cache:
        rate, noise = 22050, random.Random(1)
        sound = array.array("h", (round(noise.gauss(0, 1000)) for _ in range(21 * rate)))
        clicks = range(round(0.2 * rate), 20 * rate, round(0.097 * rate))
        for c in clicks:
            sound[c:c + 3] = array.array("h", [30000, -30000, 30000])
        with wave.open(str(tmp / "clicks.wav"), "wb") as w:
            w.setnchannels(1), w.setsampwidth(2), w.setframerate(rate)
            w.writeframes(sound.tobytes())
        run(["sox", tmp / "clicks.wav", tmp / "clicks-tempo.wav", "tempo", tempo])
        with wave.open(str(tmp / "clicks-tempo.wav")) as w:
            out = array.array("h", w.readframes(w.getnframes()))
        heard = [i for i in range(1, len(out) - 1) if abs(out[i]) > 15000 and abs(out[i]) >= abs(out[i - 1])
                 and abs(out[i]) >= abs(out[i + 1])]
        heard = [i for k, i in enumerate(heard) if not k or i - heard[k - 1] > rate // 1000]
        shifts = [(i - min((c / tempo for c in clicks), key=lambda at: abs(at - i))) / rate for i in heard]
        if len(shifts) < len(clicks) // 2 or max(map(abs, shifts)) > 0.03:
            sys.exit(f"bench_timings: sox's tempo {tempo} moves clicks unlike a stretch: {len(shifts)} heard")
        cache[tempo] = statistics.median(shifts)
    return cache[tempo]


def run(command, **options):
    return subprocess.run([str(word) for word in command], check=True, stdout=subprocess.PIPE,
                          text=True, **options).stdout


def festival(text, raw, tmp):
    told = run(["festival", "--script", Path(__file__).with_name("festival_words.scm"),
                tmp / "sentence.txt", raw], encoding="utf-8", errors="replace")
    if not raw.exists():  # as text2wave, it says nothing when the voice is missing
        sys.exit(f"bench_timings: Festival made no sound for \"{text}\"")
    said = []  # (name, seconds) of the tokens that have letters or digits
    for line in told.splitlines():
        name, _, start = line.partition("\t")
        if any(c.isalnum() for c in name):
            said.append((name.strip(PUNCTUATION), float(start) if start else None))
    starts = []
    for a, b in tokens(text):
        bare = text[a:b].strip(PUNCTUATION)
        if not any(c.isalnum() for c in bare):
            starts.append(None)
            continue
        name, start = said.pop(0) if said else ("nothing", None)
        if name != bare:
            sys.exit(f"bench_timings: Festival's token \"{name}\" where \"{bare}\" was expected in \"{text}\"")
        starts.append(start)
    if said:
        sys.exit(f"bench_timings: Festival said more tokens than \"{text}\" has: {said}")
    return starts


def espeak(text, raw, tmp):
    # The library keeps some state from one synthesis to the next, so each
    # sentence gets a fresh process, where it speaks exactly as the CLI does.
    ours = tmp / "events.raw"
    events = json.loads(run([sys.executable, __file__, "espeak-events", text, ours]))
    with wave.open(str(raw)) as w:
        cli = w.readframes(w.getnframes())
    if len(cli) != ours.stat().st_size:
        sys.exit(f"bench_timings: libespeak-ng and espeak-ng speak \"{text}\" for different lengths")
    if cli != ours.read_bytes():
        print(f"note: libespeak-ng and espeak-ng speak \"{text}\" with different samples of the same length")
    starts = []
    for a, b in tokens(text):
        within = [seconds for position, seconds in events if a < position <= b]  # positions count from 1
        starts.append(within[0] if within else None)
    return starts


def espeak_events(text, raw):
    class Event(ctypes.Structure):  # espeak_EVENT in speak_lib.h
        _fields_ = [("type", ctypes.c_int), ("unique_identifier", ctypes.c_uint),
                    ("text_position", ctypes.c_int), ("length", ctypes.c_int),
                    ("audio_position", ctypes.c_int), ("sample", ctypes.c_int),
                    ("user_data", ctypes.c_void_p), ("id", ctypes.c_char * 8)]
    samples, words = array.array("h"), []
    def heard(wav, count, events):
        if wav and count > 0:
            samples.frombytes(ctypes.string_at(wav, 2 * count))
        k = 0
        while events[k].type != 0:  # espeakEVENT_LIST_TERMINATED
            if events[k].type == 1:  # espeakEVENT_WORD
                e = events[k]
                # audio_position is whole ms; sample, when it agrees, is finer.
                exact = e.sample / rate
                words.append((e.text_position, exact if int(exact * 1000) == e.audio_position
                              else e.audio_position / 1000))
            k += 1
        return 0
    lib = ctypes.CDLL("libespeak-ng.so.1")
    callback = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_short), ctypes.c_int,
                                ctypes.POINTER(Event))(heard)
    rate = lib.espeak_Initialize(2, 0, None, 0x8000)  # synchronous, don't exit
    lib.espeak_SetSynthCallback(callback)
    if rate <= 0 or lib.espeak_SetVoiceByName(b"en-us") != 0:
        sys.exit("word_truth: libespeak-ng has no en-us voice")
    lib.espeak_SetParameter(1, 140, 0)  # espeakRATE, words a minute
    data = text.encode()
    # UTF-8 with the pause at the end, as the CLI speaks a file
    if lib.espeak_Synth(data, len(data) + 1, 0, 1, 0, 0x1001, None, None) != 0:
        sys.exit("word_truth: espeak_Synth failed")
    lib.espeak_Synchronize()
    Path(raw).write_bytes(samples.tobytes())
    print(json.dumps(words))


# --- vantrel-make's word times against the truth ----------------------------

STAMP = r"(?:(\d+):)?(\d\d):(\d\d)\.(\d\d\d)"


def ms(groups):
    h, m, s, f = (int(x or 0) for x in groups)
    return (h * 60 + m) * 60000 + s * 1000 + f


def read_cue_words(path):
    """Each cue's tokens as (text, ms or None), from its text's timestamp tags; None if not WebVTT."""
    text = path.read_text(encoding="utf-8", errors="replace").replace("\r\n", "\n")
    if not text.lstrip("\ufeff").startswith("WEBVTT"):
        return None
    cues = []
    for block in re.split(r"\n[ \t]*\n", text):
        lines = block.split("\n")
        at = [k for k, line in enumerate(lines) if re.match(rf"\s*{STAMP}\s+-->\s+{STAMP}", line)]
        if at:
            cues.append(cue_tokens(" ".join(lines[at[0] + 1:])))
    return cues


def cue_tokens(text):
    out, pending = [], None
    for piece in text.split():
        tag = re.match(rf"<{STAMP}>", piece)
        time = ms(tag.groups()) if tag else pending
        word = html.unescape(re.sub(r"<[^>]*>", "", piece))
        if word:
            out.append((word, time))
            pending = None
        else:  # a tag standing alone times the next token
            pending = time
    return out


def compare(work, condition, delay, rate):
    """Signed errors in ms, (error, where) of the worst and the late, what was told, per condition."""
    here = work / condition
    truths = json.loads((here / "truth.json").read_text())
    r = {"sentences": sum(len(story["truth"]) for story in truths), "timed": 0, "errors": [],
         "worst": None, "late": [], "doubted": [], "untimed": [], "failed": []}
    for n, story in enumerate(truths, 1):
        vtt = here / "out" / f"STORY{n:02}.vtt"
        cues = read_cue_words(vtt) if vtt.exists() else None
        if cues is None or len(cues) != len(story["truth"]):
            continue  # the sentence table tells why
        for i, (cue, truth) in enumerate(zip(cues, story["words"]), 1):
            if len(cue) != len(truth):
                r["failed"].append(f"{n:02}/{i}: the cue has {len(cue)} words, the sentence {len(truth)}")
                continue
            if not any(time is not None for _, time in cue):
                r["doubted"].append(f"{n:02}/{i}")
                continue
            r["timed"] += 1
            for j, ((word, time), true) in enumerate(zip(cue, truth)):
                if j == 0 or true is None:  # the first word starts with the cue
                    continue
                if time is None:
                    r["untimed"].append(word)
                    continue
                error = time - delay - true * 1000 / rate
                where = (error, f'{n:02}/{i}/{j + 1} "{word}"')
                r["errors"].append(error)
                if r["worst"] is None or abs(error) > abs(r["worst"][0]):
                    r["worst"] = where
                if error > GOAL_WITHIN_MS:
                    r["late"].append(where)
    return r


def report(work, conditions, delays, goal_conditions, rate):
    """The word table after the sentence one; returns the goal's misses."""
    print()
    print("Word starts in the cue text: |cue word time - (truth + MP3 delay)| in ms; the first word of a "
          "cue is its start, left out")
    print("offset: the signed median, cue minus truth; late: more than 100 ms after the truth")
    print(f"{'condition':<23} {'with word times':>15}  {'words':>5}  {'median':>6}  {'offset':>6}"
          f"  {'within 100 ms':>13}  {'largest':>7}  {'late':>4}  worst word: story/sentence/word, signed")
    misses, doubted = [], []
    for condition in conditions:
        if delays.get(condition) is None:
            print(f"{condition:<23} no library")
            misses += [f"{condition}: no library"] if condition in goal_conditions else []
            continue
        r = compare(work, condition, delays[condition], rate)
        errors = [abs(e) for e in r["errors"]]
        line = f"{condition:<23} {r['timed']:>6} of {r['sentences']:<5}  {len(errors):>5}"
        if errors:
            median, share = statistics.median(errors), sum(e <= GOAL_WITHIN_MS for e in errors) / len(errors)
            worst, where = r["worst"]
            line += (f"  {median:6.0f}  {statistics.median(r['errors']):+6.0f}  {100 * share:11.1f} %"
                     f"  {max(errors):7.0f}  {len(r['late']):>4}  {where} {worst:+.0f} ms")
        print(line)
        if r["late"]:
            print("    late: " + ", ".join(f"{w} {e:+.0f}" for e, w in sorted(r["late"], reverse=True)[:8])
                  + (" ..." if len(r["late"]) > 8 else ""))
        if r["untimed"]:
            print(f"    words without a time in sentences with word times: {len(r['untimed'])} ("
                  + ", ".join(sorted(set(r["untimed"]))[:12]) + ")")
        for failed in r["failed"]:
            print("    " + failed)
        doubted.append(f"{condition} {len(r['doubted'])}" + ("" if not r["doubted"] else " (all)" if not r["timed"]
                       else f" ({' '.join(r['doubted'][:10])}" + (" ...)" if len(r["doubted"]) > 10 else ")")))
        if condition not in goal_conditions:
            continue
        if not errors:
            misses.append(f"{condition}: no word times")
        elif median > GOAL_MEDIAN_MS or share < GOAL_SHARE or r["late"] or r["failed"]:
            misses.append(f"{condition}: median {median:.0f} ms, {100 * share:.1f} % within 100 ms, {len(r['late'])} "
                          "late" + (f", {len(r['failed'])} cues of other words" if r["failed"] else ""))
    print("sentences whose word times were dropped (doubted): " + "; ".join(doubted))
    goal = (f"median within {GOAL_MEDIAN_MS} ms, {100 * GOAL_SHARE:.0f} % within {GOAL_WITHIN_MS} ms, no word more "
            f"than {GOAL_WITHIN_MS} ms late, in {', '.join(goal_conditions)}")
    print(f"word goal ({goal}): " + ("holds" if not misses else "does not hold: " + "; ".join(misses)))
    return misses


if __name__ == "__main__":
    if sys.argv[1:2] == ["espeak-events"] and len(sys.argv) == 4:
        sys.exit(espeak_events(sys.argv[2], sys.argv[3]))
    sys.exit(__doc__)
