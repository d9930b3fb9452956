// TSymulF: the configured transfer function tried without a transducer. An input signal dragged
// or typed gives the result and the output current, an output current the input that gives it;
// the whole characteristic is on the plot with the working point under the cross-hair. Works on
// a prepared copy: the configuration is never touched.
#pragma once

#include <QDialog>
#include <QPoint>

#include "qtbridge/message_service.h"
#include "workflow/simulation.h"

class QLabel;
class QLineEdit;
class QScrollBar;
class QTimer;

namespace r4860::charts {
class TWykresXY;
}

namespace r4860::service {

class TSymulF final : public QDialog {
    Q_OBJECT
public:
    TSymulF(workflow::SimulationInput input, qtbridge::MessageService& messages, QPoint mainTopLeft,
            QWidget* parent = nullptr);

    void InpDisp(double percent);
    void OutDisp(double fraction);
    void Timer1Timer();
    void Timer2Timer();
    // Set when the application loses the focus: the next bar change is taken as spurious.
    void setDeactivated() { m_deactivated = true; }

private:
    void build();
    void FormPaint();
    void show(const workflow::SimulationView& view);
    void InputSChange(int position);
    void OutputSChange(int position);
    bool refused(const workflow::SimulationEntry& entry, QLineEdit* edit);

    workflow::SimulationInput m_in;
    qtbridge::MessageService& m_messages;
    double m_percent = 0.0;
    double m_outputMa = 4.0;
    bool m_busy = false;
    bool m_deactivated = false;
    charts::TWykresXY* m_plot = nullptr;
    QScrollBar* m_inputS = nullptr;
    QScrollBar* m_outputS = nullptr;
    QLineEdit* m_inputE = nullptr;
    QLineEdit* m_outputE = nullptr;
    QLabel* m_input1T = nullptr;
    QLabel* m_resultP = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
};

}  // namespace r4860::service
