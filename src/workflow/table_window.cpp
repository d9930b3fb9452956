#include "workflow/table_window.h"

#include <algorithm>
#include <cmath>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "files/atomic_file.h"
#include "files/table_file.h"
#include "model/table_fit.h"
#include "workflow/sensor_selection.h"

namespace r4860::workflow {
namespace {

Outcome warning(std::string text) {
    Outcome o;
    o.message = std::move(text);
    o.icon = MessageIcon::Exclamation;
    o.beep = Beep::Exclamation;
    return o;
}

double minSpanOf(int code) {
    return code >= 1 && code < static_cast<int>(model::MinSpan.size())
               ? model::MinSpan[static_cast<std::size_t>(code)]
               : 0.0;
}

}  // namespace

TableWindow OpenTableWindow(const model::ConfigRecord& rec, const files::Settings& settings) {
    TableWindow w;
    w.savedDataDir = settings.DataDir;
    w.savedFile = rec.File;
    w.inputType = rec.TableInputType;
    w.unit = DefaultResultUnit(w.inputType);
    return w;
}

std::vector<std::string> TableExampleText(int inputType) {
    std::string_view signal = "V[mV]";
    if (inputType == 5) signal = "R[Ohm]";
    if (inputType == 17 || inputType == 19) signal = "I[mA]";
    const std::string header = ";  t[" + std::string(UnitName(8)) + "]   " + std::string(signal);
    return {"; " + LangText("Example") + ":",
            ";",
            header,
            "    0.0    0.0",
            "    1.0    0.01",
            "      .   .   ."};
}

std::string TableFileFilter() {
    return LangText("Tables") + " (*.dat)|*.dat|" + LangText("All files") + "|*.*";
}

Result<TableLoadView> TablLoadBClick(TableWindow& w, model::ConfigRecord& rec, files::Settings& settings,
                                     const std::filesystem::path& chosen) {
    rec.File = chosen.string();
    rec.TableLoaded = false;
    w.okEnabled = false;
    auto loaded = files::LoadTableFile(chosen, rec);
    if (!loaded) return loaded.error();
    TableLoadView v;
    v.lines = std::move(loaded->lines);
    v.caption = chosen.parent_path().string();
    v.fileName = chosen.filename().string();
    settings.DataDir = files::DataDirOf(chosen.string());
    const files::TableParseOutcome& out = loaded->outcome;
    if (!out.ok) {
        if (out.failedLine >= 2) v.selectLine = out.failedLine;
        v.warning = warning(files::TableFailureText(out.message));
        return v;
    }
    const auto& pts = rec.Table.points;
    const double b1 = pts.front().B, bn = pts.back().B, a1 = pts.front().A, an = pts.back().A;
    v.inMin = FixedText(std::min(b1, bn), 3);
    v.inMax = FixedText(std::max(b1, bn), 3);
    v.resMin = TenthTxt(std::min(a1, an));
    v.resMax = TenthTxt(std::max(a1, an));
    v.unitLabelsVisible = true;
    w.unitsEnabled = true;
    if (!(std::fabs(bn - b1) >= minSpanOf(w.inputType))) {
        v.warning = warning(LangText("Input range too small!"));
        return v;
    }
    // The encoder would refuse it at Write; the operator learns it with the file still in view.
    if (const auto fit = model::FitTableSet(rec.Table); !fit || !fit->follows()) {
        v.warning = warning(LangText(model::kTableNotFollowedKey) + "!");
        return v;
    }
    rec.TableLoaded = true;
    w.okEnabled = true;
    return v;
}

bool TablOKBClick(const TableWindow& w, model::ConfigRecord& rec, files::Settings& settings) {
    rec.ConvEntered = true;
    if (!rec.TableLoaded) {
        TablExitBClick(w, rec, settings);
        return false;
    }
    files::SetTableRange(rec);
    rec.Parametry.Jednostki = w.unit;
    return true;
}

void TablExitBClick(const TableWindow& w, model::ConfigRecord& rec, files::Settings& settings) {
    settings.DataDir = w.savedDataDir;
    rec.File = w.savedFile;
}

Status WriteCvdTableFile(const std::filesystem::path& file, const model::CvdCoefficients& c, double low,
                         double high, double step) {
    const auto table = model::CvdTable(c, low, high, step);
    if (!table) return table.error();
    std::string text;
    for (const auto& line : model::CvdTableLines(c, *table))
        text += line + "\n";
    return files::WriteFileAtomically(file, text);
}

}  // namespace r4860::workflow
