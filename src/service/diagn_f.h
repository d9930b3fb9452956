// TDiagnF, "R4860 Diagnostics": the transducer in service mode, one of its eight registers
// reported, its output forced, single memory locations read and written, the oscillator adjusted
// and the transducer reset. Every exchange is a command sequence; closing resets the transducer
// out of service mode (confirmed by its frames) before the window goes.
#pragma once

#include <QGroupBox>

#include <QPoint>
#include <array>

#include "service/service_dialog.h"
#include "workflow/app_context.h"
#include "workflow/diagnostics.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace r4860::service {

class TDiagnF final : public ServiceDialog {
    Q_OBJECT
public:
    TDiagnF(workflow::Transducer& transducer, qtbridge::MessageService& messages, const model::ConfigRecord& record,
            QPoint mainTopLeft, QWidget* parent = nullptr);

    void Timer1Timer();
    void RejestryClick(int item);
    void SetOutbuttClick();
    void ReadEEBClick();
    void EEwriteBClick();
    void SetOscButtClick();
    void ResetbClick();

protected:
    bool startLeaving() override;

private:
    void build();
    QGroupBox* buildMemory();
    void opened(bool ok);
    void showSample(const workflow::MeasurementSample& sample);
    void clearPanels();
    void measurementAgain();

    int m_modelCode;
    const model::ConfigRecord& m_record;
    workflow::SilenceCounter m_silence{workflow::kDiagnosticsTimerMs};
    bool m_active = false;
    int m_item = workflow::kMeasurementItem;
    QButtonGroup* m_rejestry = nullptr;
    std::array<QLabel*, workflow::kRegisterCount> m_panels{};
    QLabel* m_output = nullptr;
    QLabel* m_statusL = nullptr;
    QLabel* m_sensorL = nullptr;
    QLineEdit* m_setOut = nullptr;
    QSpinBox* m_address = nullptr;
    QLineEdit* m_messTxt = nullptr;
};

}  // namespace r4860::service
