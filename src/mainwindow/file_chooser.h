// The operator's file choices: the desktop's file dialogs, or a script in tests, so that no modal
// file dialog ever opens where nobody can answer it.
#pragma once

#include <QString>

class QWidget;

namespace r4860::mainwindow {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file, or empty when the operator cancelled.
    virtual QString openFile(QWidget* parent, const QString& dir, const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& proposed, const QString& filter) = 0;
};

class QtFileChooser final : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& dir, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& proposed, const QString& filter) override;
};

}  // namespace r4860::mainwindow
