// How closely the transducer follows a user table or conversion: each configuration is set as
// `r4860-cli set` sets it, written to the emulator, and driven through 300 signals over its input
// range by the emulator's signal control; the result the transducer reports is compared with the
// value the table (linear between its points) or the conversion defines. For tables the figure is
// also taken with the identity characteristic the tool sent before it fitted tables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli_set.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/table_file.h"
#include "model/config_image.h"
#include "model/cvd_table.h"
#include "model/sensor_characteristics.h"
#include "model/table_fit.h"
#include "protocol/transfer_job.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"
#include "workflow/config_commands.h"
#include "workflow/session.h"
#include "workflow/table_window.h"

namespace {

using namespace r4860;
constexpr int kSignals = 300;

struct Case {
    const char* name;
    int model;
    std::vector<std::string> settings;       // as on the command line
    std::string table;                       // the table the expectation comes from, if any
    std::function<double(double)> expected;  // otherwise the conversion's value at a signal
};

struct Worst {
    double units = 0.0, share = 0.0;
};

class Transducer {
public:
    explicit Transducer(int model) : m_sim(options(model)), m_session(m_context) {}
    bool open() { return m_sim.ok() && m_session.open(m_sim.linkPath().string(), m_sim.portsDir()).ok(); }
    testing::SimOnPty& sim() { return m_sim; }

    // Writes over the device's own image, so what the encoder leaves alone stays the device's.
    bool write(model::ConfigRecord& rec) {
        model::EncodeOptions options;
        options.today = TodayDays();
        auto prepared = workflow::PrepareWriteOn(m_session.link(), m_session.line(), rec, m_context.image, options,
                                                 workflow::WriteKind::Full, workflow::ImageOrigin::Elsewhere);
        if (prepared.refused) return false;
        model::ConfigImage sent = prepared.request.image;
        return workflow::FinishWrite(protocol::RunTransferBlocking(m_session.link(), std::move(prepared.request)),
                                     workflow::WriteKind::Full, sent)
            .ok;
    }

    // The result the transducer reports with `signal` on its input: the frame after the next.
    double resultAt(double signal) {
        m_sim.control("signal " + std::to_string(signal));
        m_sim.waitFrames(1);
        return m_session.poll() ? m_session.sample().result : NAN;
    }

private:
    static testing::SimOptions options(int model) {
        testing::SimOptions o;
        o.modelCode = model;
        return o;
    }
    testing::SimOnPty m_sim;
    workflow::AppContext m_context;
    workflow::Session m_session;
};

Worst measure(Transducer& t, double lo, double hi, double span,
              const std::function<double(double)>& expected) {
    Worst w;
    for (int i = 0; i < kSignals; ++i) {
        const double x = lo + (hi - lo) * i / (kSignals - 1);
        const double e = std::fabs(t.resultAt(x) - expected(x));
        w.units = std::max(w.units, std::isnan(e) ? INFINITY : e);
    }
    w.share = 100.0 * w.units / span;
    return w;
}

std::string hexBytes(const model::ConfigImage& image, std::size_t first, std::size_t end) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t a = first; a < end; ++a)
        text += {kDigits[image[a] >> 4], kDigits[image[a] & 15]};
    return text;
}

// The identity set the tool sent for every table before: poked over the written set.
void pokeIdentitySet(testing::SimOnPty& sim) {
    const auto& set = model::DefaultSensorLinSet();
    model::ConfigImage image{};
    const auto memory = sim.memory();
    std::copy_n(memory.begin(), std::min(memory.size(), image.size()), image.begin());
    const auto put = [&](std::size_t at, double v) { (void)model::PutDeviceFloat(image, at, v); };
    put(64, set[0]);
    put(68, set[1] - set[0]);
    put(72, set[3]);
    put(76, set[4]);
    for (std::size_t k = 0; k < 7; ++k) {
        put(80 + 4 * k, set[7 + k]);
        put(192 + 4 * k, set[14 + k]);
        put(220 + 4 * k, set[21 + k]);
    }
    image[127] = model::ChecksumB(image);
    sim.control("poke 40 " + hexBytes(image, 64, 248));
}

void run(const Case& c, Transducer& t, const std::string& tables) {
    cli::SensorSettings s;
    for (std::size_t i = 0; i < c.settings.size(); ++i) {
        bool takesValue = false;
        (void)cli::IsSensorSetting(c.settings[i], takesValue);
        const std::string& option = c.settings[i];
        (void)cli::AddSensorSetting(s, option, takesValue ? c.settings[++i] : std::string());
    }
    model::ConfigRecord rec;
    model::SetInitialState(rec);
    model::SetEmptyRecord(rec);
    files::Settings settings;
    if (auto applied = cli::ApplySensorSettings(s, rec, settings, TodayDays()); !applied) {
        std::printf("%-38s refused: %s\n", c.name, applied.error().message.c_str());
        return;
    }
    if (!t.write(rec)) {
        std::printf("%-38s not written\n", c.name);
        return;
    }
    std::function<double(double)> expected = c.expected;
    model::PointTable table;
    if (!c.table.empty()) {
        model::ConfigRecord reader;
        reader.TableInputType = rec.TableInputType;
        (void)files::LoadTableFile(c.table.front() == '/' ? c.table : tables + "/" + c.table, reader);
        table = reader.Table;
        if (!expected) expected = [&table](double x) { return model::TableResult(table, x); };
    }
    const double lo = rec.Parametry.SignalMin, hi = rec.Parametry.SignalMax;
    const double span = std::fabs(expected(hi) - expected(lo));
    const Worst after = measure(t, lo, hi, span, expected);
    std::printf("%-38s %12.6f %10.5f %%", c.name, after.units, after.share);
    if (!c.table.empty()) {
        pokeIdentitySet(t.sim());
        const Worst before = measure(t, lo, hi, span, expected);
        std::printf("   identity set: %10.4f %8.3f %%", before.units, before.share);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    UseEnglishTable();
    const std::string tables = R4860_TABLES_DIR;
    testing::TempDir dir;
    const model::CvdCoefficients pt1000{1000.12, 3.9094e-3, -5.81e-7, -4.2e-12};
    const std::string cvdFile = (dir / "pt1000-cert.dat").string();
    if (!workflow::WriteCvdTableFile(cvdFile, pt1000, -50.0, 400.0)) return 1;
    const auto cvdInverse = [pt1000](double r) {  // the equation's temperature at r, by bisection
        double lo = -60.0, hi = 410.0;
        for (int i = 0; i < 80; ++i)
            (model::CvdResistance(pt1000, (lo + hi) / 2) < r ? lo : hi) = (lo + hi) / 2;
        return (lo + hi) / 2;
    };
    const std::vector<Case> cases = {
        {"user sensor, type K (mV)",
         47,
         {"--sensor", "user", "--cjc", "--table", tables + "/user-sensor-type-k.dat"},
         "user-sensor-type-k.dat",
         {}},
        {"NTC thermistor (ohm)",
         47,
         {"--sensor", "ohm", "--table", tables + "/resistance-ntc-1k.dat", "--unit", "degC"},
         "resistance-ntc-1k.dat",
         {}},
        {"zirconia oxygen probe (mV)",
         47,
         {"--sensor", "mv", "--table", tables + "/millivolt-zirconia-oxygen.dat", "--unit", "%"},
         "millivolt-zirconia-oxygen.dat",
         {}},
        {"horizontal tank (V)",
         39,
         {"--sensor", "v", "--table", tables + "/volt-horizontal-tank.dat", "--unit", "%"},
         "volt-horizontal-tank.dat",
         {}},
        {"square-root flow (mA)",
         39,
         {"--sensor", "ma", "--table", tables + "/milliamp-square-root-flow.dat", "--unit", "%"},
         "milliamp-square-root-flow.dat",
         {}},
        {"Pt1000 by CVD, vs its table",
         47,
         {"--sensor", "ohm", "--table", cvdFile, "--unit", "degC"},
         cvdFile,
         {}},
        {"Pt1000 by CVD, vs the equation (degC)",
         47,
         {"--sensor", "ohm", "--table", cvdFile, "--unit", "degC"},
         {},
         cvdInverse},
        {"linear 4..20 mA -> 0..100 %",
         39,
         {"--sensor", "ma", "--linear", "4:20=0:100", "--unit", "%"},
         {},
         [](double x) { return (x - 4.0) * 6.25; }},
        {"power series 2x + 0.01x^2 (mV)",
         47,
         {"--sensor", "mv", "--series", "0,2,0.01", "--series-input", "0:50"},
         {},
         [](double x) { return 2 * x + 0.01 * x * x; }},
    };
    std::printf("%-38s %12s %12s   (largest difference over %d signals)\n", "configuration", "result units",
                "% of span", kSignals);
    for (const int model : {47, 39}) {
        Transducer t(model);
        if (!t.open()) return 1;
        for (auto c : cases) {
            if (c.model != model) continue;
            c.settings.insert(c.settings.begin(), {"--model", "R47" + std::to_string(model)});
            run(c, t, tables);
        }
    }
    return 0;
}
