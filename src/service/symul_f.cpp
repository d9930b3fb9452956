#include "service/symul_f.h"

#include <QGuiApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

#include "charts/wykres_xy.h"
#include "common/catalogues.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/outcome.h"

namespace r4860::service {

using qtbridge::ToQString;
using qtbridge::Tr;

namespace {

QScrollBar* Bar(QWidget* parent, const char* name, int maximum, const QString& hint) {
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, maximum);
    bar->setPageStep(10);
    bar->setValue(maximum);
    bar->setToolTip(hint);
    return bar;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    // Five characters to type, but "100.00" must show whole.
    e->setMaxLength(6);
    e->setMaximumWidth(60);
    e->setToolTip(hint);
    return e;
}

QTimer* EditTimer(QObject* parent, const char* name) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(3000);
    t->setSingleShot(true);
    return t;
}

}  // namespace

TSymulF::TSymulF(workflow::SimulationInput input, qtbridge::MessageService& messages, QPoint mainTopLeft,
                 QWidget* parent)
    : QDialog(parent), m_in(std::move(input)), m_messages(messages) {
    setObjectName(QStringLiteral("TSymulF"));
    setWindowTitle(Tr("Simulation"));
    build();
    qtbridge::PlaceDialog(*this, mainTopLeft, {0, 26});
    m_plot->setBipolar(workflow::IsBipolar(m_in.signalMin, m_in.signalMax));
    FormPaint();
    m_plot->setCrossHairs(true);
    InpDisp(0.0);
    // Coming back from another application may jolt a bar: the next change is put back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) setDeactivated();
    });
}

void TSymulF::build() {
    auto* grid = new QGridLayout(this);
    m_plot = new charts::TWykresXY(this);
    m_plot->setObjectName(QStringLiteral("WykresXY1"));
    m_plot->setFixedSize(431, 311);
    m_plot->setBgndColor(20);
    m_plot->setPenColor(Qt::yellow);
    m_plot->setHairsColor(QColor(0, 128, 128));
    m_plot->setToolTip(Tr("Click to switch between small and large dots"));
    m_inputS = Bar(this, "InputS", workflow::kInputScrollMax, Tr("Input signal"));
    m_outputS = Bar(this, "OutputS", workflow::kOutputScrollMax, Tr("Set the output current"));
    grid->addWidget(m_inputS, 0, 0);
    grid->addWidget(m_plot, 0, 1, 1, 3);
    grid->addWidget(m_outputS, 0, 4);

    auto* inputGB = new QGroupBox(QLatin1Char(' ') + Tr("Input") + QLatin1Char(' '), this);
    inputGB->setObjectName(QStringLiteral("InputGB"));
    auto* inRow = new QGridLayout(inputGB);
    m_inputE = Edit(inputGB, "InputE", Tr("Input signal"));
    auto* inputJT = new QLabel(QStringLiteral("%"), inputGB);
    inputJT->setObjectName(QStringLiteral("InputJT"));
    m_input1T = new QLabel(inputGB);
    m_input1T->setObjectName(QStringLiteral("Input1T"));
    inRow->addWidget(m_inputE, 0, 0);
    inRow->addWidget(inputJT, 0, 1);
    inRow->addWidget(m_input1T, 1, 0, 1, 2);

    QString result = Tr("Result1");
    result.chop(1);
    auto* resultGB = new QGroupBox(QLatin1Char(' ') + result + QLatin1Char(' '), this);
    resultGB->setObjectName(QStringLiteral("ResultGB"));
    auto* resRow = new QHBoxLayout(resultGB);
    m_resultP = new QLabel(resultGB);
    m_resultP->setObjectName(QStringLiteral("ResultP"));
    m_resultP->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_resultP->setMinimumWidth(90);
    m_resultP->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* resultJT = new QLabel(ToQString(UnitName(m_in.jednostki)), resultGB);
    resultJT->setObjectName(QStringLiteral("ResultJT"));
    resRow->addWidget(m_resultP);
    resRow->addWidget(resultJT);

    auto* outputGB = new QGroupBox(Tr("Output"), this);
    outputGB->setObjectName(QStringLiteral("OutputGB"));
    auto* outRow = new QHBoxLayout(outputGB);
    m_outputE = Edit(outputGB, "OutputE", Tr("Set the output current"));
    outRow->addWidget(m_outputE);
    outRow->addWidget(new QLabel(QStringLiteral("mA"), outputGB));
    grid->addWidget(inputGB, 1, 1);
    grid->addWidget(resultGB, 1, 2);
    grid->addWidget(outputGB, 1, 3);

    m_timer1 = EditTimer(this, "Timer1");
    m_timer2 = EditTimer(this, "Timer2");
    connect(m_timer1, &QTimer::timeout, this, &TSymulF::Timer1Timer);
    connect(m_timer2, &QTimer::timeout, this, &TSymulF::Timer2Timer);
    connect(m_inputE, &QLineEdit::textEdited, this, [this] { m_timer1->start(); });
    connect(m_outputE, &QLineEdit::textEdited, this, [this] { m_timer2->start(); });
    connect(m_inputE, &QLineEdit::returnPressed, this, &TSymulF::Timer1Timer);
    connect(m_outputE, &QLineEdit::returnPressed, this, &TSymulF::Timer2Timer);
    connect(m_inputS, &QScrollBar::valueChanged, this, &TSymulF::InputSChange);
    connect(m_outputS, &QScrollBar::valueChanged, this, &TSymulF::OutputSChange);
    connect(m_plot, &charts::TWykresXY::clicked, this, [this] {
        m_plot->setBigDot(!m_plot->bigDot());
        FormPaint();
    });
}

void TSymulF::FormPaint() {
    m_plot->clear();
    for (int k = 0; k <= 100; ++k) {
        const workflow::PlotPoint pt = workflow::CurvePoint(m_in, k);
        m_plot->plotPoint(pt.y, pt.x);
    }
}

void TSymulF::show(const workflow::SimulationView& view) {
    m_busy = true;
    m_percent = view.percent;
    m_outputMa = view.outputMa;
    m_inputE->setText(ToQString(view.inputText));
    m_input1T->setText(ToQString(view.signalText));
    m_resultP->setText(ToQString(view.resultText));
    m_outputE->setText(ToQString(view.outputText));
    if (auto v = workflow::ScrollMove(view.inputScroll, m_inputS->value())) m_inputS->setValue(*v);
    if (auto v = workflow::ScrollMove(view.outputScroll, m_outputS->value())) m_outputS->setValue(*v);
    if (m_plot->crossHairs()) m_plot->setCrossHair(view.crossY, view.crossX);
    m_busy = false;
}

void TSymulF::InpDisp(double percent) { show(workflow::InpDisp(m_in, percent)); }
void TSymulF::OutDisp(double fraction) { show(workflow::OutDisp(m_in, fraction)); }

void TSymulF::InputSChange(int position) {
    if (m_busy) return;
    if (m_deactivated) {
        m_deactivated = false;
        m_busy = true;
        m_inputS->setValue(workflow::InputScrollFor(m_percent));
        m_busy = false;
        return;
    }
    InpDisp(workflow::PercentForInputScroll(position));
}

void TSymulF::OutputSChange(int position) {
    if (m_busy) return;
    if (m_deactivated) {
        m_deactivated = false;
        m_busy = true;
        m_outputS->setValue(workflow::OutputScrollFor(m_outputMa));
        m_busy = false;
        return;
    }
    OutDisp(workflow::FractionForOutputScroll(position));
}

bool TSymulF::refused(const workflow::SimulationEntry& entry, QLineEdit* edit) {
    m_busy = true;
    edit->setText(ToQString(entry.editText));
    m_busy = false;
    if (!entry.refusal) return false;
    qtbridge::QtUiHooks ui(m_messages, this);
    workflow::ShowOutcome(ui, *entry.refusal, {});
    return true;
}

void TSymulF::Timer1Timer() {
    m_timer1->stop();
    const workflow::SimulationEntry entry = workflow::TakeInputEdit(qtbridge::ToStd(m_inputE->text()), m_percent);
    if (!refused(entry, m_inputE) && entry.value) InpDisp(*entry.value);
}

void TSymulF::Timer2Timer() {
    m_timer2->stop();
    const workflow::SimulationEntry entry = workflow::TakeOutputEdit(qtbridge::ToStd(m_outputE->text()), m_outputMa);
    if (!refused(entry, m_outputE) && entry.value) OutDisp((*entry.value - 4.0) / 16.0);
}

}  // namespace r4860::service
