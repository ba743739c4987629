#!/usr/bin/python3
"""Fills a Korvane Direct log database with demo-like rows, as the periodic
logger would store them while the simulated controller runs its demo: the
four analog values drift and wave, inputs 1 to 4 blink, 5 to 8 follow the
first value, input 15 comes on for a while and input 16 (the alarm) flashes
a few times. A row is stored only when a register changed, at most one per
interval, like the logger. Commands sent from the buttons go to Escritura.

  make_demo_log.py DATABASE [--days 1] [--interval 10] [--end "yyyy-mm-dd hh:mm:ss"]

DATABASE must exist with the tables installed (assets/db/schema.sql).
Standard library only.
"""

import argparse
import datetime
import math
import random
import sqlite3
import sys


def registers(t, rng):
    """Reg1..Reg6 at second t of the run."""
    hours = t / 3600.0
    analog = [
        # temperature-like: a daily wave with a slow ripple
        128 + 70 * math.sin(2 * math.pi * hours / 24 - 1.8) + 12 * math.sin(2 * math.pi * hours / 1.7),
        # pressure-like: steps of a pump cycle
        90 + (60 if int(t / 2700) % 3 else 0) + 8 * math.sin(2 * math.pi * t / 900),
        # level-like: fills and drains
        30 + 190 * abs(((t / 14400.0) % 2) - 1),
        # flow-like: on with the pump, with noise
        150 + 40 * math.sin(2 * math.pi * hours / 6) if int(t / 2700) % 3 else 0,
    ]
    words = []
    for i, v in enumerate(analog):
        if v == 0:
            words.append(0)  # no value: the panel shows "--"
            continue
        v += rng.gauss(0, 2.0)
        words.append(max(1, min(255, int(round(v)))))
    low = 0
    for i, period in enumerate((600, 1500, 3600, 5400)):
        if int(t / period) % 2:
            low |= 1 << i
    for i in range(4):
        if words[0] > 60 * (i + 1):
            low |= 1 << (4 + i)
    high = 0
    if int(t / 2700) % 3:
        high |= 1 << 0  # input 9: pump running
    if 9 * 3600 <= t % 86400 < 13 * 3600:
        high |= 1 << 6  # input 15: notice 1
    for start in (7.2 * 3600, 15.5 * 3600, 21.1 * 3600):
        if start <= t % 86400 < start + 300:
            high |= 1 << 7  # input 16: the alarm
    return [low, high] + words


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("database")
    parser.add_argument("--days", type=float, default=1.0)
    parser.add_argument("--interval", type=int, default=10)
    parser.add_argument("--end", help="last time, local (default: now)")
    parser.add_argument("--seed", type=int, default=12)
    args = parser.parse_args()

    end = (
        datetime.datetime.strptime(args.end, "%Y-%m-%d %H:%M:%S")
        if args.end
        else datetime.datetime.now().replace(microsecond=0)
    )
    seconds = int(args.days * 86400)
    start = end - datetime.timedelta(seconds=seconds)
    rng = random.Random(args.seed)

    db = sqlite3.connect(args.database)
    insert = (
        "insert into Lectura (Fecha,bit1,bit2,bit3,bit4,bit5,bit6,bit7,bit8,bit9,bit10,bit11,"
        "bit12,bit13,bit14,bit15,bit16,word1,word2,word3,word4,word5,word6) values ("
        + ",".join("?" * 23)
        + ")"
    )
    last = None
    stored = 0
    commands = 0
    db.execute("begin")
    for t in range(0, seconds + 1, args.interval):
        regs = registers((start.hour * 3600 + start.minute * 60 + start.second) + t, rng)
        stamp = (start + datetime.timedelta(seconds=t)).strftime("%Y-%m-%d %H:%M:%S")
        if regs != last:
            bits = ["Si" if (regs[0] if n < 8 else regs[1]) >> (n % 8) & 1 else "-" for n in range(16)]
            db.execute(insert, [stamp] + bits + regs)
            last = regs
            stored += 1
        if rng.random() < args.interval / 1800.0:
            output = rng.randint(1, 8)
            db.execute(
                "insert into Escritura (Fecha,Bit1,Bit2,Bit3,Bit4,Bit5,Bit6,Bit7,Bit8) values (?,?,?,?,?,?,?,?,?)",
                [stamp] + ["Si" if n == output else "-" for n in range(1, 9)],
            )
            commands += 1
    db.commit()
    db.close()
    print("%d filas en Lectura y %d en Escritura, de %s a %s" % (stored, commands, start, end))


if __name__ == "__main__":
    sys.exit(main())
