#include "mainwindow/diagram_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QVBoxLayout>
#include <cmath>

#include "charts/xy_chart.h"
#include "common/date_text.h"
#include "mainwindow/file_chooser.h"
#include "mainwindow/up_down.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::Tr;

namespace {

const QColor kYellow(255, 255, 0), kAqua(0, 255, 255), kRed(255, 0, 0), kIdle(128, 128, 128);
const QColor kPlotArea(172, 168, 153);
constexpr int kTopHeight = 30;
constexpr int kControlsWidth = 92;

QLabel* Led(QWidget* parent, const char* name) {
    auto* led = new QLabel(parent);
    led->setObjectName(QLatin1String(name));
    led->setFixedSize(12, 12);
    led->setAutoFillBackground(true);
    led->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return led;
}

void Paint(QLabel* led, const QColor& colour) {
    if (led->palette().color(QPalette::Window) == colour) return;
    QPalette p = led->palette();
    p.setColor(QPalette::Window, colour);
    led->setPalette(p);
}

// The three plot styles as small pictures beside their radio buttons.
QIcon ChartTypeIcon(int type) {
    QPixmap pixmap(18, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1.5));
    const QPoint points[4] = {{1, 11}, {6, 4}, {11, 8}, {16, 2}};
    if (type == 1) p.drawPolyline(points, 4);
    for (const QPoint& pt : points) {
        if (type == 0) p.drawEllipse(pt, 1, 1);
        if (type == 2) p.fillRect(pt.x() - 1, pt.y(), 3, 14 - pt.y(), Qt::black);
    }
    return QIcon(pixmap);
}

QString ClockText(std::int64_t seconds) {
    const auto two = [](std::int64_t v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(seconds / 3600) + QLatin1Char(':') + two(seconds % 3600 / 60) + QLatin1Char(':') + two(seconds % 60);
}

// A check box too wide for the narrow column beside the chart gets its text on two lines, broken
// at the blank nearest its middle, so a translation never pushes the chart aside or gets cut.
void FitColumn(QCheckBox* box, const QString& text, int width) {
    box->setText(text);
    if (box->sizeHint().width() <= width) return;
    qsizetype best = -1;
    for (qsizetype i = text.indexOf(QLatin1Char(' ')); i >= 0; i = text.indexOf(QLatin1Char(' '), i + 1)) {
        if (best < 0 || std::abs(i - text.size() / 2) < std::abs(best - text.size() / 2)) best = i;
    }
    if (best < 0) return;
    QString two = text;
    two[best] = QLatin1Char('\n');
    box->setText(two);
}

}  // namespace

DiagramView::DiagramView(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
                         QWidget* parent)
    : QWidget(parent), m_ctx(context), m_messages(messages), m_files(files) {
    setObjectName(QStringLiteral("Diagram"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopPanel());
    column->addWidget(buildChartPanel(), 1);
    m_clock.start();
}

QWidget* DiagramView::buildTopPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("WykresP1"));
    panel->setFixedHeight(kTopHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(4);
    m_newAvLed = Led(panel, "NewAvLED");
    m_newAvT = new QLabel(panel);
    m_newAvT->setObjectName(QStringLiteral("NewAvT"));
    m_largeErLed = Led(panel, "LargeErLED");
    m_largeErT = new QLabel(panel);
    m_largeErT->setObjectName(QStringLiteral("LargeErT"));
    m_showFilter = new QCheckBox(panel);
    m_showFilter->setObjectName(QStringLiteral("ShowFilterCB"));
    connect(m_showFilter, &QCheckBox::clicked, this, &DiagramView::ShowFilterCBClick);
    row->addWidget(m_newAvLed);
    row->addWidget(m_newAvT);
    row->addSpacing(10);
    row->addWidget(m_largeErLed);
    row->addWidget(m_largeErT);
    row->addSpacing(10);
    row->addWidget(m_showFilter);
    row->addStretch(1);
    const char* names[3] = {"DotRB", "LineRB", "BarRB"};  // in ChartType's order
    for (int i = 0; i < 3; ++i) {
        m_chartTypeButtons[i] = new QRadioButton(panel);
        m_chartTypeButtons[i]->setObjectName(QLatin1String(names[i]));
        m_chartTypeButtons[i]->setIcon(ChartTypeIcon(i));
        connect(m_chartTypeButtons[i], &QRadioButton::clicked, this, [this, i] { setChartType(i); });
        row->addWidget(m_chartTypeButtons[i]);
    }
    m_chartTypeButtons[1]->setChecked(true);
    return panel;
}

QWidget* DiagramView::buildChartPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("WykresP2"));
    m_chart = new charts::TXYChart(panel);
    m_chart->setObjectName(QStringLiteral("XYChart1"));
    m_chart->setChartType(charts::ChartType::ctLine);
    m_chart->setGrid(charts::GridType::gtBoth);
    m_chart->setBackGround(palette().color(QPalette::Button));
    m_chart->setInterval(1.0);
    m_chart->OnNeedLinesY = [this](int line, double& value, QColor& colour) {
        return XYChart1NeedLinesY(line, value, colour);
    };
    connect(m_chart, &charts::TXYChart::doubleClicked, this, &DiagramView::exitWanted);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 0, 4, 2);
    row->setSpacing(6);
    row->addWidget(m_chart, 1);
    row->addWidget(buildControls(panel));
    return panel;
}

QWidget* DiagramView::buildControls(QWidget* parent) {
    auto* box = new QWidget(parent);
    box->setFixedWidth(kControlsWidth);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(4);
    m_wykresTime = new QLabel(QStringLiteral("00:00:00"), box);
    m_wykresTime->setObjectName(QStringLiteral("WykresTimeT"));
    m_wykresIntT = new QLabel(box);
    m_wykresIntT->setObjectName(QStringLiteral("WykresIntT"));
    m_wykresIntT->setWordWrap(true);
    m_wykresInt = new QLineEdit(QStringLiteral("1"), box);
    m_wykresInt->setObjectName(QStringLiteral("WykresIntE"));
    m_wykresInt->setReadOnly(true);
    m_wykresInt->setAlignment(Qt::AlignRight);
    m_wykresInt->setFixedSize(40, 24);
    connect(m_wykresInt, &QLineEdit::returnPressed, this, &DiagramView::WykresIntEEnter);
    m_wykresIntUd = new UpDown(0, 99, box);
    m_wykresIntUd->setObjectName(QStringLiteral("WykresIntUD"));
    m_wykresIntUd->setFixedSize(16, 24);
    m_wykresIntUd->setPosition(1);
    connect(m_wykresIntUd, &UpDown::clicked, this, [this] {
        m_wykresInt->setText(QString::number(m_wykresIntUd->position()));
        WykresIntEChange();
    });
    auto* interval = new QHBoxLayout;
    interval->setSpacing(0);
    interval->addWidget(m_wykresInt);
    interval->addWidget(m_wykresIntUd);
    interval->addStretch(1);
    m_stopScaling = new QCheckBox(box);
    m_stopScaling->setObjectName(QStringLiteral("StopScalingCB"));
    connect(m_stopScaling, &QCheckBox::clicked, this, &DiagramView::StopScalingCBClick);
    // Saving's indicator: a red dot and REC.
    m_savingI = new QLabel(QStringLiteral(u"\u25CF REC"), box);
    m_savingI->setObjectName(QStringLiteral("SavingI"));
    m_savingI->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    m_savingI->installEventFilter(this);
    m_savingI->hide();
    const auto button = [this, box](const char* name, void (DiagramView::*handler)()) {
        auto* b = new QPushButton(box);
        b->setObjectName(QLatin1String(name));
        b->setFixedHeight(26);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_wykresStart = button("WykresStartB", &DiagramView::WykresStartBClick);
    m_wykresClear = button("WykresClearB", &DiagramView::WykresClearBClick);
    m_wykresExit = new QPushButton(box);
    m_wykresExit->setObjectName(QStringLiteral("WykresExitB"));
    m_wykresExit->setFixedHeight(26);
    connect(m_wykresExit, &QPushButton::clicked, this, &DiagramView::exitWanted);
    column->addWidget(m_wykresTime);
    column->addWidget(m_wykresIntT);
    column->addLayout(interval);
    column->addWidget(m_stopScaling);
    column->addWidget(m_savingI);
    column->addStretch(1);
    for (QPushButton* b : {m_wykresStart, m_wykresClear, m_wykresExit}) column->addWidget(b);
    return box;
}

void DiagramView::translate() {
    m_newAvT->setText(Tr("new average"));
    m_largeErT->setText(Tr("spurious error"));
    m_wykresIntT->setText(Tr("Interval") + QStringLiteral(" [s]:"));
    m_wykresIntT->setToolTip(Tr("Preset plotting time interval"));
    m_wykresIntUd->setToolTip(Tr("Preset plotting time interval"));
    m_showFilter->setText(Tr("Filter limits"));
    m_showFilter->setToolTip(Tr("Show filter limits"));
    FitColumn(m_stopScaling, Tr("Stop scaling"), kControlsWidth);
    m_savingI->setToolTip(Tr("Double-click to stop saving data"));
    m_wykresStart->setText(m_plotting ? Tr("Stop") : Tr("Start"));
    m_wykresClear->setText(Tr("Clear"));
    m_wykresClear->setToolTip(Tr("Clear diagram"));
    m_wykresExit->setText(Tr("Exit"));
}

bool DiagramView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_savingI && event->type() == QEvent::MouseButtonDblClick) SavingIDblClick();
    return QWidget::eventFilter(watched, event);
}

std::int64_t DiagramView::elapsedMs() const { return m_elapsedMs ? m_elapsedMs() : m_clock.elapsed(); }

void DiagramView::restartClock() {
    m_clock.start();
    m_chartStart = {TodayDays(), QTime::currentTime().msecsSinceStartOfDay()};
    m_wykresTime->setText(QStringLiteral("00:00:00"));
}

void DiagramView::focusExit() {
    if (isVisible()) m_wykresExit->setFocus();
}

void DiagramView::start() {
    SavingIDblClick();
    m_chart->setChartColor(kPlotArea);
    for (QLabel* led : {m_newAvLed, m_largeErLed}) Paint(led, kIdle);
    if (m_chart->count() == 0) {
        restartClock();
        m_plotting = true;
        m_wykresStart->setText(Tr("Stop"));
        m_stopScaling->setChecked(false);
        m_chart->setScaling(true);
    }
    m_pointPending = false;
    m_pointColour = kYellow;
    m_wykresExit->setFocus();
}

void DiagramView::stop() { SavingIDblClick(); }

void DiagramView::WykresPlot(double result, double output, const workflow::StatusFlags& status) {
    Paint(m_newAvLed, status.NewAverage ? kAqua : kIdle);
    Paint(m_largeErLed, status.LargeError ? kRed : kIdle);
    // The lines need the configuration; the read runs after this step, which goes on as usual.
    if (m_showFilter->isChecked() && !m_ctx.state.ConfigRead) emit readWanted();
    const QColor c = status.LargeError ? kRed : status.NewAverage ? kAqua : kYellow;
    const std::int64_t ms = elapsedMs();
    if (m_plotting) {
        // A plotted point takes the colour of the first marked sample since the previous one.
        if (!m_pointPending || m_pointColour == kYellow) m_pointColour = c;
        m_pointPending = !m_chart->addPoint(m_pointColour, result);
        if (m_pointPending && m_pointColour != kRed && c == kAqua) m_pointColour = kAqua;
        if (m_logSaving && !m_pointPending &&
            !files::AppendLogRow(qtbridge::ToStd(m_logFileName), static_cast<double>(ms), result, output)) {
            SavingIDblClick();
            m_messages.warn(this, Tr("Cannot open file") + QStringLiteral(":\n") + m_logFileName);
        }
    }
    m_wykresTime->setText(ClockText((ms + 500) / 1000));
}

bool DiagramView::XYChart1NeedLinesY(int line, double& value, QColor& colour) {
    if (m_chart->count() <= 1 || !m_showFilter->isChecked()) return true;
    const auto& p = m_ctx.record.Parametry;
    const double last = m_chart->lastPoint().value;
    const double band = (p.MaxInput - p.MinInput) * p.FiltrZakres / 1000.0;
    const double spur = (p.MaxInput - p.MinInput) * p.FiltrLimit / 100.0;
    if (band + spur == 0.0) return true;
    switch (line) {
        case 0:
        case 1:
            if (band > 0) {
                value = line == 0 ? last + band : last - band;
                colour = kAqua;
            }
            return line == 1 && spur == 0.0;
        case 2:
            value = last + spur;
            colour = kRed;
            return false;
        case 3:
            value = last - spur;
            colour = kRed;
            return true;
        default: return true;
    }
}

void DiagramView::WykresStartBClick() {
    m_plotting = !m_plotting;
    m_wykresStart->setText(m_plotting ? Tr("Stop") : Tr("Start"));
}

void DiagramView::WykresClearBClick() {
    m_chart->clear();
    restartClock();
    SavingIDblClick();
}

void DiagramView::setChartType(int type) {
    m_chart->setChartType(static_cast<charts::ChartType>(type));
    for (int i = 0; i < 3; ++i) m_chartTypeButtons[i]->setChecked(i == type);
    focusExit();
}

void DiagramView::StopScalingCBClick() {
    m_chart->setScaling(!m_stopScaling->isChecked());
    focusExit();
}

void DiagramView::ShowFilterCBClick() {
    if (m_showFilter->isChecked() && !m_ctx.state.ConfigRead) {
        emit readWanted();
        return;
    }
    focusExit();
    m_chart->redraw();
}

void DiagramView::filterReadDone(bool configRead) {
    // One failure, one message: without the configuration the box goes off, so no later sample
    // asks for the read again.
    if (!configRead) m_showFilter->setChecked(false);
    focusExit();
    m_chart->redraw();
}

void DiagramView::WykresIntEChange() {
    bool ok = false;
    const double v = m_wykresInt->text().toDouble(&ok);
    if (ok && v >= 0) m_chart->setInterval(std::round(v));
    m_wykresInt->setText(QString::number(static_cast<int>(m_chart->interval())));
}

void DiagramView::WykresIntEEnter() { m_wykresExit->setFocus(); }

void DiagramView::SavingIDblClick() {
    const bool was = m_logSaving;
    m_logSaving = false;
    m_savingI->hide();
    if (was) emit savingChanged(false);
}

void DiagramView::keepResults(int unitIndex) {
    if (m_logSaving) {
        SavingIDblClick();
        return;
    }
    const QString filter = Tr("Data files") + QStringLiteral(" (*.txt);;") + Tr("All files") + QStringLiteral(" (*)");
    // Like the parameter files, the results start out in the data folder.
    QString proposed = m_logFileName;
    if (!m_ctx.settings.DataDir.empty() && QFileInfo(proposed).isRelative()) {
        proposed = qtbridge::ToQString(m_ctx.settings.DataDir) + QLatin1Char('/') + proposed;
    }
    QString file = m_files.saveFile(this, proposed, filter);
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".txt");
    m_logFileName = file;
    if (!files::StartLog(qtbridge::ToStd(file), m_chartStart, unitIndex, m_ctx.settings)) {
        m_messages.warn(this, Tr("Cannot open file") + QStringLiteral(":\n") + file);
        return;
    }
    m_savingI->show();
    m_logSaving = true;
    emit savingChanged(true);
}

}  // namespace r4860::mainwindow
