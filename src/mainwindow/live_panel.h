// The live panel `Tlo` below the configuration: the result with its unit in `Wynikp` and the
// output current in `Outputp`, blanked when samples stop and question marks once contact is lost.
#pragma once

#include <QWidget>

#include "workflow/transducer.h"

class QLabel;

namespace r4860::mainwindow {

class LivePanel : public QWidget {
    Q_OBJECT
public:
    explicit LivePanel(QWidget* parent = nullptr);

    void showres(const workflow::MeasurementSample& sample, const workflow::StatusFlags& status);
    void showout(const workflow::MeasurementSample& sample, const workflow::StatusFlags& status);
    void blank();
    // "???        " in both, the result in its value's font.
    void noContact();
    void translate();

private:
    void setResultLook(int pointSize, Qt::Alignment alignment);

    QLabel* m_nResult;
    QLabel* m_nOutput;
    QLabel* m_wynik;
    QLabel* m_output;
    bool m_outputRed = false;
};

}  // namespace r4860::mainwindow
