#include "mainwindow/status_line.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

namespace {

// Panel 0 and 1 keep the design's widths; the line state takes what is left of the window.
constexpr int kWidths[3] = {237, 155, 0};

}  // namespace

StatusLine::StatusLine(QStatusBar& bar) : m_bar(bar) {
    bar.setObjectName(QStringLiteral("StatusBar1"));
    bar.setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(&bar);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // A long text is cut, never the bar: the window keeps its size.
        m_panels[i]->setMinimumWidth(1);
        if (kWidths[i] > 0) m_panels[i]->setFixedWidth(kWidths[i]);
        bar.addWidget(m_panels[i], kWidths[i] > 0 ? 0 : 1);
    }
    // The progress bar lies over panel 1 and shows only while a transfer runs.
    m_progress = new QProgressBar(m_panels[1]);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setGeometry(m_panels[1]->contentsRect());
    m_progress->hide();
}

void StatusLine::setText(const QString& text) { m_panels[0]->setText(QLatin1Char(' ') + text); }

QString StatusLine::text() const { return m_panels[0]->text().mid(1); }

void StatusLine::showProgress(int percent) {
    m_progress->setGeometry(m_panels[1]->contentsRect());
    m_progress->setValue(percent);
    m_progress->show();
}

void StatusLine::hideProgress() {
    m_progress->hide();
    m_progress->setValue(0);
}

void StatusLine::showPort(int comPort, const QString& devicePath) {
    QString port = comPort > 0 ? QStringLiteral("COM%1").arg(comPort) : QString();
    if (!devicePath.isEmpty()) port += (port.isEmpty() ? QString() : QStringLiteral("  ")) + devicePath;
    if (port == m_port) return;
    m_port = port;
    QLabel* panel = m_panels[1];
    panel->setToolTip(port);
    const int room = panel->contentsRect().width() - 6;
    panel->setText(QLatin1Char(' ') + panel->fontMetrics().elidedText(port, Qt::ElideMiddle, room));
}

void StatusLine::showLine(workflow::LineCondition condition) {
    if (condition == m_line && !m_panels[2]->text().isEmpty()) return;
    m_line = condition;
    translate();
}

void StatusLine::translate() {
    const char* key = "no port";
    if (m_line == workflow::LineCondition::Silent) key = "not answering";
    if (m_line == workflow::LineCondition::Answering) key = "answering";
    m_panels[2]->setText(QLatin1Char(' ') + qtbridge::Tr(key));
}

}  // namespace r4860::mainwindow
