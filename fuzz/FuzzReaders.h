#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <vector>

// A broken promise of a reader: a crash-free read that still got something wrong, a message that does
// not name the file, or a cascade of messages. The fuzz targets let it escape (a finding); the corpus
// test reports it.
class TFuzzFinding : public std::runtime_error {
public:
    explicit TFuzzFinding(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// One reader under fuzzing, by target name.
struct TFuzzReader {
    const char* name;
    void (*read)(const QByteArray& input);
};

// Drives the reader with arbitrary bytes: it reads them or refuses them with one clear message, and
// raises TFuzzFinding otherwise.
void RunFuzzReader(const TFuzzReader& reader, const QByteArray& input);

// Every reader under fuzzing: chmdat, versionfile, daytext, csv, rtf, macrodb,
// scenariodb.
const std::vector<TFuzzReader>& FuzzReaders();
const TFuzzReader& FuzzReader(const QString& name);

// Makes the process fit for the readers once: a Qt application on the offscreen platform, a temporary
// working installation, the program directory of the build, and a user interface that records every
// message.
void SetUpFuzzing(int* argc, char*** argv);
