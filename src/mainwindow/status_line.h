// The main window's status bar: the status text, the transfer's progress bar laid over the second
// panel, and otherwise there the port the tool is on, and beside it whether a transducer answers.
#pragma once

#include <QString>

#include "workflow/transducer.h"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace r4860::mainwindow {

class StatusLine {
public:
    // Fills `bar` with its panels (object names StatusPanel0..2, ProgressBar1).
    explicit StatusLine(QStatusBar& bar);

    // StatBarTxt: panel 0 := " " + text.
    void setText(const QString& text);
    // Panel 0's text without the leading blank.
    [[nodiscard]] QString text() const;
    void showProgress(int percent);
    void hideProgress();
    // "COM99  /dev/pts/4": the COM name the operator chose and the device behind it.
    void showPort(int comPort, const QString& devicePath);
    void showLine(workflow::LineCondition condition);
    // The texts of the line state in the active language.
    void translate();

private:
    QStatusBar& m_bar;
    QLabel* m_panels[3] = {};
    QProgressBar* m_progress = nullptr;
    QString m_port;
    workflow::LineCondition m_line = workflow::LineCondition::NoPort;
};

}  // namespace r4860::mainwindow
