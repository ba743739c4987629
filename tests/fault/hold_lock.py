#!/usr/bin/python3
"""Holds the write lock of an SQLite file, as another program could: prints
READY once the lock is taken and keeps it until the process is ended."""

import sqlite3
import sys
import time

con = sqlite3.connect(sys.argv[1], isolation_level=None, timeout=5)
con.execute("BEGIN EXCLUSIVE")
print("READY", flush=True)
while True:
    time.sleep(3600)
