// The info box: who publishes the tool. A click anywhere closes it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QStringList>

namespace r4860::dialogs {

// The publisher lines, unscrambled: the program carries them scrambled so that a look at the
// binary's strings does not show them and patching them is not a one-line edit.
[[nodiscard]] QStringList PublisherLines();

class TInfoF : public QDialog {
    Q_OBJECT
public:
    explicit TInfoF(QPoint mainTopLeft, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace r4860::dialogs
