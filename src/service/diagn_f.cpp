#include "service/diagn_f.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/diagnostics_commands.h"

namespace r4860::service {

using qtbridge::ToQString;
using qtbridge::Tr;

namespace {

QLabel* Panel(QWidget* parent, const QString& name, int minWidth) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(minWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TDiagnF::TDiagnF(workflow::Transducer& transducer, qtbridge::MessageService& messages,
                 const model::ConfigRecord& record, QPoint mainTopLeft, QWidget* parent)
    : ServiceDialog(transducer, messages, workflow::kDiagnosticsTimerMs, parent),
      m_modelCode(workflow::DeviceModelCode(record)),
      m_record(record) {
    setObjectName(QStringLiteral("TDiagnF"));
    setWindowTitle(QStringLiteral("R4860 Diagnostics"));
    build();
    qtbridge::PlaceDialog(*this, mainTopLeft, {7, 26});
    connect(m_timer, &QTimer::timeout, this, &TDiagnF::Timer1Timer);
    const bool started = run<bool>([](workflow::CommandLine& line) { return workflow::EnterServiceMode(line); },
                                   [this](const bool& ok) { opened(ok); });
    if (!started) opened(false);
}

// One EEPROM location: its address, read, the byte to write and write.
QGroupBox* TDiagnF::buildMemory() {
    auto* memory = new QGroupBox(QStringLiteral("EEPROM"), this);
    auto* memGrid = new QGridLayout(memory);
    m_address = new QSpinBox(memory);
    m_address->setObjectName(QStringLiteral("EEaUpDn"));
    m_address->setRange(0, 0xFFFF);
    m_address->setDisplayIntegerBase(16);
    m_address->setPrefix(QStringLiteral("0x"));
    if (auto* edit = m_address->findChild<QLineEdit*>()) edit->setObjectName(QStringLiteral("EEadr"));
    m_messTxt = new QLineEdit(memory);
    m_messTxt->setObjectName(QStringLiteral("MessTxt"));
    auto* readB = Button(memory, "ReadEEB", Tr("Read"));
    auto* writeB = Button(memory, "EEwriteB", Tr("Write"));
    memGrid->addWidget(m_address, 0, 0);
    memGrid->addWidget(readB, 0, 1);
    memGrid->addWidget(m_messTxt, 1, 0);
    memGrid->addWidget(writeB, 1, 1);
    connect(readB, &QPushButton::clicked, this, &TDiagnF::ReadEEBClick);
    connect(writeB, &QPushButton::clicked, this, &TDiagnF::EEwriteBClick);
    return memory;
}

void TDiagnF::build() {
    auto* grid = new QGridLayout(this);
    auto* regs = new QGroupBox(this);
    regs->setObjectName(QStringLiteral("Rejestry"));
    auto* regGrid = new QGridLayout(regs);
    auto* title = new QLabel(QStringLiteral(" Registers"), regs);
    title->setObjectName(QStringLiteral("RejestryT"));
    regGrid->addWidget(title, 0, 0, 1, 2);
    m_rejestry = new QButtonGroup(this);
    const auto names = workflow::RegisterItemNames(m_modelCode);
    for (int k = 0; k < workflow::kRegisterCount; ++k) {
        auto* radio = new QRadioButton(ToQString(names[static_cast<std::size_t>(k)]), regs);
        radio->setObjectName(QStringLiteral("Rejestry%1").arg(k));
        m_rejestry->addButton(radio, k);
        m_panels[static_cast<std::size_t>(k)] =
            Panel(regs, ToQString(workflow::kRegisterPanels[static_cast<std::size_t>(k)]), 130);
        regGrid->addWidget(radio, k + 1, 0);
        regGrid->addWidget(m_panels[static_cast<std::size_t>(k)], k + 1, 1);
    }
    m_rejestry->button(workflow::kMeasurementItem)->setChecked(true);
    connect(m_rejestry, &QButtonGroup::idClicked, this, &TDiagnF::RejestryClick);
    grid->addWidget(regs, 0, 0, 3, 1);

    auto* outRow = new QGroupBox(Tr("Output"), this);
    auto* outGrid = new QGridLayout(outRow);
    m_output = Panel(outRow, QStringLiteral("Outputp"), 110);
    m_setOut = new QLineEdit(QStringLiteral("12.00"), outRow);
    m_setOut->setObjectName(QStringLiteral("SetOut"));
    m_setOut->setMaximumWidth(70);
    auto* setOutButton = Button(outRow, "SetOutbutt", Tr("Set"));
    outGrid->addWidget(m_output, 0, 0, 1, 2);
    outGrid->addWidget(m_setOut, 1, 0);
    outGrid->addWidget(setOutButton, 1, 1);
    connect(setOutButton, &QPushButton::clicked, this, &TDiagnF::SetOutbuttClick);
    connect(m_setOut, &QLineEdit::returnPressed, this, &TDiagnF::SetOutbuttClick);
    grid->addWidget(outRow, 0, 1);

    auto* statusGB = new QGroupBox(this);
    statusGB->setObjectName(QStringLiteral("StatusGB"));
    auto* statusBox = new QVBoxLayout(statusGB);
    m_statusL = new QLabel(statusGB);
    m_statusL->setObjectName(QStringLiteral("StatusL"));
    m_statusL->setMinimumSize(150, 100);
    m_statusL->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    statusBox->addWidget(m_statusL);
    grid->addWidget(statusGB, 1, 1);

    QGroupBox* memory = buildMemory();
    grid->addWidget(memory, 2, 1);

    auto* sensorGB = new QGroupBox(this);
    sensorGB->setObjectName(QStringLiteral("SensorGB"));
    auto* sensorBox = new QVBoxLayout(sensorGB);
    m_sensorL = new QLabel(ToQString(workflow::DiagnosticsSummary(m_record)), sensorGB);
    m_sensorL->setObjectName(QStringLiteral("SensorL"));
    m_sensorL->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    sensorBox->addWidget(m_sensorL);
    grid->addWidget(sensorGB, 0, 2, 3, 1);

    auto* buttons = new QHBoxLayout;
    auto* osc = Button(this, "SetOscButt", Tr("Oscillator"));
    auto* reset = Button(this, "Resetb", Tr("Reset"));
    buttons->addWidget(osc);
    buttons->addWidget(reset);
    buttons->addStretch();
    connect(osc, &QPushButton::clicked, this, &TDiagnF::SetOscButtClick);
    connect(reset, &QPushButton::clicked, this, &TDiagnF::ResetbClick);
    grid->addLayout(buttons, 3, 0, 1, 3);
}

void TDiagnF::opened(bool ok) {
    // The window opens even when '@' was not taken: it shows what the transducer reports.
    (void)ok;
    m_active = true;
    m_timer->start();
}

void TDiagnF::Timer1Timer() {
    if (!m_active || sequenceRunning()) return;
    workflow::MeasurementSample sample;
    const bool got = m_transducer.takeSample(sample);
    switch (m_silence.tick(got)) {
        case workflow::LivePanels::ShowSample: showSample(sample); break;
        case workflow::LivePanels::Blank: clearPanels(); break;
        case workflow::LivePanels::NoContact:
            m_messages.beep(Beep::Question);
            for (QLabel* p : m_panels) p->setText(ToQString(workflow::kNoContactText));
            break;
        case workflow::LivePanels::Unchanged: break;
    }
    m_transducer.reportCommandFailure(m_ui);
}

void TDiagnF::showSample(const workflow::MeasurementSample& sample) {
    const workflow::StatusFlags& status = m_transducer.status();
    m_panels[static_cast<std::size_t>(m_item)]->setText(
        ToQString(workflow::RegisterValueText(m_item, sample.result, m_modelCode, status.UnitIndex)));
    const workflow::DiagnosticsOutputView out = workflow::DiagnosticsOutputText(sample.outputMa, status);
    m_output->setText(ToQString(out.text));
    QPalette palette = m_output->palette();
    palette.setColor(QPalette::WindowText, ToQColor(out.colour));
    m_output->setPalette(palette);
    m_statusL->setText(ToQString(workflow::DiagnosticsStatusText(status)));
}

void TDiagnF::clearPanels() {
    for (QLabel* p : m_panels) p->clear();
    m_output->clear();
    m_statusL->clear();
}

void TDiagnF::measurementAgain() {
    m_item = workflow::kMeasurementItem;
    m_rejestry->button(m_item)->setChecked(true);
}

void TDiagnF::RejestryClick(int item) {
    if (!m_active) return;
    m_item = item;
    (void)run<bool>([item](workflow::CommandLine& line) { return workflow::SelectRegister(line, item); }, {});
}

void TDiagnF::SetOutbuttClick() {
    const workflow::ForcedOutput forced =
        workflow::DiagnosticsOutput(qtbridge::ToStd(m_setOut->text()), m_transducer.status().ExtendedOutputScale);
    m_setOut->setText(ToQString(forced.entry));
    if (forced.refusal) {
        showOutcome(*forced.refusal);
        m_setOut->setFocus();
        return;
    }
    if (forced.counts) (void)m_transducer.post('o', workflow::OutputParameter(*forced.counts), m_ui);
}

void TDiagnF::ReadEEBClick() {
    const int address = m_address->value();
    (void)run<workflow::MemoryRead>(
        [address](workflow::CommandLine& line) { return workflow::ReadMemory(line, address); },
        [this](const workflow::MemoryRead& r) {
            m_address->setValue(r.address);
            if (r.bytes) {
                m_messTxt->setText(ToQString(workflow::MemoryBytesText(*r.bytes)));
            } else {
                m_messTxt->clear();
                m_messages.beep(Beep::Exclamation);
            }
            measurementAgain();
        });
}

void TDiagnF::EEwriteBClick() {
    const workflow::MemoryWrite write = workflow::ParseMemoryWrite(qtbridge::ToStd(m_messTxt->text()), m_address->value());
    if (write.kind == workflow::MemoryWriteKind::Refused) {
        m_messages.beep(Beep::Exclamation);
        return;
    }
    (void)run<bool>([write](workflow::CommandLine& line) { return workflow::WriteMemory(line, write); },
                    [this](const bool& ok) {
                        if (!ok) m_messages.beep(Beep::Exclamation);
                    });
}

void TDiagnF::SetOscButtClick() {
    m_timer->stop();
    const bool yes = m_messages.ask(this, QStringLiteral("Start oscillator adjustment procedure? "),
                                    MessageIcon::Information, qtbridge::Buttons::YesNo) == qtbridge::Answer::Yes;
    if (!yes) {
        m_timer->start();
        return;
    }
    clearPanels();
    m_statusL->setText(QStringLiteral("Setting..."));
    const bool started = run<std::optional<int>>(
        [](workflow::CommandLine& line) { return workflow::AdjustOscillator(line); },
        [this](const std::optional<int>& n) {
            m_statusL->clear();
            measurementAgain();
            if (n) m_messages.show(this, ToQString(workflow::OscillatorText(*n)), MessageIcon::None);
            else m_messages.beep(Beep::Exclamation);
        });
    if (!started) m_statusL->clear();
}

void TDiagnF::ResetbClick() {
    clearPanels();
    m_statusL->setText(QStringLiteral("Resetting..."));
    const bool started = run<bool>([](workflow::CommandLine& line) { return workflow::ResetInService(line); },
                                   [this](const bool&) {
                                       m_statusL->clear();
                                       measurementAgain();
                                   });
    if (!started) m_statusL->clear();
}

bool TDiagnF::startLeaving() {
    m_active = false;
    return run<workflow::Outcome>([](workflow::CommandLine& line) { return workflow::LeaveServiceMode(line); },
                                  [this](const workflow::Outcome& outcome) {
                                      if (!outcome.ok) showOutcome(outcome);
                                      left();
                                  });
}

}  // namespace r4860::service
