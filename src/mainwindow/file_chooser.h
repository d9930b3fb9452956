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
    // An existing folder, or empty when the operator cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& dir) = 0;
};

class QtFileChooser final : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& dir, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& proposed, const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& dir) override;
};

}  // namespace r4860::mainwindow
