#include "mainwindow/live_panel.h"

#include <QHBoxLayout>
#include <QLabel>

#include "qtbridge/qt_text.h"
#include "workflow/live_text.h"

namespace r4860::mainwindow {

namespace {

using qtbridge::ToQString;

QLabel* ValuePanel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setFont(QFont(QStringLiteral("Arial"), 18, QFont::Bold));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* Caption(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

LivePanel::LivePanel(QWidget* parent)
    : QWidget(parent), m_nResult(Caption(this, "nResult")), m_nOutput(Caption(this, "nOutput")),
      m_wynik(ValuePanel(this, "Wynikp")), m_output(ValuePanel(this, "Outputp")) {
    setObjectName(QStringLiteral("Tlo"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 3, 2);
    row->setSpacing(6);
    row->addWidget(m_nResult);
    row->addWidget(m_wynik, 1);
    row->addSpacing(6);
    row->addWidget(m_nOutput);
    row->addWidget(m_output);
    // The widest output the transducer can report, with the alarm mark, fits whatever the font.
    const QFontMetrics big(m_output->font());
    m_output->setMinimumWidth(big.horizontalAdvance(QStringLiteral("21.75 mA  !")) + 2 * m_output->frameWidth() + 8);
    m_wynik->setMinimumWidth(big.horizontalAdvance(QStringLiteral(u"-1234.6 \u00B0C   ")) + 2 * m_wynik->frameWidth() + 8);
    QPalette p = m_output->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    m_output->setPalette(p);
}

void LivePanel::setResultLook(int pointSize, Qt::Alignment alignment) {
    // Most ticks change only the digits: leave the font and alignment alone then.
    if (m_wynik->font().pointSize() != pointSize) {
        QFont f = m_wynik->font();
        f.setPointSize(pointSize);
        m_wynik->setFont(f);
    }
    m_wynik->setAlignment(alignment | Qt::AlignVCenter);
}

void LivePanel::showres(const workflow::MeasurementSample& sample, const workflow::StatusFlags& status) {
    const workflow::ResultPanelText r = workflow::showres(sample, status);
    setResultLook(r.fontSize, r.align == workflow::PanelAlign::Centre ? Qt::AlignHCenter : Qt::AlignRight);
    m_wynik->setText(ToQString(r.text));
}

void LivePanel::showout(const workflow::MeasurementSample& sample, const workflow::StatusFlags& status) {
    const workflow::OutputPanelText o = workflow::showout(sample, status);
    const bool red = o.colour == workflow::TextColour::Red;
    if (red != m_outputRed) {
        m_outputRed = red;
        QPalette p = m_output->palette();
        p.setColor(QPalette::WindowText, red ? QColor(Qt::red) : QColor(Qt::black));
        m_output->setPalette(p);
    }
    m_output->setText(ToQString(o.text));
}

void LivePanel::blank() {
    m_wynik->clear();
    m_output->clear();
}

void LivePanel::noContact() {
    const workflow::ResultPanelText r = workflow::NoContactResult();
    setResultLook(r.fontSize, Qt::AlignRight);
    m_wynik->setText(ToQString(workflow::kNoContactText));
    m_output->setText(ToQString(workflow::kNoContactText));
}

void LivePanel::translate() {
    m_nResult->setText(qtbridge::Tr("Result"));
    m_nOutput->setText(qtbridge::Tr("Output"));
}

}  // namespace r4860::mainwindow
