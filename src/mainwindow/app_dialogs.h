// The real dialogs behind the main window's hooks.
#pragma once

#include "mainwindow/main_window.h"

namespace r4860::mainwindow {

// The splash; false when the operator cancelled it and the program is to end.
bool RunSplash(workflow::AppContext& context);
[[nodiscard]] DialogHooks AppDialogHooks(workflow::AppContext& context, workflow::Transducer& transducer,
                                        qtbridge::MessageService& messages);

}  // namespace r4860::mainwindow
