-- Stand-in for the MACRO model's database: only the tables and fields Kelvo reads and writes.
-- "run" begins with runid and "applications" with RunID, ApplicationNr: rows are found on them.
-- A compound row has fext and candeg, a metab row has not; that tells parents from metabolites.

CREATE TABLE compound (
    name TEXT,
    inform TEXT,
    koc REAL,
    halflife REAL,
    tref REAL,
    vap REAL,
    vptemp REAL,
    pf INTEGER,
    expb REAL,
    tresp REAL,
    freund REAL,
    diffusion REAL,
    fstar REAL,
    fext REAL,
    candeg REAL,
    FOCUStest BOOLEAN
);

CREATE TABLE metab (
    name TEXT,
    inform TEXT,
    koc REAL,
    halflife REAL,
    tref REAL,
    vap REAL,
    vptemp REAL,
    pf INTEGER,
    expb REAL,
    tresp REAL,
    freund REAL,
    diffusion REAL,
    fstar REAL,
    fconvert REAL
);

CREATE TABLE run (
    runid INTEGER NOT NULL PRIMARY KEY,
    first_day INTEGER,
    last_day INTEGER,
    num_apps INTEGER,
    min_int INTEGER,
    app_method INTEGER,
    compound TEXT,
    cropname TEXT,
    text_info TEXT,
    location TEXT,
    pathinout TEXT,
    projectname TEXT,
    projectID INTEGER
);

-- Applications outlive their run row: a new export of the run edits them by run and number.
CREATE TABLE applications (
    RunID INTEGER NOT NULL,
    ApplicationNr INTEGER NOT NULL,
    Dose REAL,
    PRIMARY KEY (RunID, ApplicationNr)
);
