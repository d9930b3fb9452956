// The window's views: the normal one, the diagram in the configuration's place, and Monitor only,
// which leaves nothing but the live panel; and the toolbar and status bar they switch off.
#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "mainwindow/config_panel.h"
#include "mainwindow/diagram_view.h"
#include "mainwindow/live_panel.h"
#include "mainwindow/main_window.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::Tr;

namespace {

constexpr int kMonitorMargin = 5;  // the live panel's place in Monitor only

}  // namespace

void TR4860F::Status1Click() {
    const bool show = statusBar()->isHidden();
    const int h = statusBar()->sizeHint().height();
    statusBar()->setVisible(show);
    // The window shrinks and grows by the bar, so the panel keeps its size.
    setFixedSize(width(), height() + (show ? h : -h));
}

void TR4860F::Pasek1Click() { m_toolBar->setVisible(m_toolBar->isHidden()); }

void TR4860F::EnDisMenu(bool on) {
    // Showing or hiding each once leaves both as asked, however they were before.
    if (statusBar()->isHidden() == on) Status1Click();
    if (m_toolBar->isHidden() == on) Pasek1Click();
    applyEnabling();
}

void TR4860F::Wykres1Click() {
    if (busy()) return;
    if (m_panel.MonitorOnly && !m_diagramShown) setMonitorOnly(false);
    m_diagramShown = !m_diagramShown;
    const bool on = m_diagramShown;
    EnDisMenu(!on);
    m_actions.item(Act::Zapiszjako1)->setText((on ? Tr("&Keep results") : Tr("Save as")) + QStringLiteral("..."));
    m_config->setVisible(!on);
    m_diagram->setVisible(on);
    m_timer1->setInterval(on ? 200 : 500);
    if (on) {
        m_diagram->start();
    } else {
        m_diagram->stop();
        m_config->focusSenSel();
    }
    applyEnabling();
}

void TR4860F::diagramReadWanted() {
    // Refused at once (no transducer, an EEPROM error) or failed, the box goes off all the same.
    readTransducer([this](bool) { m_diagram->filterReadDone(m_ctx.state.ConfigRead); });
}

void TR4860F::MonOnly1Click() {
    if (busy()) return;
    const bool on = !m_panel.MonitorOnly;
    if (on && m_diagramShown) Wykres1Click();
    setMonitorOnly(on);
}

void TR4860F::setMonitorOnly(bool on) {
    m_panel.MonitorOnly = on;
    m_config->setVisible(!on);
    EnDisMenu(!on);
    // Only the live panel stays: the window shrinks around it and comes back to its start-up size.
    m_central->setContentsMargins(0, on ? kMonitorMargin : 0, 0, on ? kMonitorMargin : 0);
    const int compact = menuBar()->sizeHint().height() + m_live->height() + 2 * kMonitorMargin;
    setFixedSize(width(), on ? compact : m_startHeight);
    syncChecks();
    applyEnabling();
}

}  // namespace r4860::mainwindow
