// Ctrl+Z is Write and Ctrl+C is Sensors in the main window, and in an edit they are also undo and
// copy. An edit keeps them only while they do something there: undo while it holds typing not yet
// taken (an exit rule that took the value rewrote the text, leaving nothing to undo), copy while
// text is selected. Otherwise the window's command runs, as it does everywhere else.
#pragma once

#include <QObject>

class QLineEdit;

namespace r4860::mainwindow {

class EditShortcuts : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void watch(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace r4860::mainwindow
