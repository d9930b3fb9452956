// TRegulF: the user zero and gain corrections trimmed against the live result and output, with a
// preview, 'V' to store them, a forced output and a reset. Only what the transducer acknowledged
// as stored stays in the configuration when the window closes; whatever it changed in the
// transducer besides (a forced output, a preview, another register) is let go on the way out.
#pragma once

#include <QPoint>

#include "service/service_dialog.h"
#include "workflow/app_context.h"
#include "workflow/corrections.h"
#include "workflow/corrections_commands.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace r4860::service {

class TRegulF final : public ServiceDialog {
    Q_OBJECT
public:
    TRegulF(workflow::Transducer& transducer, qtbridge::MessageService& messages, workflow::AppContext& context,
            QPoint mainTopLeft, QWidget* parent = nullptr);

    void Timer1Timer();
    void ZapiszBClick();
    void SetOutbuttClick();
    void ResetBClick();
    void PomiarTClick();
    void SimulCBClick();

protected:
    bool startLeaving() override;

private:
    void build();
    QScrollBar* correctionBar(const char* name, const QString& hint);
    void barMoved();
    void sampleIn(bool got, const workflow::MeasurementSample& sample);
    void show(const workflow::CorrectionsView& view);
    void setColour(QLabel* label, workflow::ServiceColour colour);
    void offerModes(bool on);

    workflow::AppContext& m_ctx;
    workflow::CorrectionsSession m_session;
    workflow::CorrectionsFootprint m_footprint;
    QScrollBar* m_zeroS = nullptr;
    QScrollBar* m_gainS = nullptr;
    QLabel* m_zeroP = nullptr;
    QLabel* m_gainP = nullptr;
    QLabel* m_pomiarP = nullptr;
    QLabel* m_outputp = nullptr;
    QCheckBox* m_simulCB = nullptr;
    QPushButton* m_pomiarT = nullptr;
    QLineEdit* m_setOut = nullptr;
    QPushButton* m_exitB = nullptr;
};

}  // namespace r4860::service
