#include "mainwindow/file_chooser.h"

#include <QFileDialog>

namespace r4860::mainwindow {

QString QtFileChooser::openFile(QWidget* parent, const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), dir, filter, nullptr, QFileDialog::ReadOnly);
}

QString QtFileChooser::saveFile(QWidget* parent, const QString& proposed, const QString& filter) {
    // The dialog asks before it overwrites.
    return QFileDialog::getSaveFileName(parent, QString(), proposed, filter);
}

QString QtFileChooser::chooseFolder(QWidget* parent, const QString& title, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent, title, dir);
}

}  // namespace r4860::mainwindow
