// The drift calculator recomputing as the user changes the drift reduction, with the deposition curve
// drawn beside it against without it, in the same run. Goal: ratio <= 2.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "ui/drift/Drift.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Seconds for going through every reduction a number of times at a typed buffer.
double Recompute(TfrmDrift& drift, int rounds) {
    auto* reduction = drift.findChild<QComboBox*>(u"cmbReduction"_s);
    const auto start = TClock::now();
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < reduction->count(); ++i) {
            reduction->setCurrentIndex((i + 1) % reduction->count());
            QApplication::processEvents();
        }
    return Seconds(start);
}

void BM_CalculatorWithCurve(benchmark::State& state) {
    TBenchInstallation installation;
    TfrmDrift drift;
    drift.show();
    QApplication::processEvents();
    auto* mitigation = drift.findChild<QComboBox*>(u"cmbMitigation"_s);
    mitigation->setEditText(u"12.5"_s);
    Q_EMIT mitigation->lineEdit()->editingFinished();
    auto* curve = drift.findChild<QCheckBox*>(u"chkCurve"_s);
    double with = 0;
    double without = 0;
    for (auto _ : state) {
        curve->setChecked(false);
        without += Recompute(drift, 10);
        curve->setChecked(true);
        const double seconds = Recompute(drift, 10);
        with += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["ratio"] = with / without;
}

} // namespace

BENCHMARK(BM_CalculatorWithCurve)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
