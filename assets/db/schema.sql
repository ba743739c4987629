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

-- Summary of Lectura per minute and per hour for the trend window, kept by
-- the trigger below as the logger stores rows, so that a plot of months of
-- rows reads a few thousand summary rows instead of every row. For each
-- analog word (Word3..Word6): the last value stored in the period and the
-- lowest and highest value other than 0 (0 is "no value"; NULL when every
-- row held 0). Si and No: bit n-1 set when input n was on (off) in some row
-- of the period; UltEnt: the inputs of the last row. A file without these
-- tables still works: the trend window then reads the rows themselves.
CREATE TABLE LecturaMinuto (
    Minuto TEXT PRIMARY KEY, -- first 16 characters of Fecha: yyyy-mm-dd hh:mm
    Filas INTEGER NOT NULL,
    Ult3 INTEGER, Ult4 INTEGER, Ult5 INTEGER, Ult6 INTEGER,
    Min3 INTEGER, Min4 INTEGER, Min5 INTEGER, Min6 INTEGER,
    Max3 INTEGER, Max4 INTEGER, Max5 INTEGER, Max6 INTEGER,
    Si INTEGER NOT NULL, No INTEGER NOT NULL, UltEnt INTEGER NOT NULL
) WITHOUT ROWID;

CREATE TABLE LecturaHora (
    Hora TEXT PRIMARY KEY, -- first 13 characters of Fecha: yyyy-mm-dd hh
    Filas INTEGER NOT NULL,
    Ult3 INTEGER, Ult4 INTEGER, Ult5 INTEGER, Ult6 INTEGER,
    Min3 INTEGER, Min4 INTEGER, Min5 INTEGER, Min6 INTEGER,
    Max3 INTEGER, Max4 INTEGER, Max5 INTEGER, Max6 INTEGER,
    Si INTEGER NOT NULL, No INTEGER NOT NULL, UltEnt INTEGER NOT NULL
) WITHOUT ROWID;

CREATE TRIGGER LecturaResumen AFTER INSERT ON Lectura
BEGIN
    INSERT INTO LecturaMinuto (Minuto, Filas, Ult3, Ult4, Ult5, Ult6,
        Min3, Min4, Min5, Min6, Max3, Max4, Max5, Max6, Si, No, UltEnt)
    SELECT substr(NEW.Fecha, 1, 16), 1, NEW.Word3, NEW.Word4, NEW.Word5, NEW.Word6,
        nullif(NEW.Word3, 0), nullif(NEW.Word4, 0), nullif(NEW.Word5, 0), nullif(NEW.Word6, 0),
        nullif(NEW.Word3, 0), nullif(NEW.Word4, 0), nullif(NEW.Word5, 0), nullif(NEW.Word6, 0),
        e, (~e) & 65535, e
    FROM (SELECT
            (coalesce(NEW.Bit1 = 'Si', 0) << 0) | (coalesce(NEW.Bit2 = 'Si', 0) << 1) |
            (coalesce(NEW.Bit3 = 'Si', 0) << 2) | (coalesce(NEW.Bit4 = 'Si', 0) << 3) |
            (coalesce(NEW.Bit5 = 'Si', 0) << 4) | (coalesce(NEW.Bit6 = 'Si', 0) << 5) |
            (coalesce(NEW.Bit7 = 'Si', 0) << 6) | (coalesce(NEW.Bit8 = 'Si', 0) << 7) |
            (coalesce(NEW.Bit9 = 'Si', 0) << 8) | (coalesce(NEW.Bit10 = 'Si', 0) << 9) |
            (coalesce(NEW.Bit11 = 'Si', 0) << 10) | (coalesce(NEW.Bit12 = 'Si', 0) << 11) |
            (coalesce(NEW.Bit13 = 'Si', 0) << 12) | (coalesce(NEW.Bit14 = 'Si', 0) << 13) |
            (coalesce(NEW.Bit15 = 'Si', 0) << 14) | (coalesce(NEW.Bit16 = 'Si', 0) << 15) AS e)
    WHERE NEW.Fecha IS NOT NULL
    ON CONFLICT (Minuto) DO UPDATE SET
        Filas = Filas + 1,
        Ult3 = excluded.Ult3,
        Ult4 = excluded.Ult4,
        Ult5 = excluded.Ult5,
        Ult6 = excluded.Ult6,
        Min3 = coalesce(min(Min3, excluded.Min3), Min3, excluded.Min3),
        Min4 = coalesce(min(Min4, excluded.Min4), Min4, excluded.Min4),
        Min5 = coalesce(min(Min5, excluded.Min5), Min5, excluded.Min5),
        Min6 = coalesce(min(Min6, excluded.Min6), Min6, excluded.Min6),
        Max3 = coalesce(max(Max3, excluded.Max3), Max3, excluded.Max3),
        Max4 = coalesce(max(Max4, excluded.Max4), Max4, excluded.Max4),
        Max5 = coalesce(max(Max5, excluded.Max5), Max5, excluded.Max5),
        Max6 = coalesce(max(Max6, excluded.Max6), Max6, excluded.Max6),
        Si = Si | excluded.Si,
        No = No | excluded.No,
        UltEnt = excluded.UltEnt;
    INSERT INTO LecturaHora (Hora, Filas, Ult3, Ult4, Ult5, Ult6,
        Min3, Min4, Min5, Min6, Max3, Max4, Max5, Max6, Si, No, UltEnt)
    SELECT substr(NEW.Fecha, 1, 13), 1, NEW.Word3, NEW.Word4, NEW.Word5, NEW.Word6,
        nullif(NEW.Word3, 0), nullif(NEW.Word4, 0), nullif(NEW.Word5, 0), nullif(NEW.Word6, 0),
        nullif(NEW.Word3, 0), nullif(NEW.Word4, 0), nullif(NEW.Word5, 0), nullif(NEW.Word6, 0),
        e, (~e) & 65535, e
    FROM (SELECT
            (coalesce(NEW.Bit1 = 'Si', 0) << 0) | (coalesce(NEW.Bit2 = 'Si', 0) << 1) |
            (coalesce(NEW.Bit3 = 'Si', 0) << 2) | (coalesce(NEW.Bit4 = 'Si', 0) << 3) |
            (coalesce(NEW.Bit5 = 'Si', 0) << 4) | (coalesce(NEW.Bit6 = 'Si', 0) << 5) |
            (coalesce(NEW.Bit7 = 'Si', 0) << 6) | (coalesce(NEW.Bit8 = 'Si', 0) << 7) |
            (coalesce(NEW.Bit9 = 'Si', 0) << 8) | (coalesce(NEW.Bit10 = 'Si', 0) << 9) |
            (coalesce(NEW.Bit11 = 'Si', 0) << 10) | (coalesce(NEW.Bit12 = 'Si', 0) << 11) |
            (coalesce(NEW.Bit13 = 'Si', 0) << 12) | (coalesce(NEW.Bit14 = 'Si', 0) << 13) |
            (coalesce(NEW.Bit15 = 'Si', 0) << 14) | (coalesce(NEW.Bit16 = 'Si', 0) << 15) AS e)
    WHERE NEW.Fecha IS NOT NULL
    ON CONFLICT (Hora) DO UPDATE SET
        Filas = Filas + 1,
        Ult3 = excluded.Ult3,
        Ult4 = excluded.Ult4,
        Ult5 = excluded.Ult5,
        Ult6 = excluded.Ult6,
        Min3 = coalesce(min(Min3, excluded.Min3), Min3, excluded.Min3),
        Min4 = coalesce(min(Min4, excluded.Min4), Min4, excluded.Min4),
        Min5 = coalesce(min(Min5, excluded.Min5), Min5, excluded.Min5),
        Min6 = coalesce(min(Min6, excluded.Min6), Min6, excluded.Min6),
        Max3 = coalesce(max(Max3, excluded.Max3), Max3, excluded.Max3),
        Max4 = coalesce(max(Max4, excluded.Max4), Max4, excluded.Max4),
        Max5 = coalesce(max(Max5, excluded.Max5), Max5, excluded.Max5),
        Max6 = coalesce(max(Max6, excluded.Max6), Max6, excluded.Max6),
        Si = Si | excluded.Si,
        No = No | excluded.No,
        UltEnt = excluded.UltEnt;
END;
