#include "mainwindow/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace r4860::mainwindow {

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_position(minimum),
      m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (auto* b : {m_up, m_down}) {
        b->setArrowType(b == m_up ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(true); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(false); });
}

void UpDown::setPosition(int position) { m_position = std::clamp(position, m_minimum, m_maximum); }

void UpDown::step(bool up) {
    setPosition(m_position + (up ? 1 : -1));
    emit clicked(up);
}

}  // namespace r4860::mainwindow
