// The dialogs the main window opens modally, so that a test can put scripted answers in their
// place (app_dialogs.h gives the real ones).
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "model/config_record.h"
#include "workflow/password.h"
#include "workflow/selection_command.h"

class QPrinter;
class QWidget;

namespace r4860::mainwindow {

struct DialogHooks {
    // TTransdF: may change the model name; true on OK.
    std::function<bool(QWidget* parent, std::string& device)> chooseType;
    // TOgolneF: true on OK.
    std::function<bool(QWidget* parent)> options;
    // TPortS: runs the port dialog.
    std::function<void(QWidget* parent)> portDialog;
    // Says why the stored port did not open at start-up.
    std::function<void(QWidget* parent)> portFailed;
    // The password prompt: Refused when cancelled.
    std::function<workflow::PasswordKind(QWidget* parent)> password;
    // TProgwerF and TInfoF.
    std::function<void(QWidget* parent)> version;
    std::function<void(QWidget* parent)> info;
    // One of the sensor selection windows on `record` (its conversion windows inside): how it closed.
    std::function<workflow::DialogResult(QWidget* parent, workflow::SelectionWindow window, model::ConfigRecord& record,
                                         int modelCode)>
        selectSensor;
    // Shows the manual in the desktop's browser; false when there is none to show it.
    std::function<bool(const QString& file)> openManual;
    // The printing dialogs on the window's printer; print_dialogs.h gives the desktop's own when
    // these are left empty. print: true when the operator confirmed the job.
    std::function<bool(QWidget* parent, QPrinter& printer)> print;
    std::function<void(QWidget* parent, QPrinter& printer)> pageSetup;
    // The preview asks `paint` for the page whenever it needs it again (zoom, page setup, print).
    std::function<void(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint)> preview;
    std::function<bool()> printerInstalled;
};

}  // namespace r4860::mainwindow
