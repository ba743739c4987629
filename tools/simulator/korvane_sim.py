#!/usr/bin/python3
"""Simulated Zelio Logic controller running the Macro Dravik, on a pseudo-terminal.

The program under test opens the slave side of the pty as its serial port; this
process answers on the master side. Standard library only.

Standard output, one line each, flushed:
  PTY <slave path>                   once, at start
  RX <t> <frame>                     every line received (CR LF stripped)
  OUT <t> <HH>                       the eight outputs changed to HH
  ACK <command>                      a control command was carried out
  ERR <command>: <reason>            a control command was refused
  STATUS inputs=HHHH analog=a,b,c,d outputs=HH frames=N unknown=M
  LINE speed=S data=D stop=1|2 parenb=0|1 parodd=0|1 cmspar=0|1 rtscts=0|1 ixon=0|1
       ixoff=0|1 inpck=0|1           the port's settings as the tty holds them
t is time.monotonic() in seconds (the same clock as CLOCK_MONOTONIC in C++).

Control commands come from standard input and from --script FILE:
  in N 0|1, inputs HHHH, analog N V, mode normal|silent|late MS|noise|nonhex|cmdreply,
  lineflag NAME 0|1 (leave a termios flag set on the device, as another program could),
  close, status, line, quit, and sleep SECONDS (scripts only).
"""

import argparse
import fcntl
import math
import os
import queue
import random
import select
import signal
import struct
import sys
import termios
import threading
import time
import tty

# The six read requests: the register each one selects.
READ_REQUESTS = {
    b":01030000FF1810D6": 0x18,
    b":01030000FF1910D5": 0x19,
    b":01030000FF1A10D4": 0x1A,
    b":01030000FF1B10D3": 0x1B,
    b":01030000FF1C10D2": 0x1C,
    b":01030000FF1D10D1": 0x1D,
}

# The nine command frames: the output word each one writes.
COMMAND_FRAMES = {
    b":01100000FF00020000EF": 0x00,
    b":01100000FF00020001EE": 0x01,
    b":01100000FF00020002ED": 0x02,
    b":01100000FF00020004EB": 0x04,
    b":01100000FF00020008E7": 0x08,
    b":01100000FF00020010DF": 0x10,
    b":01100000FF00020020CF": 0x20,
    b":01100000FF00020040AF": 0x40,
    b":01100000FF000200806F": 0x80,
}

MAX_LINE = 4096  # a longer run without a line end is thrown away as noise
CMSPAR = getattr(termios, "CMSPAR", 0o10000000000)
TCGETS2 = 0x802C542A  # _IOR('T', 0x2A, struct termios2) on Linux
TERMIOS2 = struct.Struct("=IIIIB19sII")


def lrc(hex_text):
    """Modbus ASCII check characters over the bytes written as hex digits."""
    total = sum(bytes.fromhex(hex_text)) & 0xFF
    return "%02X" % ((-total) & 0xFF)


def read_reply(value):
    body = "010302%04X" % (value & 0xFF)
    return (":" + body + lrc(body) + "\r\n").encode("ascii")


def command_reply():
    body = "01100000FF0002"
    return (":" + body + lrc(body) + "\r\n").encode("ascii")


def nonhex_reply():
    return b":01030200ZZ" + b"QQ\r\n"


def noise_reply():
    alphabet = [chr(c) for c in range(0x21, 0x7F)]
    while True:
        text = "".join(random.choice(alphabet) for _ in range(random.randint(6, 24)))
        # Never something that reads as a reply by accident.
        if text[1:5] not in ("0103", "0110"):
            return (text + "\r\n").encode("ascii")


def printable(frame):
    out = []
    for b in frame:
        if 0x20 < b < 0x7F or b == 0x20:
            out.append(chr(b))
        else:
            out.append("\\x%02X" % b)
    return "".join(out)


class Output:
    def __init__(self):
        self.lock = threading.Lock()
        self.broken = False

    def line(self, text):
        with self.lock:
            if self.broken:
                return
            try:
                sys.stdout.write(text + "\n")
                sys.stdout.flush()
            except (BrokenPipeError, OSError):
                self.broken = True


def clamp_byte(value):
    return max(0, min(255, int(round(value))))


class Controller:
    """Inputs, analog values and outputs of the simulated device."""

    def __init__(self, out):
        self.out = out
        self.inputs = 0
        self.analog = [0, 0, 0, 0]
        self.outputs = 0
        self.mode = "normal"
        self.late_ms = 0
        self.frames = 0
        self.unknown = 0
        self.demo = False
        self.demo_start = time.monotonic()
        self.demo_last = 0.0
        self.level = 120.0
        self.pressure = 180.0

    def register(self, number):
        if number == 0x18:
            return self.inputs & 0xFF
        if number == 0x19:
            return (self.inputs >> 8) & 0xFF
        return self.analog[number - 0x1A]

    def set_outputs(self, word, t):
        if word == self.outputs:
            return
        rising = word & ~self.outputs
        self.outputs = word
        self.out.line("OUT %.6f %02X" % (t, word))
        if self.demo:
            # A pulse on output N starts or stops the equipment whose running
            # contact is input N.
            self.inputs ^= rising & 0xFF

    def answer(self, frame, t):
        """The bytes to send back for one received line, or None."""
        self.frames += 1
        reply = None
        if frame in READ_REQUESTS:
            value = self.register(READ_REQUESTS[frame])
            if self.mode == "nonhex":
                reply = nonhex_reply()
            elif self.mode == "cmdreply":
                reply = command_reply()
            else:
                reply = read_reply(value)
        elif frame in COMMAND_FRAMES:
            self.set_outputs(COMMAND_FRAMES[frame], t)
            reply = command_reply()
        else:
            self.unknown += 1
            return None
        if self.mode == "silent":
            return None
        if self.mode == "noise":
            return noise_reply()
        return reply

    def demo_tick(self, now):
        """One step of the demo plant: a water tank drained by two pumps into a
        stirred, aerated reactor (inputs 1..8 are the running contacts of pump 1,
        pump 2, agitator, valve 1, valve 2, compressor, fan and lights)."""
        dt = min(1.0, now - self.demo_last) if self.demo_last else 0.2
        self.demo_last = now
        running = lambda n: bool(self.inputs & (1 << (n - 1)))
        pumps = running(1) + running(2)
        flowing = pumps > 0 and running(4)
        # Level: a steady inflow, drained while a pump runs through valve 1.
        self.level += dt * (2.0 - (3.2 * pumps if flowing else 0.0))
        self.level = max(5.0, min(250.0, self.level))
        # Pressure of the air line: the compressor builds it, the diffuser uses it.
        target = 200.0 if running(6) else 30.0
        self.pressure += (target - self.pressure) * min(1.0, dt / 8.0)
        # Reactor temperature: slow daily-like swing, warmer while stirred.
        t = now - self.demo_start
        temp = 130 + 25 * math.sin(2 * math.pi * t / 97.0) + (12 if running(3) else 0)
        flow = (95 * pumps if flowing and running(5) else 0) + 12 * math.sin(t / 3.0)
        jitter = lambda: random.uniform(-1.5, 1.5)
        self.analog = [
            clamp_byte(temp + jitter()),
            clamp_byte(self.pressure + jitter()),
            clamp_byte(self.level),
            clamp_byte(max(2.0, flow + jitter())),
        ]
        # Level and pressure switches: inputs 9 (high level), 10 (low level)
        # and 13 (high pressure); the others follow the control commands.
        switches = 0
        if self.analog[2] > 225:
            switches |= 1 << 8
        if self.analog[2] < 35:
            switches |= 1 << 9
        if self.analog[1] > 235:
            switches |= 1 << 12
        self.inputs = (self.inputs & ~0x1300) | switches

    def status(self):
        return "STATUS inputs=%04X analog=%s outputs=%02X frames=%d unknown=%d" % (
            self.inputs,
            ",".join(str(v) for v in self.analog),
            self.outputs,
            self.frames,
            self.unknown,
        )


def line_settings(fd):
    """The line parameters the program set on the port, read back from the tty."""
    attrs = termios.tcgetattr(fd)
    iflag, cflag = attrs[0], attrs[2]
    speed = None
    try:
        raw = fcntl.ioctl(fd, TCGETS2, bytes(TERMIOS2.size))
        speed = TERMIOS2.unpack(raw)[7]
    except OSError:
        pass
    if speed is None:
        names = {getattr(termios, n): int(n[1:]) for n in dir(termios)
                 if n.startswith("B") and n[1:].isdigit()}
        speed = names.get(attrs[5], 0)
    size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
    # A pty keeps PARODD and CMSPAR but forces CS8 and clears PARENB itself,
    # so the bits are reported as they are rather than as a parity name.
    return ("LINE speed=%d data=%d stop=%d parenb=%d parodd=%d cmspar=%d rtscts=%d ixon=%d ixoff=%d"
            " inpck=%d" % (
                speed,
                size,
                2 if cflag & termios.CSTOPB else 1,
                1 if cflag & termios.PARENB else 0,
                1 if cflag & termios.PARODD else 0,
                1 if cflag & CMSPAR else 0,
                1 if cflag & termios.CRTSCTS else 0,
                1 if iflag & termios.IXON else 0,
                1 if iflag & termios.IXOFF else 0,
                1 if iflag & termios.INPCK else 0,
            ))


# Line flags that "lineflag NAME 0|1" may set, as another program could have
# left them on the device: (termios field index, bit).
LINE_FLAGS = {
    "parodd": (2, termios.PARODD),
    "cmspar": (2, CMSPAR),
    "cstopb": (2, termios.CSTOPB),
    "crtscts": (2, termios.CRTSCTS),
    "ixon": (0, termios.IXON),
    "ixoff": (0, termios.IXOFF),
    "inpck": (0, termios.INPCK),
}


def set_line_flag(fd, name, on):
    attrs = termios.tcgetattr(fd)
    index, bit = LINE_FLAGS[name]
    if on:
        attrs[index] |= bit
    else:
        attrs[index] &= ~bit
    termios.tcsetattr(fd, termios.TCSANOW, attrs)


class Simulator:
    def __init__(self, args, out):
        self.args = args
        self.out = out
        self.ctl = Controller(out)
        self.commands = queue.Queue()
        self.wake_r, self.wake_w = os.pipe()
        os.set_blocking(self.wake_w, False)
        self.master = None
        self.client = False  # the program holds the port open
        self.slave_path = None
        self.link = None
        self.rx = bytearray()
        self.pending = []  # (due time, bytes) of late answers
        self.exit_code = None

        if args.inputs is not None:
            self.ctl.inputs = int(args.inputs, 16) & 0xFFFF
        if args.analog is not None:
            values = [int(v) for v in args.analog.split(",")]
            if len(values) != 4 or any(v < 0 or v > 255 for v in values):
                raise SystemExit("--analog wants four values 0..255")
            self.ctl.analog = values
        self.ctl.demo = args.demo
        if args.demo and args.inputs is None:
            # Pump 1, agitator, both valves, compressor and fan running.
            self.ctl.inputs = 0x007D

    # -- pty ---------------------------------------------------------------

    def open_pty(self):
        self.master, slave = os.openpty()
        # Raw line: no echo of our replies, no CR/LF translation.
        tty.setraw(slave)
        self.slave_path = os.ttyname(slave)
        # The slave stays closed here, so that the master sees when the program
        # closes its port (reads fail with EIO while nobody holds the slave).
        os.close(slave)
        os.set_blocking(self.master, False)
        if self.args.link:
            self.link = os.path.abspath(self.args.link)
            if os.path.islink(self.link) or os.path.exists(self.link):
                os.unlink(self.link)
            os.symlink(self.slave_path, self.link)
        self.out.line("PTY " + self.slave_path)

    def close_pty(self):
        if self.master is not None:
            try:
                os.close(self.master)
            except OSError:
                pass
        self.master = None
        self.client = False

    def client_gone(self):
        """The program closed the port. A serial driver drops unread input on
        close; a pty keeps it for the next open, so drop it here."""
        self.client = False
        self.rx.clear()
        self.pending.clear()
        try:
            fd = os.open(self.slave_path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        except OSError:
            return
        try:
            termios.tcflush(fd, termios.TCIFLUSH)
        except termios.error:
            pass
        finally:
            os.close(fd)

    def remove_link(self):
        if self.link and os.path.islink(self.link):
            try:
                if os.readlink(self.link) == self.slave_path:
                    os.unlink(self.link)
            except OSError:
                pass
        self.link = None

    def send(self, data):
        if self.master is None or not self.client:
            return  # a reply to a closed port is lost, as on a wire
        try:
            os.write(self.master, data)
        except BlockingIOError:
            pass  # nobody reads the port: the reply is lost, as on a wire
        except OSError:
            pass

    # -- received traffic --------------------------------------------------

    def read_master(self):
        try:
            data = os.read(self.master, 4096)
        except (BlockingIOError, InterruptedError):
            self.client = True
            return
        except OSError:
            if self.client:
                self.client_gone()
            return  # EIO: nobody holds the port open
        self.client = True
        if not data:
            return
        self.rx += data
        while True:
            end = self.rx.find(b"\n")
            if end < 0:
                break
            line = bytes(self.rx[:end + 1])
            del self.rx[:end + 1]
            self.frame(line)
        if len(self.rx) > MAX_LINE:
            self.frame(bytes(self.rx))
            self.rx.clear()

    def frame(self, line):
        t = time.monotonic()
        text = line[:-2] if line.endswith(b"\r\n") else line.rstrip(b"\n")
        self.out.line("RX %.6f %s" % (t, printable(text)))
        if not line.endswith(b"\r\n"):
            self.ctl.frames += 1
            self.ctl.unknown += 1
            return
        reply = self.ctl.answer(text, t)
        if reply is None:
            return
        if self.ctl.mode == "late" and self.ctl.late_ms > 0:
            self.pending.append((t + self.ctl.late_ms / 1000.0, reply))
        else:
            self.send(reply)

    # -- control commands --------------------------------------------------

    def feed(self, line, source):
        self.commands.put((line, source))
        try:
            os.write(self.wake_w, b"x")
        except OSError:
            pass

    def run_command(self, line):
        words = line.split()
        if not words:
            return
        text = " ".join(words)
        try:
            self.apply(words)
        except (ValueError, IndexError) as e:
            self.out.line("ERR %s: %s" % (text, e))
            return
        if words[0] == "close":
            return  # acknowledged in apply(), after the line dropped
        self.out.line("ACK " + text)
        if words[0] == "quit":
            self.exit_code = 0

    def apply(self, words):
        ctl = self.ctl
        cmd = words[0]
        if cmd == "in":
            n, v = int(words[1]), int(words[2])
            if not 1 <= n <= 16 or v not in (0, 1) or len(words) != 3:
                raise ValueError("usage: in N(1..16) 0|1")
            if v:
                ctl.inputs |= 1 << (n - 1)
            else:
                ctl.inputs &= ~(1 << (n - 1))
        elif cmd == "inputs":
            if len(words) != 2 or len(words[1]) != 4:
                raise ValueError("usage: inputs HHHH")
            ctl.inputs = int(words[1], 16)
        elif cmd == "analog":
            n, v = int(words[1]), int(words[2])
            if not 1 <= n <= 4 or not 0 <= v <= 255 or len(words) != 3:
                raise ValueError("usage: analog N(1..4) V(0..255)")
            ctl.analog[n - 1] = v
        elif cmd == "mode":
            mode = words[1]
            if mode == "late":
                ms = int(words[2])
                if ms < 0:
                    raise ValueError("late wants milliseconds >= 0")
                ctl.late_ms = ms
            elif mode not in ("normal", "silent", "noise", "nonhex", "cmdreply") or len(words) != 2:
                raise ValueError("unknown mode")
            ctl.mode = mode
        elif cmd == "status":
            self.out.line(ctl.status())
        elif cmd == "line":
            if self.master is None:
                raise ValueError("the line is closed")
            # On a pty master the termios calls reach the slave's settings.
            self.out.line(line_settings(self.master))
        elif cmd == "lineflag":
            if len(words) != 3 or words[1] not in LINE_FLAGS or words[2] not in ("0", "1"):
                raise ValueError("usage: lineflag %s 0|1" % "|".join(sorted(LINE_FLAGS)))
            if self.master is None:
                raise ValueError("the line is closed")
            set_line_flag(self.master, words[1], words[2] == "1")
        elif cmd == "close":
            self.close_pty()
            self.pending.clear()
            self.out.line("ACK close")
            self.exit_code = 0
        elif cmd == "quit":
            pass
        elif cmd == "sleep":
            raise ValueError("sleep is for scripts")
        else:
            raise ValueError("unknown command")

    # -- command sources ---------------------------------------------------

    def stdin_reader(self):
        for line in sys.stdin:
            self.feed(line, "stdin")
        if self.args.stdin_eof_exits:
            self.feed("quit", "stdin")

    def script_reader(self, path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                words = line.split("#", 1)[0].split()
                if not words:
                    continue
                if words[0] == "sleep":
                    time.sleep(float(words[1]))
                    continue
                self.feed(" ".join(words), "script")

    def control_reader(self, path):
        # A named pipe: every writer (echo "in 15 1" > PATH) sends commands;
        # reopening after each writer keeps the pipe usable for the next.
        if not os.path.exists(path):
            os.mkfifo(path)
        while True:
            with open(path, encoding="utf-8") as f:
                for line in f:
                    self.feed(line, "control")

    # -- main loop ---------------------------------------------------------

    def run(self):
        self.open_pty()
        if self.args.script:
            threading.Thread(target=self.script_reader, args=(self.args.script,),
                             daemon=True).start()
        if self.args.control:
            threading.Thread(target=self.control_reader, args=(self.args.control,),
                             daemon=True).start()
        threading.Thread(target=self.stdin_reader, daemon=True).start()
        next_demo = time.monotonic()
        while self.exit_code is None:
            now = time.monotonic()
            if self.ctl.demo and now >= next_demo:
                self.ctl.demo_tick(now)
                next_demo = now + 0.2
            due = [p for p in self.pending if p[0] <= now]
            if due:
                self.pending = [p for p in self.pending if p[0] > now]
                for _, data in sorted(due, key=lambda p: p[0]):
                    self.send(data)
            timeout = 1.0
            if self.pending:
                timeout = min(timeout, max(0.0, min(p[0] for p in self.pending) - now))
            if self.ctl.demo:
                timeout = min(timeout, max(0.0, next_demo - now))
            fds = [self.wake_r]
            if self.master is not None:
                if self.client:
                    fds.append(self.master)
                else:
                    # Nobody on the port: the master would be readable (EIO)
                    # all the time, so look for the program every 10 ms.
                    self.read_master()
                    if self.client:
                        fds.append(self.master)
                    else:
                        timeout = min(timeout, 0.01)
            ready, _, _ = select.select(fds, [], [], timeout)
            if self.master is not None and self.master in ready:
                self.read_master()
            if self.wake_r in ready:
                os.read(self.wake_r, 4096)
            while True:
                try:
                    line, _ = self.commands.get_nowait()
                except queue.Empty:
                    break
                self.run_command(line)
                if self.exit_code is not None:
                    break
        return self.exit_code


def main():
    parser = argparse.ArgumentParser(description="Simulated Macro Dravik controller on a pty")
    parser.add_argument("--link", help="make this path a symlink to the pty device")
    parser.add_argument("--script", help="control commands to run (may hold 'sleep SECONDS')")
    parser.add_argument("--inputs", help="initial inputs, 4 hex digits (input 16 = top bit)")
    parser.add_argument("--analog", help="initial analog values a,b,c,d (0..255)")
    parser.add_argument("--control", help="named pipe to read control commands from (made if missing)")
    parser.add_argument("--demo", action="store_true",
                        help="run a small water plant: values vary, command pulses start and "
                        "stop equipment (output N toggles input N)")
    parser.add_argument("--stdin-eof-exits", action="store_true",
                        help="exit when standard input closes")
    args = parser.parse_args()

    out = Output()
    sim = Simulator(args, out)

    def on_signal(signum, frame):
        raise SystemExit(0)

    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, on_signal)
    signal.signal(signal.SIGPIPE, signal.SIG_IGN)

    code = 0
    try:
        code = sim.run()
    except SystemExit as e:
        code = e.code if isinstance(e.code, int) else 0
    finally:
        sim.remove_link()
        sim.close_pty()
    # Exit at once: the stdin thread may sit in a read for ever.
    try:
        sys.stdout.flush()
    except OSError:
        pass
    os._exit(code or 0)


if __name__ == "__main__":
    main()
