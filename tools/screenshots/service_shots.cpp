// r4860-service-shots: the diagnostics, corrections and simulation windows against the emulator,
// in English and Polish, saved as PNG files for the manual:
//   r4860-service-shots OUT_DIR
// writes service-diagnostics, service-corrections, service-simulation (and -pl of each).
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/language_file.h"
#include "model/config_record.h"
#include "service/diagn_f.h"
#include "service/regul_f.h"
#include "service/symul_f.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "workflow/app_context.h"
#include "workflow/simulation.h"
#include "common/date_text.h"
#include "shot_support.h"

using namespace r4860;

namespace {

using shots::RunFor;

bool Shot(QWidget& w, const QString& file) { return shots::ShowAndGrab(w, file, 2500); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    if (argc < 2) {
        std::fprintf(stderr, "usage: r4860-service-shots OUT_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    std::filesystem::create_directories(dir.toStdString());
    testing::SimOptions options;
    options.signal = 108.3;
    testing::SimOnPty sim(options);
    if (!sim.ok()) return 1;
    bool ok = true;
    for (const std::string language : {"English", "Polski"}) {
        std::string lang = language;
        if (lang == "English") UseEnglishTable();
        else (void)files::LoadLanguage(lang, files::DataSearchDirs());
        const QString suffix = lang == "English" ? QString() : QStringLiteral("-pl");
        workflow::AppContext context;
        model::SetEmptyRecord(context.record);
        context.record.Device = "R4747";
        context.record.Czujnik = {1, 2, 0, 1};
        context.record.Parametry.MaxInput = 100.0;
        context.record.Parametry.Jednostki = 8;
        context.state.ConfigRead = true;
        workflow::Transducer transducer(context.link);
        if (!transducer.startOnPath(sim.slavePath()).ok()) return 1;
        testing::RecordingMessages messages;
        {
            service::TDiagnF w(transducer, messages, context.record, {40, 40});
            ok = Shot(w, dir + "/service-diagnostics" + suffix + ".png") && ok;
            w.reject();
            RunFor(3000);
        }
        {
            service::TRegulF w(transducer, messages, context, {40, 40});
            ok = Shot(w, dir + "/service-corrections" + suffix + ".png") && ok;
            w.reject();
            RunFor(1000);
        }
        {
            const auto prepared = workflow::PrepareSimulation(context.record, TodayDays());
            service::TSymulF w(prepared.input, messages, {40, 40});
            w.InpDisp(30.0);
            ok = Shot(w, dir + "/service-simulation" + suffix + ".png") && ok;
        }
        transducer.stop();
    }
    return ok ? 0 : 1;
}
