// The desktop's printing dialogs, which the window opens when no test put its own in their place
// (DialogHooks::print, pageSetup, preview).
#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace r4860::mainwindow {

// True when the operator confirmed the job; `printer` then holds the chosen printer and page.
[[nodiscard]] bool RunPrintDialog(QWidget* parent, QPrinter& printer);
void RunPageSetupDialog(QWidget* parent, QPrinter& printer);
// The preview draws through `paint`, on `printer`'s page, and may print from there.
void RunPrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint);

}  // namespace r4860::mainwindow
