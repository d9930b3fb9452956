#include "workflow/selection_command.h"

#include "common/date_text.h"
#include "model/models.h"
#include "model/transfer_function.h"

namespace r4860::workflow {

int SelectionModelCode(std::string_view device) {
    const auto code = model::ModelCodeOfName(device);
    if (!code) return 0;
    return *code + (device.front() != 'R' ? 100 : 0);
}

bool NeedsTypeSelection(const model::ConfigRecord& rec, int typeIndex) noexcept {
    return rec.Device.empty() || typeIndex == 16;
}

bool SelectionOffered(int modelCode) noexcept {
    return modelCode == 20 || modelCode == 39 || (modelCode >= 47 && modelCode <= 49);
}

SelectionWindow FirstSelectionWindow(int modelCode, int typ) noexcept {
    if (modelCode == 20) return SelectionWindow::TWyborI;
    if (modelCode == 39) return SelectionWindow::TWyborIV;
    if (modelCode >= 47 && modelCode <= 49)
        return typ == 5 || typ == 16 ? SelectionWindow::TWyborRV : SelectionWindow::TWybor;
    return SelectionWindow::None;
}

SelectionWindow NextSelectionWindow(SelectionWindow closed, DialogResult result) noexcept {
    if (result != DialogResult::More) return SelectionWindow::None;
    if (closed == SelectionWindow::TWybor) return SelectionWindow::TWyborRV;
    if (closed == SelectionWindow::TWyborRV) return SelectionWindow::TWybor;
    return SelectionWindow::None;
}

SelectionStart StartSelection(model::ConfigRecord& rec) {
    SelectionStart start{SelectionSnapshot(rec), SelectionModelCode(rec.Device), SelectionWindow::None};
    rec.TableInputType = rec.Czujnik.Typ;
    start.first = FirstSelectionWindow(start.modelCode, rec.Czujnik.Typ);
    return start;
}

Kolory FinishSelectionOk(model::ConfigRecord& rec, PanelState& panel, WorkflowState& state, long today) {
    panel.CoefMissing = false;
    if (!model::RangeSpanOk(rec)) {
        const int row = RangeRow(rec);
        rec.Parametry.MinInput = model::SensorRangeLow(rec, row);
        rec.Parametry.MaxInput = model::SensorRangeHigh(rec, row);
    }
    if (!rec.Informacje.data.empty()) rec.Informacje.data = DateText(today);
    state.VerifyAllowed = false;
    return KoloryFor(PanelEvent::SensorSelected, state);
}

void CancelSelection(model::ConfigRecord& rec, const SelectionSnapshot& snapshot) {
    snapshot.restore(rec);
}

}  // namespace r4860::workflow
