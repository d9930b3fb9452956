// The desktop's file dialogs behind the main window's FileChooser.
#pragma once

#include "mainwindow/main_window.h"

namespace r4860::mainwindow {

class QtFileChooser final : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& dir, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& proposed, const QString& filter) override;
};

}  // namespace r4860::mainwindow
