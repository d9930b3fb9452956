// A zero-and-gain trim against the emulator, as a calibration station runs it: the sensor is
// off (lead resistance and a slope error), the reference is set to two temperatures, the
// corrections are computed from the two readings, written with 'V' and read back, and the
// residual error is measured at both points and mid-range.
//
//   trim_bench [lead-ohm=0.25] [slope-percent=0.15]
//
// The factory configuration is a Pt100 (0.00385) over 0..100 degC; the corrections go in steps of
// 0.01 % of span, so about 0.005 degC of the residual is their rounding.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/lang_table.h"
#include "protocol/measurement.h"
#include "sim/factory_image.h"
#include "support/sim_on_pty.h"
#include "workflow/corrections.h"
#include "workflow/corrections_commands.h"

namespace {

using namespace r4860;

constexpr double kLow = 0.0, kSpan = 100.0;                 // the factory range, degC
constexpr double kPointA = 10.0, kPointB = 90.0, kMid = 50.0;

struct Bench {
    testing::SimOnPty sim;
    protocol::Link link;
    NullUi ui;
    double leadOhm = 0.25, slope = 0.0015;

    // The reading once the reference is at `celsius`: the mean of five frames after it settled.
    double readAt(double celsius) {
        const double ohm = sim::Pt100Resistance(celsius) * (1.0 + slope) + leadOhm;
        sim.control("signal " + std::to_string(ohm));
        protocol::MeasurementSample sample;
        for (int i = 0; i < 3; ++i) (void)protocol::WaitNewSample(link, sample);
        double sum = 0.0;
        int n = 0;
        while (n < 5)
            if (protocol::WaitNewSample(link, sample)) sum += sample.result, ++n;
        return sum / n;
    }
};

// The corrections that move both readings onto their references: gain from the two points'
// distance, zero from the first, over the normalized output the corrections act on.
workflow::CorrectionPair twoPointTrim(double readA, double readB, workflow::CorrectionPair held) {
    const auto raw = [&](double r) { return ((r - kLow) / kSpan - held.zero / 100.0) / (1.0 + held.gain / 100.0); };
    const double yA = raw(readA), yB = raw(readB);
    const double tA = (kPointA - kLow) / kSpan, tB = (kPointB - kLow) / kSpan;
    const double gain = (tB - tA) / (yB - yA);
    const double zero = tA - gain * yA;
    const auto step = [](double percent) {   // what the bars and 'V' can hold
        return workflow::CorrectionForPosition(workflow::PositionForCorrection(percent));
    };
    return {step(100.0 * zero), step(100.0 * (gain - 1.0))};
}

}  // namespace

int main(int argc, char** argv) {
    UseEnglishTable();
    Bench b;
    if (argc > 1) b.leadOhm = std::atof(argv[1]);
    if (argc > 2) b.slope = std::atof(argv[2]) / 100.0;
    if (!b.sim.ok() || !b.link.startOnPath(b.sim.slavePath(), protocol::kDefaultBaudIndex).ok()) {
        std::fprintf(stderr, "emulator or link did not start: %s\n", b.sim.startError().c_str());
        return 1;
    }
    const double beforeA = b.readAt(kPointA), beforeB = b.readAt(kPointB), beforeMid = b.readAt(kMid);
    const auto trim = twoPointTrim(beforeA, beforeB, {});
    workflow::LinkServiceLine line(b.link, b.ui);
    const auto written = workflow::TrimCorrections(line, trim);
    if (!written.ok) {
        std::fprintf(stderr, "trim failed: %s\n", written.message.c_str());
        return 1;
    }
    std::printf("two-point trim of a Pt100 0..100 degC with %.2f ohm of lead and %.2f %% slope error\n",
                b.leadOhm, 100.0 * b.slope);
    std::printf("corrections written and read back: zero %+.2f %%, gain %+.2f %%\n", trim.zero, trim.gain);
    std::printf("%10s  %12s  %12s  %14s\n", "reference", "before trim", "after trim", "residual");
    const struct {
        double at, before;
    } rows[] = {{kPointA, beforeA}, {kMid, beforeMid}, {kPointB, beforeB}};
    for (const auto& r : rows) {
        const double after = b.readAt(r.at);
        std::printf("%8.2f C  %10.4f C  %10.4f C  %+8.4f C (%+.4f %% of span)\n", r.at, r.before, after,
                    after - r.at, 100.0 * (after - r.at) / kSpan);
    }
    return 0;
}
