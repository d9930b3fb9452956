// The table window (TTablF) without its widgets: what it shows empty, what opening a file does
// to the record and the labels, and what OK and Exit leave behind. It reads files with the one
// table reader (files/table_file.h); r4860-cli loads tables through the same steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/settings.h"
#include "model/config_record.h"
#include "model/cvd_table.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

// What the window remembers at creation and the state of its controls.
struct TableWindow {
    std::string savedDataDir, savedFile;  // put back by Exit
    std::uint8_t inputType = 0;           // TableInputType
    int unit = 8;                         // UnitsE, from the input type
    bool unitsEnabled = false;            // UnitsE starts disabled
    bool okEnabled = false;               // TablOKB
};
[[nodiscard]] TableWindow OpenTableWindow(const model::ConfigRecord& rec, const files::Settings& settings);

// The example the empty text view shows (it documents the format), translated.
[[nodiscard]] std::vector<std::string> TableExampleText(int inputType);
// The open dialog's filter, "Tables (*.dat)|*.dat|All files|*.*" translated.
[[nodiscard]] std::string TableFileFilter();

// What the window shows after TablLoadB ("Open") took a file.
struct TableLoadView {
    std::vector<std::string> lines;            // the read-only text view
    std::optional<std::size_t> selectLine;     // the failing line, highlighted from the third on
    std::string caption;                       // the file's folder
    std::string fileName;                      // InpFileN
    std::string inMin, inMax, resMin, resMax;  // InMinV .. ResMaxV; empty after a failure
    bool unitLabelsVisible = false;
    std::optional<Outcome> warning;  // beeped and shown when set
};
// File = `chosen`, TableLoaded false, then the file is read. A good table fills the labels and
// enables UnitsE; it is loaded (TableLoaded, OK enabled) when its signal spans the input's
// minimum and, beyond the design, when the transducer can follow it within 0.1 % of its span,
// else the warning says which. The data folder follows the file. Io when it cannot be read.
[[nodiscard]] Result<TableLoadView> TablLoadBClick(TableWindow& w, model::ConfigRecord& rec,
                                                   files::Settings& settings,
                                                   const std::filesystem::path& chosen);

// TablOKB: ConvEntered; with a table loaded, row 15 from it and Jednostki from UnitsE (true:
// closed with OK); without one it acts as Exit (false).
[[nodiscard]] bool TablOKBClick(const TableWindow& w, model::ConfigRecord& rec, files::Settings& settings);
// TablExitB: the data folder and File as they were at opening.
void TablExitBClick(const TableWindow& w, model::ConfigRecord& rec, files::Settings& settings);

// A table file for a resistance input from Callendar-Van Dusen coefficients, written atomically
// (the table window's generator and `r4860-cli table --cvd`). BadArgument for a range the
// equation or the input cannot carry, Io when the file cannot be written.
[[nodiscard]] Status WriteCvdTableFile(const std::filesystem::path& file, const model::CvdCoefficients& c,
                                       double low, double high, double step = 1.0);

}  // namespace r4860::workflow
