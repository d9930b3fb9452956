// The diagram that takes the configuration area's place on request: the strip chart of the live
// result with its filter-limit lines, the indicators of new averages and spurious errors, the plot
// controls, the elapsed-time clock and the measurement log (File > Keep results).
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "files/log_file.h"
#include "workflow/app_context.h"
#include "workflow/transducer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace r4860::charts {
class TXYChart;
}
namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::mainwindow {

class FileChooser;
class UpDown;

class DiagramView : public QWidget {
    Q_OBJECT
public:
    DiagramView(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
                QWidget* parent = nullptr);

    // The diagram comes up (Wykres1Click, on): a chart without points starts its clock afresh.
    void start();
    // It goes (Wykres1Click, off): saving stops; the points and the clock stay for next time.
    void stop();
    // One diagram step for a good sample.
    void WykresPlot(double result, double output, const workflow::StatusFlags& status);
    // The diagram's branch of Save as: keep the results in a file, or stop keeping them. The log
    // names the unit the transducer reports (`unitIndex`).
    void keepResults(int unitIndex);
    // A Read the filter lines asked for ended; without a configuration they cannot be drawn.
    void filterReadDone(bool configRead);
    void setLogFileName(const QString& name) { m_logFileName = name; }
    [[nodiscard]] bool logSaving() const { return m_logSaving; }
    void translate();
    // The elapsed-time clock, so that tests make time pass without waiting.
    void setClock(std::function<std::int64_t()> elapsedMs) { m_elapsedMs = std::move(elapsedMs); }

signals:
    // The chart's double-click and the Exit button.
    void exitWanted();
    // "Filter limits" needs the configuration of the transducer.
    void readWanted();
    // Saving started or stopped: the Save as item says what it does now.
    void savingChanged(bool saving);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTopPanel();
    QWidget* buildChartPanel();
    QWidget* buildControls(QWidget* parent);
    void WykresStartBClick();
    void WykresClearBClick();
    void setChartType(int type);
    void StopScalingCBClick();
    void ShowFilterCBClick();
    void WykresIntEChange();
    void WykresIntEEnter();
    void SavingIDblClick();
    bool XYChart1NeedLinesY(int line, double& value, QColor& colour);
    void restartClock();
    void focusExit();
    [[nodiscard]] std::int64_t elapsedMs() const;

    workflow::AppContext& m_ctx;
    qtbridge::MessageService& m_messages;
    FileChooser& m_files;
    QString m_logFileName;
    bool m_logSaving = false;
    bool m_plotting = true;
    bool m_pointPending = false;
    QColor m_pointColour;
    // Elapsed time runs on a monotonic clock: a clock change must not bend the plot or the log.
    QElapsedTimer m_clock;
    std::function<std::int64_t()> m_elapsedMs;
    files::DiagramStart m_chartStart;  // wall-clock start, only for the log's header

    charts::TXYChart* m_chart = nullptr;
    QLabel* m_newAvLed = nullptr;
    QLabel* m_largeErLed = nullptr;
    QLabel* m_newAvT = nullptr;
    QLabel* m_largeErT = nullptr;
    QLabel* m_wykresTime = nullptr;
    QLabel* m_wykresIntT = nullptr;
    QLabel* m_savingI = nullptr;
    QCheckBox* m_showFilter = nullptr;
    QCheckBox* m_stopScaling = nullptr;
    QRadioButton* m_chartTypeButtons[3] = {};
    QLineEdit* m_wykresInt = nullptr;
    UpDown* m_wykresIntUd = nullptr;
    QPushButton* m_wykresStart = nullptr;
    QPushButton* m_wykresClear = nullptr;
    QPushButton* m_wykresExit = nullptr;
};

}  // namespace r4860::mainwindow
