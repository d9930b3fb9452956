#include "cli_report.h"

#include <cstdio>
#include <optional>

#include "cli_commands.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/config_report.h"
#include "files/language_file.h"
#include "files/par_file.h"
#include "model/models.h"
#include "workflow/user_data.h"

namespace r4860::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kExitSomeSkipped = 1;

void say(const std::string& text) { std::fprintf(stderr, "r4860-cli: %s\n", text.c_str()); }

Error bad(std::string why) { return makeError(Errc::BadArgument, std::move(why)); }

std::optional<model::ConfigRecord> loadParFile(const std::string& file, files::Settings& settings) {
    model::ConfigRecord rec;
    if (auto read = files::ReadParFile(rec, file, settings); !read) {
        say(file + ": " + (read.error().code == Errc::Io ? LangText("Cannot open file") + ": " + read.error().message
                                                          : "not a parameter file (" + read.error().message + ")"));
        return std::nullopt;
    }
    // The report names a table once it is loaded, as the window's would; a missing one is worth a word.
    const auto plan = workflow::PlanUserData(rec, false, workflow::TableSearchDirs(file, settings));
    if (const auto loaded = workflow::LoadUserData(rec, plan); !loaded.ok && !loaded.message.empty())
        say(file + ": " + loaded.message + " (the report names no table)");
    return rec;
}

}  // namespace

Status CheckReportOptions(Options& o, const std::vector<std::string>& positional) {
    o.parFiles = positional;
    if (o.fromTransducer) {
        if (o.port.empty()) return bad("--from-transducer needs --port");
        if (!o.parFiles.empty()) return bad("--from-transducer reports the transducer, not " + o.parFiles.front());
    } else if (o.parFiles.empty()) {
        return bad("report needs at least one parameter file, or --from-transducer");
    }
    if (!o.pdfFile.empty() && !o.pdfDir.empty()) return bad("--pdf and --pdf-dir exclude each other");
    if (!o.pdfFile.empty() && o.parFiles.size() > 1) return bad("--pdf writes one report; --pdf-dir DIR writes several");
    if (o.force || o.idTagOnly || o.acceptRepairs || o.compareDate || o.seconds || o.interval != 0.5 ||
        !o.parFile.empty() || !o.imageFile.empty() || !o.password.empty() || o.zero || o.gain || !o.current.empty())
        return bad("report takes --pdf, --pdf-dir, --language and --from-transducer");
    for (const auto& file : o.parFiles)
        if (file.empty()) return bad("an empty file name");
    return {};
}

int ReportCommand::prepare() {
    m_today = TodayDays();
    std::string language = m_options.language.empty() ? std::string(files::kEnglishLanguage) : m_options.language;
    if (!files::LoadLanguage(language, files::DataSearchDirs())) {
        say(m_options.language + std::string(files::kLanguageExtension) + ": no such language file, or an incomplete one");
        return kExitUsage;
    }
    if (m_options.pdfFile.empty() && m_options.pdfDir.empty()) return kExitOk;
    if (!m_options.pdfDir.empty() && !fs::is_directory(m_options.pdfDir)) {
        say(m_options.pdfDir + ": not a folder");
        return kExitUsage;
    }
    m_pdf = OpenReportPdfOutput();
    if (m_pdf) return kExitOk;
    say("this r4860-cli has no PDF output (it is built with the windows, R4860_GUI=ON); without --pdf the report is text");
    return kExitUsage;
}

int ReportCommand::reportFiles(files::Settings& settings) {
    bool all = true;
    for (const auto& file : m_options.parFiles) {
        const auto rec = loadParFile(file, settings);
        all = rec && deliver(file, fs::path(file).stem().string(), *rec) && all;
    }
    return all ? kExitOk : kExitSomeSkipped;
}

int ReportCommand::reportTransducer(const model::ConfigRecord& rec) {
    const std::string& serial = rec.Informacje.serial;
    return deliver("the transducer", serial.empty() ? rec.Device : serial, rec) ? kExitOk : kExitSomeSkipped;
}

bool ReportCommand::deliver(const std::string& name, const std::string& stem, const model::ConfigRecord& rec) {
    const auto lines = files::ReportLines(rec, LangTable(), model::DefaultModelList(), m_today);
    if (!m_pdf) {
        const bool several = m_options.parFiles.size() > 1;
        if (several) std::printf("%s==> %s <==\n", m_textShown ? "\n" : "", name.c_str());
        for (const auto& line : lines) std::printf("%s\n", line.c_str());
        m_textShown = true;
        return true;
    }
    const fs::path out = m_options.pdfFile.empty() ? fs::path(m_options.pdfDir) / files::ReportPdfName(stem)
                                                   : fs::path(m_options.pdfFile);
    if (m_written.contains(out)) {
        say(name + ": skipped; its report would replace " + out.string() + ", written for another file just now");
        return false;
    }
    if (auto written = m_pdf->write(lines, out); !written) {
        say(name + ": " + written.error().message);
        return false;
    }
    m_written.insert(out);
    std::printf("%s\n", out.c_str());
    return true;
}

}  // namespace r4860::cli
