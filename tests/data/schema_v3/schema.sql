-- The scenario database of Kelvo.
-- Column order is binding: several tables are filled by position and searched on their leading columns.
-- Statements end with ";" at the end of a line; comments stand on lines of their own.

CREATE TABLE meta (
    Key TEXT NOT NULL PRIMARY KEY,
    Value TEXT
);

-- SchemaVersion: the layout of this file; a program with a newer layout migrates the file after a backup.
-- ProgramVersion: the version of the program that last opened the file; MigratedAt: when a program last
-- brought it to a newer layout (UTC, ISO 8601).
INSERT INTO meta (Key, Value) VALUES ('SchemaVersion', '3');
INSERT INTO meta (Key, Value) VALUES ('ProgramVersion', NULL);
INSERT INTO meta (Key, Value) VALUES ('MigratedAt', NULL);

-- Substances: one row per substance in each of the three tables, sharing the SubstanceCode.
-- Codes are unique regardless of letter case.

CREATE TABLE Substances (
    SubstanceCode VARCHAR(20) COLLATE NOCASE NOT NULL PRIMARY KEY,
    IsParent BOOLEAN,
    Name VARCHAR(20),
    MolMass REAL,
    MolEntVap REAL,
    SlbWatRef REAL,
    TemRefSlb REAL,
    MolEntSlb REAL,
    CofDifAirRef REAL,
    DetailedSorption BOOLEAN,
    Kom REAL,
    ExpFre REAL,
    ConLiqRef REAL,
    KomSus REAL,
    KocSus REAL,
    ExpFreSus REAL,
    ConLiqRefSus REAL,
    KomSed REAL,
    KocSed REAL,
    ExpFreSed REAL,
    ConLiqRefSed REAL,
    KomSol REAL,
    KocSol REAL,
    ConLiqRefSol REAL,
    KsorMph REAL,
    MolEntTra REAL,
    DT50WatRef REAL,
    TemRefTraWat REAL,
    DT50SedRef REAL,
    TemRefTraSed REAL,
    MetSubCode1 VARCHAR(20),
    MetSubCode2 VARCHAR(20),
    Comment VARCHAR(250),
    Locked BOOLEAN,
    subSource INTEGER
);

-- The substance editor asks at every move whether the substance is another's metabolite.
CREATE INDEX SubstancesByMetabolite1 ON Substances (MetSubCode1);
CREATE INDEX SubstancesByMetabolite2 ON Substances (MetSubCode2);

CREATE TABLE Substance_Macro (
    SubstanceCode VARCHAR(20) COLLATE NOCASE NOT NULL PRIMARY KEY
        REFERENCES Substances (SubstanceCode) ON DELETE CASCADE,
    inform VARCHAR(20),
    Koc REAL,
    halflife REAL,
    tref REAL,
    vap REAL,
    VpTemp REAL,
    pf SMALLINT,
    expb REAL,
    tresp REAL,
    freund REAL,
    diffusion REAL,
    fstar REAL,
    fext REAL,
    candeg REAL,
    fconvert REAL
);

CREATE TABLE Substance_PRZM (
    SubstanceCode VARCHAR(20) COLLATE NOCASE NOT NULL PRIMARY KEY
        REFERENCES Substances (SubstanceCode) ON DELETE CASCADE,
    pstnam VARCHAR(20),
    icheck1 SMALLINT,
    icheck2 SMALLINT,
    icheck3 SMALLINT,
    icombo3 SMALLINT,
    icheck5 SMALLINT,
    iqfac SMALLINT,
    kdtyp SMALLINT,
    apptyp SMALLINT,
    apprel SMALLINT,
    dknum SMALLINT,
    napp SMALLINT,
    kdsp REAL,
    drate1a REAL,
    drate1c REAL,
    drate2a REAL,
    fextrc REAL,
    pldkrt REAL,
    q10fac REAL,
    qbase REAL,
    prtrn12 REAL,
    prtrn13 REAL,
    prtrn23 REAL,
    dtr121a REAL,
    dtr121b REAL,
    dtr121c REAL,
    dtr122a REAL,
    dtr131a REAL,
    dtr131b REAL,
    dtr131c REAL,
    dtr132a REAL,
    dtr231a REAL,
    dtr231b REAL,
    dtr231c REAL,
    dtr232a REAL,
    mseff REAL,
    mslab REAL,
    solub REAL,
    mwght REAL,
    uptkf REAL,
    vp REAL,
    iset1 SMALLINT,
    iset2 SMALLINT,
    iset3 SMALLINT
);

-- Default application patterns. A row is identified by its first four columns; the record rules keep
-- new rows unique, an edited row may repeat a combination, so the database enforces nothing here.

CREATE TABLE SubstancexCropxLocation (
    SubstanceCode VARCHAR(20) COLLATE NOCASE
        REFERENCES Substances (SubstanceCode) ON DELETE CASCADE,
    CropCode VARCHAR(35),
    LocationCode VARCHAR(3),
    CropNr VARCHAR(3),
    DefAppMethod VARCHAR(20),
    DefNumberOfApps INTEGER,
    DefMinIntervalApps INTEGER,
    DefFirstDayYrApp INTEGER,
    DefLastDayYrApp INTEGER,
    DefRate REAL,
    Locked BOOLEAN
);

CREATE INDEX SubstancexCropxLocationBySubstance ON SubstancexCropxLocation (SubstanceCode);

-- Projects, their runs and the applications of each run.

CREATE TABLE Projects (
    ProjectID INTEGER NOT NULL PRIMARY KEY,
    Name TEXT,
    Description TEXT,
    Path TEXT,
    SubstanceCode TEXT,
    CreationDate DATETIME,
    ModificationDate DATETIME
);

CREATE INDEX ProjectsBySubstance ON Projects (SubstanceCode);

CREATE TABLE Runs (
    RunID VARCHAR(15) NOT NULL PRIMARY KEY,
    ProjectID INTEGER REFERENCES Projects (ProjectID) ON DELETE CASCADE,
    LocationCode VARCHAR(3),
    CropCode VARCHAR(35),
    WaterbodyCode VARCHAR(50),
    Name VARCHAR(50),
    CreationDate DATETIME,
    ModificationDate DATETIME,
    AppMethod VARCHAR(20),
    NumberOfApps INTEGER,
    FirstDayYrApp INTEGER,
    LastDayYrApp INTEGER,
    MinIntervalApps INTEGER,
    ApplicationSchemeID SMALLINT,
    Selected VARCHAR(3),
    ModelStatus TEXT,
    CropNr VARCHAR(3),
    VolgNr VARCHAR(15),
    FirstDayYrAppJulian VARCHAR(12),
    LastDayYrAppJulian VARCHAR(12),
    Remark TEXT,
    Locked BOOLEAN
);

CREATE INDEX RunsByProject ON Runs (ProjectID);

CREATE TABLE Applications (
    ApplicationNr SMALLINT NOT NULL,
    RunID VARCHAR(15) NOT NULL REFERENCES Runs (RunID) ON DELETE CASCADE,
    Rate REAL,
    CAM VARCHAR(30),
    Depi REAL,
    Perc REAL,
    PRIMARY KEY (RunID, ApplicationNr)
);

-- Predefined FOCUS data, only read by the system.

CREATE TABLE Locations (
    LocationCode VARCHAR(3) NOT NULL PRIMARY KEY,
    Name TEXT,
    LocationTypeCode TEXT,
    MeteoStationCode TEXT
);

CREATE TABLE Crops (
    CropCode VARCHAR(35) NOT NULL PRIMARY KEY,
    Name TEXT,
    CropNr INTEGER,
    GanzelmeierCode INTEGER,
    DistanceCropBank REAL,
    Dir_Name TEXT,
    AirBlast BOOLEAN
);

CREATE TABLE CropsxLocations (
    LocationCode VARCHAR(3) NOT NULL,
    CropCode VARCHAR(35) NOT NULL,
    CropNr VARCHAR(3) NOT NULL,
    IrrigationUsed TEXT,
    EmergenceDate DATETIME,
    HarvestDate DATETIME,
    PRIMARY KEY (LocationCode, CropCode, CropNr)
);

CREATE TABLE WaterBodies (
    WaterbodyCode VARCHAR(50) NOT NULL PRIMARY KEY,
    Width INTEGER,
    SegmentLength INTEGER,
    TotalLength INTEGER,
    Depth REAL,
    DistanceBankWater REAL
);

CREATE TABLE LocationxWaterBody (
    LocationCode VARCHAR(3),
    WaterBodyCode VARCHAR(50)
);

CREATE TABLE ApplicationMethods (
    Method VARCHAR(20)
);

CREATE TABLE CAMTypes (
    Description VARCHAR(30),
    CAMnr INTEGER
);

CREATE TABLE ApplicationCAMDefaults (
    ApplicationMethod VARCHAR(20),
    CAMType VARCHAR(30),
    Depi REAL,
    Perc REAL
);

CREATE TABLE Regression (
    GanzelmeierCode INTEGER,
    NrOfApplications INTEGER,
    A REAL,
    B REAL,
    C REAL,
    D REAL,
    HingeDistance REAL
);

CREATE TABLE Drift (
    NrOfAppl INTEGER,
    DriftPerc REAL
);

CREATE TABLE Mitigation (
    MitigationID INTEGER,
    Distance REAL
);

-- The tables TOXSWA reads for a project.

CREATE TABLE ToxswaMap (
    MapID INTEGER NOT NULL PRIMARY KEY,
    Name TEXT,
    Description TEXT,
    CreationDate DATETIME,
    Focus BOOLEAN
);

CREATE TABLE MapxProject (
    MapID INTEGER REFERENCES ToxswaMap (MapID) ON DELETE CASCADE,
    ProjectID INTEGER
);

-- Links are found from either side, and removed with their map without a table scan.
CREATE INDEX MapxProjectByMap ON MapxProject (MapID);
CREATE INDEX MapxProjectByProject ON MapxProject (ProjectID);

CREATE TABLE ApplicationSchemes (
    ApplicationSchemeID INTEGER NOT NULL PRIMARY KEY,
    Name TEXT,
    Locked BOOLEAN,
    EndDistanceDrift INTEGER,
    EndDistanceLatEntry INTEGER,
    RatioUpstreamBound REAL,
    opInputUpstreamBound INTEGER,
    RatioInfiltration REAL,
    ThicknessSedEroAdded REAL
);

CREATE TABLE ToxswaApplications (
    SchemeID INTEGER REFERENCES ApplicationSchemes (ApplicationSchemeID) ON DELETE CASCADE,
    ApplicationNr INTEGER,
    Rate REAL,
    CAM VARCHAR(30),
    Depi REAL,
    Perc REAL,
    SprayDrift INTEGER,
    PercOfRate REAL,
    DriftDeposition REAL
);

-- A scheme's applications are removed with it without a table scan.
CREATE INDEX ToxswaApplicationsByScheme ON ToxswaApplications (SchemeID);

CREATE TABLE SimulationParameters (
    RunID VARCHAR(15) NOT NULL PRIMARY KEY,
    StartDate DATETIME,
    EndDate DATETIME,
    opLatEntryModel INTEGER,
    nrOfHydrologyCurves INTEGER,
    LatEntryFile TEXT,
    ThicknessSedimentOutput REAL
);
