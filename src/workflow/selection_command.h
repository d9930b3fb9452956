// The Select command (SenSelClick) as values: whether the model must be chosen first, which
// selection window opens and which follows "More", and what OK and Cancel leave in the record.
// The window runs the dialogs in between; the command-line tool runs the same OK path.
#pragma once

#include <string_view>

#include "model/config_record.h"
#include "workflow/app_context.h"
#include "workflow/panel_rules.h"
#include "workflow/sensor_selection.h"

namespace r4860::workflow {

// The number in characters 4-5 of the model name, plus 100 when it does not begin with "R";
// 0 when there is none.
[[nodiscard]] int SelectionModelCode(std::string_view device);
// Step 1: the model is chosen first when none is known or the last poll found no fresh sample.
[[nodiscard]] bool NeedsTypeSelection(const model::ConfigRecord& rec, int typeIndex) noexcept;
// The models that have a selection (20, 39, 47-49); any other is "not implemented yet".
[[nodiscard]] bool SelectionOffered(int modelCode) noexcept;

// The first window: TWyborI for 20, TWyborIV for 39, for 47-49 TWyborRV when the sensor is a
// resistance or millivolt signal (5, 16), else TWybor; None for every other model.
[[nodiscard]] SelectionWindow FirstSelectionWindow(int modelCode, int typ) noexcept;

enum class DialogResult { Ok, Cancel, More };
// The window that follows one closed with `result`: "More" hands TWybor and TWyborRV over to
// each other; OK, Cancel (and "More" anywhere else) end the loop with None.
[[nodiscard]] SelectionWindow NextSelectionWindow(SelectionWindow closed, DialogResult result) noexcept;

// Everything a cancelled selection must put back. The design restores the coefficients, row 15,
// the unit and the model name; a table or conversion confirmed inside the cancelled dialogs also
// changed File, TableInputType, TableLoaded and the point table, so the whole record is kept:
// after Cancel it encodes byte for byte as before Select.
class SelectionSnapshot {
public:
    explicit SelectionSnapshot(const model::ConfigRecord& rec) : m_saved(rec) {}
    void restore(model::ConfigRecord& rec) const { rec = m_saved; }
    [[nodiscard]] const model::ConfigRecord& saved() const noexcept { return m_saved; }

private:
    model::ConfigRecord m_saved;
};

// Step 2 and 3: the snapshot taken before any window opens, with TableInputType set to the
// present sensor as the design does, and the model code the windows are chosen by.
struct SelectionStart {
    SelectionSnapshot snapshot;
    int modelCode = 0;
    SelectionWindow first = SelectionWindow::None;
};
[[nodiscard]] SelectionStart StartSelection(model::ConfigRecord& rec);

// Step 6, after a window closed with OK: CoefMissing cleared; the range reset to the row it is
// checked against when it is too small now; the configuration date, when there is one, today
// (the record only: nothing reaches the transducer before Write); VerifyAllowed cleared. Returns
// the colour state the panel is shown with (aqua range edits while connected).
[[nodiscard]] Kolory FinishSelectionOk(model::ConfigRecord& rec, PanelState& panel, WorkflowState& state,
                                       long today);
// Step 7: the record as it was before Select.
void CancelSelection(model::ConfigRecord& rec, const SelectionSnapshot& snapshot);

}  // namespace r4860::workflow
