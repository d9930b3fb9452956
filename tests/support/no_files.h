// A file chooser for programs that drive the window without an operator: every dialog cancelled.
#pragma once

#include "mainwindow/main_window.h"

namespace r4860::testing {

class NoFiles final : public mainwindow::FileChooser {
public:
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

}  // namespace r4860::testing
