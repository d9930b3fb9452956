// The version box: program name, version and notice. A click anywhere closes it.
#pragma once

#include <QDialog>
#include <QPoint>

namespace r4860::dialogs {

class TProgwerF : public QDialog {
    Q_OBJECT
public:
    explicit TProgwerF(QPoint mainTopLeft, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace r4860::dialogs
