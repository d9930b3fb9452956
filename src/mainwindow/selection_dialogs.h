// The real sensor selection windows behind DialogHooks::selectSensor, with the conversion and
// table windows they open and the cold-junction entry.
#pragma once

#include <memory>

#include "dialogs/selection_window.h"
#include "dialogs/tabl_f.h"
#include "workflow/app_context.h"

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::mainwindow {

// The window `which` on `record`, ready to run; null for SelectionWindow::None. `openFile` is
// the table window's file dialog.
[[nodiscard]] std::unique_ptr<dialogs::SelectionDialog> MakeSelectionWindow(
    workflow::SelectionWindow which, model::ConfigRecord& record, int modelCode, workflow::AppContext& context,
    qtbridge::MessageService& messages, dialogs::OpenFileDialog openFile, QWidget* parent);

}  // namespace r4860::mainwindow
