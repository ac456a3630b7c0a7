#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The sound side of the benchmarks that listen: the private sound server
(scripts/sound-server.sh) and the recording of its null sink with parec, on
the clock the clicks and the screen use (time.monotonic)."""

import os
import signal
import subprocess
import threading
import time

RATE = 22050
WINDOW = RATE // 200  # 5 ms
LOUD = 300


class Recorder:
    """parec on the null sink's monitor; maps samples to time.monotonic().

    The server's sample clock drifts from the system's by about 150 ppm, some
    50 ms over a whole run, so each hearing is mapped by the chunks that
    arrived around it, not by one offset for the whole recording."""

    def __init__(self, server):
        self.samples = bytearray()
        self.chunks = []  # (arrival, monotonic time of sample 0 if this chunk came at once)
        self.proc = subprocess.Popen(
            ["parec", "--server=" + server, "-d", "bench.monitor", "--raw", "--format=s16le",
             "--channels=1", "--rate=%d" % RATE, "--latency-msec=5"], stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        while True:
            chunk = self.proc.stdout.read1(1024)
            if not chunk:
                return
            now = time.monotonic()
            self.samples += chunk
            self.chunks.append((now, now - (len(self.samples) // 2) / RATE))

    # Chunks that came before this monotonic time do not map time.
    settled = 0.0

    def offset(self, around):
        # The chunk that arrived soonest after its last sample was made gives
        # the truest mapping, but not one from the other side of lost time.
        low, high = around - 5, around + 5
        for at, _ in self.lost_steps():
            if at < around:
                low = max(low, at)
            else:
                high = min(high, at)
        near = [start for arrival, start in self.chunks
                if abs(arrival - around) < 5 and low < arrival <= high and arrival > self.settled]
        return min(near) if near else min(start for arrival, start in self.chunks
                                          if abs(arrival - around) < 5 and arrival > self.settled)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()

    def lost_steps(self, least=0.02, settle=2.0):
        """Where the recording lost sound server time, as (monotonic time,
        seconds lost). A server whose graph stalls (PipeWire's null sink on a
        busy machine) gives fewer samples than time went by: the mapping of
        sample 0 steps later for good there, so a mapping from before the
        step puts the sound after it that much early. Found as a chunk whose
        mapping is earlier than every later chunk's by least or more, and
        placed at the longest wait for a chunk after it; the first seconds of
        a fresh monitor come in bursts, and the last may all come late, so
        neither counts."""
        chunks = self.chunks[:]
        if getattr(self, "_steps", (None, None))[0] == len(chunks):
            return self._steps[1]
        steps = []
        if chunks:
            usable = [c for c in chunks if c[0] >= max(self.settled, chunks[0][0] + settle)]
            later = float("inf")
            for i in range(len(usable) - 1, -1, -1):
                arrival, start = usable[i]
                if later != float("inf") and later - start >= least and usable[-1][0] - arrival >= 3:
                    # The time went between this chunk and the first that
                    # came at once after it, where the chunks stopped coming.
                    j = next(k for k in range(i + 1, len(usable)) if usable[k][1] - later < least / 4)
                    gap = max(range(i, j), key=lambda k: usable[k + 1][0] - usable[k][0])
                    steps.append((usable[gap][0], later - start))
                later = min(later, start)
        self._steps = (len(chunks), sorted(steps))
        return self._steps[1]

    def runs(self, since, until):
        """Stretches of sound between two monotonic times, as (start, end)."""
        data = memoryview(bytes(self.samples)).cast("h")
        offset = self.offset(since)
        first = max(0, int((since - offset) * RATE))
        last = min(len(data), int((until - offset) * RATE))
        runs = []
        for at in range(first, last - WINDOW, WINDOW):
            if max(abs(v) for v in data[at:at + WINDOW]) < LOUD:
                continue
            t = offset + at / RATE
            if runs and t - runs[-1][1] <= 0.06:
                runs[-1][1] = t + WINDOW / RATE
            else:
                runs.append([t, t + WINDOW / RATE])
        return runs


SOUND_SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "sound-server.sh")


class SoundServer:
    """The private sound server of scripts/sound-server.sh, PulseAudio or
    PipeWire as VANTREL_SOUND_SERVER says, with its null sink "bench"."""

    def __init__(self, runtime):
        self.runtime = runtime
        self.proc = subprocess.Popen(["bash", SOUND_SERVER, "run", runtime], stdout=subprocess.PIPE, text=True)
        self.address = self.proc.stdout.readline().strip()
        if not self.address:
            self.proc.wait()
            raise SystemExit("the private sound server does not answer")

    def open(self, socket):
        """Lets clients in at socket too, from now on."""
        subprocess.run(["bash", SOUND_SERVER, "open", self.runtime, socket], check=True, capture_output=True)

    def terminate(self):
        self.proc.terminate()

    def kill(self):
        """Kills the server at once, as in a crash."""
        self.proc.send_signal(signal.SIGUSR1)

    def wait(self):
        return self.proc.wait()


def start_sound_server(runtime):
    server = SoundServer(runtime)
    return server, server.address
