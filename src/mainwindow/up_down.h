// A pair of arrow buttons with a position, beside an edit: the classic up-down control, whose
// click handler learns the direction and may move the position itself.
#pragma once

#include <QWidget>

class QToolButton;

namespace r4860::mainwindow {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget* parent = nullptr);
    [[nodiscard]] int position() const { return m_position; }
    void setPosition(int position);

signals:
    // After the position moved one step (no wrap) in the direction given.
    void clicked(bool up);

private:
    void step(bool up);

    int m_minimum, m_maximum, m_position;
    QToolButton* m_up;
    QToolButton* m_down;
};

}  // namespace r4860::mainwindow
