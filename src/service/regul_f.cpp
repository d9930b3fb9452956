#include "service/regul_f.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::service {

using qtbridge::ToQString;
using qtbridge::Tr;

namespace {

QLabel* Panel(QWidget* parent, const char* name, int minWidth) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(minWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setToolTip(hint);
    return b;
}

QString Padded(const QString& key) { return QLatin1Char(' ') + key + QLatin1Char(' '); }

}  // namespace

TRegulF::TRegulF(workflow::Transducer& transducer, qtbridge::MessageService& messages, workflow::AppContext& context,
                 QPoint mainTopLeft, QWidget* parent)
    : ServiceDialog(transducer, messages, workflow::kCorrectionsTimerMs, parent),
      m_ctx(context),
      m_session(context.record) {
    setObjectName(QStringLiteral("TRegulF"));
    setWindowTitle(Tr(workflow::CorrectionsTitle(context.record)));
    build();
    qtbridge::PlaceDialog(*this, mainTopLeft, {9, 44});
    connect(m_timer, &QTimer::timeout, this, &TRegulF::Timer1Timer);
    m_timer->start();
}

QScrollBar* TRegulF::correctionBar(const char* name, const QString& hint) {
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, workflow::kCorrectionScrollMax);
    bar->setPageStep(10);
    bar->setMinimumWidth(220);
    bar->setToolTip(hint);
    return bar;
}

void TRegulF::build() {
    auto* grid = new QGridLayout(this);
    const model::ConfigRecord& rec = m_ctx.record;
    m_zeroS = correctionBar("ZeroS", Tr("Correct Zero"));
    m_gainS = correctionBar("GainS", Tr("Correct Gain"));
    m_zeroP = Panel(this, "ZeroP", 70);
    m_gainP = Panel(this, "GainP", 70);
    grid->addWidget(new QLabel(Tr("Zero"), this), 0, 0);
    grid->addWidget(m_zeroS, 0, 1, 1, 2);
    grid->addWidget(m_zeroP, 0, 3);
    grid->addWidget(new QLabel(Tr("Gain"), this), 1, 0);
    grid->addWidget(m_gainS, 1, 1, 1, 2);
    grid->addWidget(m_gainP, 1, 3);

    m_pomiarT = Button(this, "PomiarT", Padded(Tr("Result")), {});
    m_pomiarT->setFlat(true);
    m_pomiarP = Panel(this, "PomiarP", 220);
    m_outputp = Panel(this, "Outputp", 120);
    grid->addWidget(m_pomiarT, 2, 0);
    grid->addWidget(m_pomiarP, 2, 1, 1, 2);
    grid->addWidget(new QLabel(Tr("Output"), this), 3, 0);
    grid->addWidget(m_outputp, 3, 1);
    m_setOut = new QLineEdit(QStringLiteral("12.00"), this);
    m_setOut->setObjectName(QStringLiteral("SetOut"));
    m_setOut->setMaximumWidth(70);
    m_setOut->setToolTip(Tr("Determine output current value"));
    auto* setOutB = Button(this, "SetOutbutt", Tr("Set"), Tr("Set the output current"));
    grid->addWidget(m_setOut, 3, 2);
    grid->addWidget(setOutB, 3, 3);

    m_simulCB = new QCheckBox(Tr("Simulation"), this);
    m_simulCB->setObjectName(QStringLiteral("SimulCB"));
    m_simulCB->setToolTip(Tr("Simulate corrections"));
    auto* allZero = Button(this, "AllZeroB", Tr("Set all to zero"), Tr("Set corrections to zero"));
    auto* zapisz = Button(this, "ZapiszB", Tr("Write"), Tr("Write to nonvolatile memory"));
    auto* reset = Button(this, "ResetB", Tr("Reset"), Tr("Reset transducer"));
    m_exitB = Button(this, "ExitB", Tr("Exit"), {});
    auto* row = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_simulCB), static_cast<QWidget*>(allZero), static_cast<QWidget*>(zapisz),
                       static_cast<QWidget*>(reset), static_cast<QWidget*>(m_exitB)}) {
        row->addWidget(w);
    }
    grid->addLayout(row, 4, 0, 1, 4);

    m_zeroS->setValue(workflow::PositionForCorrection(rec.Parametry.ZeroReg));
    m_gainS->setValue(workflow::PositionForCorrection(rec.Parametry.GainReg));
    m_zeroP->setText(ToQString(workflow::CorrectionPanelText(m_session.current().zero)));
    m_gainP->setText(ToQString(workflow::CorrectionPanelText(m_session.current().gain)));
    offerModes(false);

    connect(m_zeroS, &QScrollBar::valueChanged, this, &TRegulF::barMoved);
    connect(m_gainS, &QScrollBar::valueChanged, this, &TRegulF::barMoved);
    connect(allZero, &QPushButton::clicked, this, [this] {
        m_session.setAllZero();
        m_zeroS->setValue(200);
        m_gainS->setValue(200);
    });
    connect(zapisz, &QPushButton::clicked, this, &TRegulF::ZapiszBClick);
    connect(setOutB, &QPushButton::clicked, this, &TRegulF::SetOutbuttClick);
    connect(m_setOut, &QLineEdit::returnPressed, this, &TRegulF::SetOutbuttClick);
    connect(reset, &QPushButton::clicked, this, &TRegulF::ResetBClick);
    connect(m_pomiarT, &QPushButton::clicked, this, &TRegulF::PomiarTClick);
    connect(m_simulCB, &QCheckBox::clicked, this, &TRegulF::SimulCBClick);
    connect(m_exitB, &QPushButton::clicked, this, &TRegulF::reject);
}

void TRegulF::barMoved() {
    m_session.setZeroPosition(m_zeroS->value());
    m_session.setGainPosition(m_gainS->value());
    m_zeroP->setText(ToQString(workflow::CorrectionPanelText(m_session.current().zero)));
    m_gainP->setText(ToQString(workflow::CorrectionPanelText(m_session.current().gain)));
}

void TRegulF::offerModes(bool on) {
    m_simulCB->setEnabled(on);
    m_pomiarT->setEnabled(on && workflow::MeasureModeAvailable(m_transducer.status().TypeIndex));
}

void TRegulF::Timer1Timer() {
    if (sequenceRunning() || leaving()) return;
    const workflow::CorrectionsTick tick = workflow::TickRequest(m_session, m_ctx.record);
    if (!workflow::TickWaits(tick)) {
        workflow::MeasurementSample sample;
        const bool got = m_transducer.takeSample(sample);
        sampleIn(got, sample);
        m_transducer.reportCommandFailure(m_ui);
        return;
    }
    m_footprint.previewSent |= tick.newSeries && tick.simulate;
    m_footprint.registerChanged |= tick.measureMode;
    struct Sampled {
        bool got = false;
        workflow::MeasurementSample sample;
    };
    (void)run<Sampled>(
        [tick](workflow::CommandLine& line) {
            Sampled s;
            s.got = workflow::CorrectionsSample(line, tick, s.sample);
            return s;
        },
        [this](const Sampled& s) { sampleIn(s.got, s.sample); });
}

void TRegulF::sampleIn(bool got, const workflow::MeasurementSample& sample) {
    if (got) {
        show(m_session.sampleShown(sample, m_transducer.status()));
        return;
    }
    switch (m_session.missedSample(m_ctx.state)) {
        case workflow::LivePanels::Blank:
            m_pomiarP->clear();
            m_outputp->clear();
            break;
        case workflow::LivePanels::NoContact:
            m_messages.beep(Beep::Question);
            m_pomiarP->setText(ToQString(workflow::kNoContactText));
            m_outputp->setText(ToQString(workflow::kNoContactText));
            break;
        case workflow::LivePanels::ShowSample:
        case workflow::LivePanels::Unchanged: break;
    }
    if (!m_ctx.state.ConfigRead) {
        m_simulCB->setChecked(false);
        offerModes(false);
        setColour(m_pomiarP, workflow::ServiceColour::Black);
        setColour(m_outputp, workflow::ServiceColour::Black);
    }
}

void TRegulF::setColour(QLabel* label, workflow::ServiceColour colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

void TRegulF::show(const workflow::CorrectionsView& view) {
    QFont font = m_pomiarP->font();
    font.setPointSize(view.result.panel.fontSize);
    m_pomiarP->setFont(font);
    m_pomiarP->setAlignment((view.result.panel.align == workflow::PanelAlign::Centre ? Qt::AlignHCenter : Qt::AlignRight) |
                            Qt::AlignVCenter);
    m_pomiarP->setText(ToQString(view.result.panel.text));
    setColour(m_pomiarP, view.result.colour);
    m_outputp->setText(ToQString(view.output.text));
    setColour(m_outputp, view.output.colour);
    const bool usable = !view.result.condition && m_ctx.state.ConfigRead;
    offerModes(usable);
    if (!usable) m_simulCB->setChecked(false);
    m_pomiarT->setText(Padded(Tr(m_session.measureMode ? "Int. temp." : "Result")));
}

void TRegulF::SimulCBClick() {
    m_session.simulate = m_simulCB->isChecked();
    if (m_session.simulate) m_session.measureMode = false;
}

void TRegulF::PomiarTClick() {
    if (!workflow::MeasureModeAvailable(m_transducer.status().TypeIndex)) return;
    m_session.measureMode = !m_session.measureMode;
    if (m_session.measureMode) {
        m_session.simulate = false;
        m_simulCB->setChecked(false);
    }
    m_pomiarP->clear();
    m_pomiarT->setText(Padded(Tr(m_session.measureMode ? "Int. temp." : "Result")));
}

void TRegulF::ZapiszBClick() {
    const workflow::CorrectionPair sent = m_session.current();
    (void)run<bool>([sent](workflow::CommandLine& line) { return workflow::StoreCorrections(line, sent); },
                    [this, sent](const bool& ok) {
                        if (!ok) {
                            m_messages.show(this, Tr("Command failed") + QLatin1Char('!'), MessageIcon::None);
                            return;
                        }
                        m_session.written(sent);
                        m_simulCB->setChecked(false);
                        m_exitB->setFocus();
                    });
}

void TRegulF::SetOutbuttClick() {
    const workflow::ForcedOutput forced =
        workflow::CorrectionsOutput(qtbridge::ToStd(m_setOut->text()), m_transducer.status().ExtendedOutputScale);
    m_setOut->setText(ToQString(forced.entry));
    if (forced.refusal) {
        showOutcome(*forced.refusal);
        return;
    }
    if (!forced.counts) return;
    const int counts = *forced.counts;
    m_footprint.outputForced = true;
    m_session.simulate = false;
    m_simulCB->setChecked(false);
    (void)run<bool>([counts](workflow::CommandLine& line) { return workflow::ForceOutput(line, counts); }, {});
}

void TRegulF::ResetBClick() {
    (void)run<bool>([](workflow::CommandLine& line) { return line.execute('r', 0, {}); },
                    [this](const bool&) {
                        m_session.resetSent();
                        m_session.simulate = false;
                        m_session.measureMode = false;
                        m_simulCB->setChecked(false);
                        offerModes(false);
                    });
}

bool TRegulF::startLeaving() {
    m_session.close();
    const workflow::CorrectionsFootprint footprint = m_footprint;
    return run<workflow::Outcome>(
        [footprint](workflow::CommandLine& line) { return workflow::LeaveCorrections(line, footprint); },
        [this](const workflow::Outcome& outcome) {
            if (!outcome.ok) showOutcome(outcome);
            left();
        });
}

}  // namespace r4860::service
