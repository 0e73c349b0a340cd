-- What a user made in a version 1 database: a substance of their own, a project with two runs and their
-- applications, default patterns, the project's TOXSWA map and a prepared application scheme.
INSERT INTO Substances (SubstanceCode, IsParent, Name, MolMass, Kom, DT50WatRef, Locked) VALUES ('MYSUB', 1, 'My substance', 250.5, 42.0, 12.5, 0);
INSERT INTO Substance_Macro (SubstanceCode, inform, Koc, halflife) VALUES ('MYSUB', 'my substance', 72.4, 30.0);
INSERT INTO Substance_PRZM (SubstanceCode, pstnam, kdsp) VALUES ('MYSUB', 'MYSUB', 72.4);
INSERT INTO SubstancexCropxLocation VALUES ('MYSUB', 'Maize', 'D3', '1st', 'ground spray', 2, 10, 120, 180, 0.75, 0);
INSERT INTO SubstancexCropxLocation VALUES ('MYSUB', 'Maize', 'R1', '1st', 'ground spray', 1, 14, 110, 170, 0.5, 0);
INSERT INTO Projects VALUES (4, 'myproject', 'a project of mine', '/home/user/KelvoProjects/myproject', 'MYSUB', '2026-01-05T10:00:00', '2026-01-06T11:30:00');
INSERT INTO Runs VALUES ('00001d_pa', 4, 'D3', 'Maize', 'focus_ditch', 'RUN00001d_pa', '2026-01-05T10:00:00', '2026-01-05T10:00:00', 'ground spray', 2, 120, 180, 10, 7, 'Yes', 'Not Available', '1st', '000010', '30-Apr', '29-Jun', '', 0);
INSERT INTO Runs VALUES ('00002p_pa', 4, 'R1', 'Maize', 'focus_pond', 'RUN00002p_pa', '2026-01-05T10:00:00', '2026-01-05T10:00:00', 'ground spray', 1, 110, 170, 14, 0, '', 'Not Available', '1st', '000020', '20-Apr', '19-Jun', '', 0);
INSERT INTO Applications VALUES (1, '00001d_pa', 0.75, 'foliar', 0.0, 0.0);
INSERT INTO Applications VALUES (2, '00001d_pa', 0.6, 'foliar', 0.0, 0.0);
INSERT INTO Applications VALUES (1, '00002p_pa', 0.5, 'soil', 4.0, 0.0);
INSERT INTO ToxswaMap VALUES (5, 'myproject', 'a project of mine', '2026-01-05T10:00:00', 1);
INSERT INTO MapxProject VALUES (5, 4);
INSERT INTO ApplicationSchemes VALUES (7, '00001d_pa', 0, 5, 5, 0.0, 0, 0.0, 0.0);
INSERT INTO ToxswaApplications VALUES (7, 1, 0.75, 'foliar', 0.0, 0.0, 1, 100.0, 1.927);
INSERT INTO ToxswaApplications VALUES (7, 2, 0.6, 'foliar', 0.0, 0.0, 1, 100.0, 1.541);
INSERT INTO SimulationParameters VALUES ('00001d_pa', '1992-01-01T00:00:00', '1993-04-30T00:00:00', 1, 1, 'D3.m2t', 0.05);
