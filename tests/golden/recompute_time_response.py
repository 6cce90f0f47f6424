#!/usr/bin/env python3
"""Recomputes `TimeResponse` of `sonvex-cli calc --json` outputs from their own
`freq`, `BoxP`, `ContribFront` and `ContribRear` with the definitions of the
README ("Step and impulse response"), written out here once more with numpy,
and compares: every value within 1e-9 of the box's peak of the same curve.

    recompute_time_response.py FILE.json ...
        exit 0 when every file agrees, 1 with one line per curve that does not
"""
import json
import math
import sys

import numpy as np


def impulse(freq, h, fs, n_fft):
    f = np.asarray(freq, dtype=float)
    n = len(f)
    level = 20.0 * np.log10(np.maximum(np.abs(h), 1e-15))
    # The phase unwrapped along the grid: neighbours closer than pi.
    wrapped = np.angle(h)
    phi = np.empty(n)
    phi[0] = wrapped[0]
    for i in range(1, n):
        phi[i] = phi[i - 1] + math.remainder(wrapped[i] - wrapped[i - 1], 2 * math.pi)
    slope = max(40.0, (level[1] - level[0]) / math.log10(f[1] / f[0]))
    tau_top = -(phi[n - 1] - phi[n - 2]) / (2 * math.pi * (f[n - 1] - f[n - 2]))
    fn = f[n - 1]
    nyquist = fs / 2.0
    f_top = min(2.0 * fn, nyquist)

    k = np.arange(1, n_fft // 2 + 1)
    fk = k * fs / n_fft
    lev = np.empty(len(k))
    ph = np.empty(len(k))
    w = np.ones(len(k))
    below = fk < f[0]
    inside = (fk >= f[0]) & (fk <= fn)
    above = fk > fn
    lev[below] = level[0] - slope * np.log10(f[0] / fk[below])
    ph[below] = phi[0]
    j = np.clip(np.searchsorted(f, fk[inside], side="left") - 1, 0, n - 2)
    u = (np.log(fk[inside]) - np.log(f[j])) / (np.log(f[j + 1]) - np.log(f[j]))
    lev[inside] = level[j] + u * (level[j + 1] - level[j])
    ph[inside] = phi[j] + u * (phi[j + 1] - phi[j])
    lev[above] = level[n - 1]
    ph[above] = phi[n - 1] - 2 * math.pi * tau_top * (fk[above] - fn)
    if fn < nyquist:
        fa = fk[above]
        w[above] = np.where(fa < f_top, 0.5 * (1 + np.cos(math.pi * (fa - fn) / (f_top - fn))), 0.0)
    spectrum = np.zeros(n_fft // 2 + 1, dtype=complex)
    spectrum[1:] = 10.0 ** (lev / 20.0) * w * np.exp(1j * ph)
    spectrum[-1] = spectrum[-1].real
    return np.fft.irfft(spectrum, n_fft)


def window(h, fs, start, count):
    idx = (start + np.arange(count)) % len(h)
    imp = h[idx]
    return imp, np.cumsum(imp)


def check(path):
    data = json.load(open(path, encoding="utf-8"))
    t = data["TimeResponse"]
    fs, start = t["fs"], t["start"]
    if fs != 96000 or start != -round(fs / 1000):
        return [f"{path}: fs {fs}, start {start}"]
    n = data["nFreq"] if "nFreq" in data else len(data["BoxP"])
    freq = data["freq"][:n]
    count = len(t["box"]["impulse"])
    if count != round(0.05 * fs) - start:
        return [f"{path}: {count} values, not -1 ms ... +50 ms"]

    def response(table, c=None):
        rows = table if c is None else table[c]
        return np.array([complex(row[0][0], row[0][1]) for row in rows[:n]])

    curves = [("box", response(data["BoxP"]))]
    for c in range(len(t["chassis"])):
        front, rear = response(data["ContribFront"], c), response(data["ContribRear"], c)
        curves.append((f"chassis[{c}]", front + rear))
    problems = []
    peaks = {}
    for name, h in curves:
        imp, step = window(impulse(freq, h, fs, 65536), fs, start, count)
        stored = t["box"] if name == "box" else t["chassis"][int(name[8:-1])]
        for key, mine in (("impulse", imp), ("step", step)):
            theirs = np.array(stored[key], dtype=float)
            if name == "box":
                peaks[key] = max(np.max(np.abs(mine)), 1e-300)
            worst = np.max(np.abs(mine - theirs))
            if not worst <= 1e-9 * peaks[key]:
                problems.append(f"{path}: {name}.{key} differs by {worst / peaks[key]:.3g} of the box's peak")
    return problems


def main():
    problems = []
    for path in sys.argv[1:]:
        problems += check(path)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
