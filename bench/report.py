"""Prints bench/run's table from its measurements, and the data of the plot."""
import json
import re
import statistics
import sys

out, plot_data = sys.argv[1], sys.argv[2]


def load(name):
    with open(f"{out}/{name}") as f:
        return json.load(f)["benchmarks"]


def median(runs, name, field="real_time"):
    for run in runs:
        if run["name"] in (f"{name}_median", name):
            return run[field]
    raise KeyError(name)


b24, b16 = load("b24.json"), load("b16.json")
rows = []
frame, floor = median(b24, "Frame"), median(b24, "FrameFloor")
frame_cpu, floor_cpu = median(b24, "Frame", "cpu_time"), median(b24, "FrameFloor", "cpu_time")
rows.append(("Frame at 32 bits (renderScreen)", f"{frame:.0f} us", f"{frame_cpu:.0f} us of CPU"))
rows.append(("Frame floor: clear, masked copy, copy to screen", f"{floor:.0f} us",
             f"{floor_cpu:.0f} us of CPU; frame/floor = {frame / floor:.3f}, "
             f"in CPU {frame_cpu / floor_cpu:.3f} (target <= 1.05)"))
for depth, runs in (("24", b24), ("16", b16)):
    rows.append((f"Main-loop pass in a window, {depth}-bit X server",
                 f"{median(runs, 'Pass', 'frames/s'):.0f} frames/s", ""))
room, slowest, room_floor = (median(b24, n) for n in ("Room", "RoomSlowestSeed", "RoomFloor"))
rows.append(("makeRoom, seeds 0 to 999", f"{room:.0f} us", f"room/floor = {room / room_floor:.2f}"))
rows.append(("makeRoom, slowest of those seeds", f"{slowest:.0f} us",
             f"slowest/floor = {slowest / room_floor:.2f}"))
rows.append(("Room floor: clear and 120 filled squares", f"{room_floor:.0f} us", ""))

ticks = []
for run in b24:
    m = re.fullmatch(r"MonsterTick/(\d+)_median", run["name"]) or re.fullmatch(
        r"MonsterTick/(\d+)", run["name"])
    if m:
        ticks.append((int(m.group(1)), run["real_time"]))
ticks.sort()
with open(plot_data, "w") as f:
    f.write("# monsters  microseconds per tick\n")
    for n, us in ticks:
        f.write(f"{n} {us:.4f}\n")
per_step = [us / n for n, us in ticks]
big_n, big_us = ticks[-1]
step_ns = 1000 * big_us / big_n
rows.append(("Tick with n monsters, n = 1 .. 10,000",
             f"{1000 * min(per_step):.0f} .. {1000 * max(per_step):.0f} ns a monster",
             f"at 10,000: {big_us:.0f} us a tick"))
rows.append(("Highest level holding 140 ticks/s on one core",
             f"{int(1e6 / 140 / (step_ns / 1000)):,}", "ticks alone, frames take what is left"))

for name, label in (("ticks-idle", "idle"), ("ticks-loaded", "other core loaded"),
                    ("ticks-slow", "frames of 30 ms")):
    with open(f"{out}/{name}") as f:
        t = dict(re.findall(r"(\w+) ([\d.]+)", f.read()))
    exact = int(t["raised"]) == int(t["processed"]) + int(t["pending"])
    rows.append((f"Ticks processed per second, {label}", f"{float(t['ticks']):.2f}/s",
                 f"{100 * (float(t['ticks']) / 140 - 1):+.2f}% of 140; raised {t['raised']}, "
                 f"processed {t['processed']}, pending {t['pending']}: "
                 + ("each once" if exact else "MISMATCH")))

with open(f"{out}/startup") as f:
    pairs = re.findall(r"game ([\d.]+) bare ([\d.]+)", f.read())
    launches = [(float(g), float(b)) for g, b in pairs]
game_ms = statistics.median(g for g, _ in launches)
bare_ms = statistics.median(b for _, b in launches)
rows.append(("Start-up: launch to first frame on the X server", f"{game_ms:.1f} ms",
             f"bare Allegro program {bare_ms:.1f} ms; game/bare = "
             f"{statistics.median(g / b for g, b in launches):.2f} (median of {len(launches)} "
             "rounds, each launching both)"))
with open(f"{out}/game") as f:
    rss = [int(v) for v in re.findall(r"rss (\d+)", f.read())]
rows.append(("Peak resident memory of the game", f"{max(rss) / 1024:.1f} MiB",
             "VmHWM after 3 s of play"))

width = max(len(r[0]) for r in rows)
value = max(len(r[1]) for r in rows)
print(f"{'measure'.ljust(width)}  {'value'.ljust(value)}  note")
print(f"{'-' * width}  {'-' * value}  ----")
for name, val, note in rows:
    print(f"{name.ljust(width)}  {val.ljust(value)}  {note}".rstrip())
