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

-- The viewer lists and filters by date, and sorts by any of the four
-- values: each order is read straight off an index (an index also holds the
-- rowid, which breaks ties), so the first rows of a sort over years of
-- snapshots come at once. A file made without the value indexes still
-- works; its sorts by value are slower.
CREATE INDEX Lectura_Fecha ON Lectura (Fecha);
CREATE INDEX Lectura_Word3 ON Lectura (Word3);
CREATE INDEX Lectura_Word4 ON Lectura (Word4);
CREATE INDEX Lectura_Word5 ON Lectura (Word5);
CREATE INDEX Lectura_Word6 ON Lectura (Word6);

CREATE TABLE Escritura (
    Fecha TEXT,
    Bit1 TEXT, Bit2 TEXT, Bit3 TEXT, Bit4 TEXT,
    Bit5 TEXT, Bit6 TEXT, Bit7 TEXT, Bit8 TEXT
);

-- The commands are listed by date or by output.
CREATE INDEX Escritura_Fecha ON Escritura (Fecha);
CREATE INDEX Escritura_Bit1 ON Escritura (Bit1);
CREATE INDEX Escritura_Bit2 ON Escritura (Bit2);
CREATE INDEX Escritura_Bit3 ON Escritura (Bit3);
CREATE INDEX Escritura_Bit4 ON Escritura (Bit4);
CREATE INDEX Escritura_Bit5 ON Escritura (Bit5);
CREATE INDEX Escritura_Bit6 ON Escritura (Bit6);
CREATE INDEX Escritura_Bit7 ON Escritura (Bit7);
CREATE INDEX Escritura_Bit8 ON Escritura (Bit8);
