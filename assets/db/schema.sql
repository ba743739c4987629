-- The log database installed beside the program, in db/Korvane.db3.
-- Plain rowid tables: the last rowid is the most recently stored row.
-- The program only inserts rows; it never creates, alters or drops a table.

-- Write-ahead logging, kept in the file: readers of the log never hold up
-- the logger's inserts.
PRAGMA journal_mode=WAL;

CREATE TABLE Lectura (
    Fecha TEXT,
    Bit1 TEXT, Bit2 TEXT, Bit3 TEXT, Bit4 TEXT,
    Bit5 TEXT, Bit6 TEXT, Bit7 TEXT, Bit8 TEXT,
    Bit9 TEXT, Bit10 TEXT, Bit11 TEXT, Bit12 TEXT,
    Bit13 TEXT, Bit14 TEXT, Bit15 TEXT, Bit16 TEXT,
    Word1 INTEGER, Word2 INTEGER, Word3 INTEGER,
    Word4 INTEGER, Word5 INTEGER, Word6 INTEGER
);

-- The viewer lists and filters by date.
CREATE INDEX Lectura_Fecha ON Lectura (Fecha);

CREATE TABLE Escritura (
    Fecha TEXT,
    Bit1 TEXT, Bit2 TEXT, Bit3 TEXT, Bit4 TEXT,
    Bit5 TEXT, Bit6 TEXT, Bit7 TEXT, Bit8 TEXT
);

CREATE INDEX Escritura_Fecha ON Escritura (Fecha);
