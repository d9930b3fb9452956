// The diagram: the strip chart of the live result with its controls, the filter-limit lines and
// the measurement log. It takes the configuration area's place; the live panel stays below it.
#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "charts/xy_chart.h"
#include "common/date_text.h"
#include "mainwindow/main_window.h"
#include "mainwindow/up_down.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

namespace {

const QColor kYellow(255, 255, 0), kAqua(0, 255, 255), kRed(255, 0, 0), kIdle(128, 128, 128);
const QColor kPlotArea(172, 168, 153);
constexpr int kPanel1Height = 30;

QLabel* Led(QWidget* parent, const char* name, QRect geometry) {
    auto* led = new QLabel(parent);
    led->setObjectName(QLatin1String(name));
    led->setGeometry(geometry);
    led->setAutoFillBackground(true);
    led->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return led;
}

void Paint(QLabel* led, const QColor& colour) {
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

}  // namespace

void TR4860F::buildDiagram(QWidget* central) {
    m_wykresP1 = new QWidget(central);
    m_wykresP1->setObjectName(QStringLiteral("WykresP1"));
    m_newAvLed = Led(m_wykresP1, "NewAvLED", {6, 9, 12, 12});
    m_captions[QStringLiteral("NewAvT")] = new QLabel(m_wykresP1);
    m_captions[QStringLiteral("NewAvT")]->setGeometry(22, 6, 84, 18);
    m_largeErLed = Led(m_wykresP1, "LargeErLED", {110, 9, 12, 12});
    m_captions[QStringLiteral("LargeErT")] = new QLabel(m_wykresP1);
    m_captions[QStringLiteral("LargeErT")]->setGeometry(126, 6, 90, 18);
    m_showFilter = new QCheckBox(m_wykresP1);
    m_showFilter->setObjectName(QStringLiteral("ShowFilterCB"));
    m_showFilter->setGeometry(222, 5, 130, 20);
    connect(m_showFilter, &QCheckBox::clicked, this, &TR4860F::ShowFilterCBClick);
    const char* names[3] = {"DotRB", "LineRB", "BarRB"};  // in ChartType's order
    for (int i = 0; i < 3; ++i) {
        m_chartTypeButtons[i] = new QRadioButton(m_wykresP1);
        m_chartTypeButtons[i]->setObjectName(QLatin1String(names[i]));
        m_chartTypeButtons[i]->setIcon(ChartTypeIcon(i));
        m_chartTypeButtons[i]->setGeometry(360 + i * 40, 5, 40, 20);
        connect(m_chartTypeButtons[i], &QRadioButton::clicked, this, [this, i] { setChartType(i); });
    }
    m_chartTypeButtons[1]->setChecked(true);

    m_wykresP2 = new QWidget(central);
    m_wykresP2->setObjectName(QStringLiteral("WykresP2"));
    m_chart = new charts::TXYChart(m_wykresP2);
    m_chart->setObjectName(QStringLiteral("XYChart1"));
    m_chart->setChartType(charts::ChartType::ctLine);
    m_chart->setGrid(charts::GridType::gtBoth);
    m_chart->setBackGround(palette().color(QPalette::Button));
    m_chart->setInterval(1.0);
    m_chart->OnNeedLinesY = [this](int line, double& value, QColor& colour) {
        return XYChart1NeedLinesY(line, value, colour);
    };
    connect(m_chart, &charts::TXYChart::doubleClicked, this, &TR4860F::Wykres1Click);
    m_captions[QStringLiteral("WykresIntT")] = new QLabel(m_wykresP2);
    m_captions[QStringLiteral("WykresIntT")]->setObjectName(QStringLiteral("WykresIntT"));
    m_wykresInt = new QLineEdit(QStringLiteral("1"), m_wykresP2);
    m_wykresInt->setObjectName(QStringLiteral("WykresIntE"));
    m_wykresInt->setReadOnly(true);
    m_wykresInt->setAlignment(Qt::AlignRight);
    m_wykresIntUd = new UpDown(0, 99, m_wykresP2);
    m_wykresIntUd->setObjectName(QStringLiteral("WykresIntUD"));
    m_wykresIntUd->setPosition(1);
    connect(m_wykresIntUd, &UpDown::clicked, this, [this] {
        m_wykresInt->setText(QString::number(m_wykresIntUd->position()));
        WykresIntEChange();
    });
    m_wykresTime = new QLabel(QStringLiteral("00:00:00"), m_wykresP2);
    m_wykresTime->setObjectName(QStringLiteral("WykresTimeT"));
    m_savingI = new QLabel(QStringLiteral("\xE2\x97\x8F REC"), m_wykresP2);
    m_savingI->setObjectName(QStringLiteral("SavingI"));
    m_savingI->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    m_savingI->installEventFilter(this);
    m_savingI->hide();
    m_stopScaling = new QCheckBox(m_wykresP2);
    m_stopScaling->setObjectName(QStringLiteral("StopScalingCB"));
    connect(m_stopScaling, &QCheckBox::clicked, this, &TR4860F::StopScalingCBClick);
    const auto button = [this](const char* name, void (TR4860F::*handler)()) {
        auto* b = new QPushButton(m_wykresP2);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_wykresStart = button("WykresStartB", &TR4860F::WykresStartBClick);
    button("WykresClearB", &TR4860F::WykresClearBClick);
    button("WykresExitB", &TR4860F::Wykres1Click);
    m_wykresP1->hide();
    m_wykresP2->hide();
    central->installEventFilter(this);
}

void TR4860F::layoutDiagram() {
    QWidget* central = centralWidget();
    QWidget* tlo = m_wynik->parentWidget();
    if (!m_diagramShown) return;
    const int w = central->width();
    tlo->move(tlo->x(), central->height() - tlo->height() - 2);
    m_wykresP1->setGeometry(0, 0, w, kPanel1Height);
    m_wykresP2->setGeometry(0, kPanel1Height, w, tlo->y() - kPanel1Height);
    const int h = m_wykresP2->height();
    m_chart->setGeometry(4, 0, w - 100, h - 2);
    const int x = w - 92;
    m_wykresTime->setGeometry(x, 4, 88, 20);
    m_captions[QStringLiteral("WykresIntT")]->setGeometry(x, 30, 88, 18);
    m_wykresInt->setGeometry(x, 48, 40, 24);
    m_wykresIntUd->setGeometry(x + 40, 48, 16, 24);
    m_stopScaling->setGeometry(x, 78, 90, 34);
    m_savingI->setGeometry(x, 114, 88, 18);
    int y = h - 3 * 30;
    for (const char* name : {"WykresStartB", "WykresClearB", "WykresExitB"}) {
        m_wykresP2->findChild<QPushButton*>(QLatin1String(name))->setGeometry(x, y, 84, 26);
        y += 30;
    }
}

bool TR4860F::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) layoutDiagram();
    if (watched == m_savingI && event->type() == QEvent::MouseButtonDblClick) SavingIDblClick();
    return QMainWindow::eventFilter(watched, event);
}

std::int64_t TR4860F::diagramMs() const {
    return m_diagramElapsedMs ? m_diagramElapsedMs() : m_chartClock.elapsed();
}

void TR4860F::Wykres1Click() {
    if (busy()) return;
    QAction* monOnly = m_actions[QStringLiteral("MonOnly1")];
    if (monOnly->isChecked() && !m_diagramShown) {
        monOnly->setChecked(false);
        MonOnly1Click();
    }
    m_diagramShown = !m_diagramShown;
    m_actions[QStringLiteral("Wykres1")]->setChecked(m_diagramShown);
    m_buttons[QStringLiteral("Wykres1T")]->setDown(m_diagramShown);
    SavingIDblClick();
    const bool on = m_diagramShown;
    EnDisMenu(!on);
    QAction* keep = m_actions[QStringLiteral("Zapiszjako1")];
    keep->setText((on ? Tr("&Keep results") : Tr("Save as")) + QStringLiteral("..."));
    keep->setEnabled(true);
    m_menus[QStringLiteral("Opcje1")]->setEnabled(!on);
    for (QWidget* w : std::initializer_list<QWidget*>{m_senTypeG, m_parametryG, m_info}) w->setVisible(!on);
    m_wykresP1->setVisible(on);
    m_wykresP2->setVisible(on);
    m_timer1->setInterval(on ? 200 : 500);
    if (!on) {
        QWidget* tlo = m_wynik->parentWidget();
        tlo->move(tlo->x(), kTloTop);
        m_senSel->setFocus();
        return;
    }
    m_chart->setChartColor(kPlotArea);
    for (QLabel* led : {m_newAvLed, m_largeErLed}) Paint(led, kIdle);
    if (m_chart->count() == 0) {
        m_chartClock.start();
        m_chartStart = {TodayDays(), QTime::currentTime().msecsSinceStartOfDay()};
        m_wykresTime->setText(QStringLiteral("00:00:00"));
        m_wykresStart->setText(Tr("Stop"));
        m_stopScaling->setChecked(false);
        m_chart->setScaling(true);
    }
    m_pointPending = false;
    m_pointColour = kYellow;
    layoutDiagram();
    m_wykresP2->findChild<QPushButton*>(QStringLiteral("WykresExitB"))->setFocus();
}

void TR4860F::WykresPlot(double result, double output) {
    const workflow::StatusFlags& status = m_transducer.status();
    Paint(m_newAvLed, status.NewAverage ? kAqua : kIdle);
    Paint(m_largeErLed, status.LargeError ? kRed : kIdle);
    TimerPause pause(*this);
    if (m_showFilter->isChecked() && !m_ctx.state.ConfigRead) {
        readTransducer({});  // the lines need the configuration; plotting goes on after it
        return;
    }
    const QColor c = status.LargeError ? kRed : status.NewAverage ? kAqua : kYellow;
    const std::int64_t ms = diagramMs();
    if (m_wykresStart->text() == Tr("Stop")) {
        // A plotted point takes the colour of the first marked sample since the previous one.
        if (!m_pointPending || m_pointColour == kYellow) m_pointColour = c;
        m_pointPending = !m_chart->addPoint(m_pointColour, result);
        if (m_pointPending && m_pointColour != kRed && c == kAqua) m_pointColour = kAqua;
        if (m_logSaving && !m_pointPending &&
            !files::AppendLogRow(qtbridge::ToStd(m_logFileName), static_cast<double>(ms), result, output)) {
            SavingIDblClick();
            m_messages.beep(Beep::Exclamation);
            m_messages.show(this, Tr("Cannot open file") + QStringLiteral(":\n") + m_logFileName,
                            MessageIcon::Exclamation);
        }
    }
    m_wykresTime->setText(ClockText((ms + 500) / 1000));
}

bool TR4860F::XYChart1NeedLinesY(int line, double& value, QColor& colour) {
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

void TR4860F::WykresStartBClick() {
    m_wykresStart->setText(m_wykresStart->text() == Tr("Stop") ? Tr("Start") : Tr("Stop"));
}

void TR4860F::WykresClearBClick() {
    m_chart->clear();
    m_chartClock.start();
    m_chartStart = {TodayDays(), QTime::currentTime().msecsSinceStartOfDay()};
    m_wykresTime->setText(QStringLiteral("00:00:00"));
    SavingIDblClick();
}

void TR4860F::setChartType(int type) {
    m_chart->setChartType(static_cast<charts::ChartType>(type));
    for (int i = 0; i < 3; ++i) m_chartTypeButtons[i]->setChecked(i == type);
    m_wykresP2->findChild<QPushButton*>(QStringLiteral("WykresExitB"))->setFocus();
}

void TR4860F::StopScalingCBClick() {
    m_chart->setScaling(!m_stopScaling->isChecked());
    m_wykresP2->findChild<QPushButton*>(QStringLiteral("WykresExitB"))->setFocus();
}

void TR4860F::ShowFilterCBClick() {
    if (m_showFilter->isChecked() && !m_ctx.state.ConfigRead) {
        readTransducer([this](bool ok) {
            if (!ok) m_showFilter->setChecked(false);
            m_chart->redraw();
        });
        return;
    }
    m_chart->redraw();
}

void TR4860F::WykresIntEChange() {
    bool ok = false;
    const double v = m_wykresInt->text().toDouble(&ok);
    if (ok && v >= 0) m_chart->setInterval(std::round(v));
    m_wykresInt->setText(QString::number(static_cast<int>(m_chart->interval())));
}

void TR4860F::SavingIDblClick() {
    m_logSaving = false;
    m_savingI->hide();
    if (m_diagramShown) m_actions[QStringLiteral("Zapiszjako1")]->setText(Tr("&Keep results") + QStringLiteral("..."));
}

void TR4860F::keepResults() {
    if (m_logSaving) {
        SavingIDblClick();
        return;
    }
    TimerPause pause(*this);
    storePosition();
    const QString filter = Tr("Data files") + QStringLiteral(" (*.txt);;") + Tr("All files") + QStringLiteral(" (*)");
    QString file = m_files.saveFile(this, m_logFileName, filter);
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".txt");
    m_logFileName = file;
    if (!files::StartLog(qtbridge::ToStd(file), m_chartStart, m_transducer.status().UnitIndex, m_ctx.settings)) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, Tr("Cannot open file") + QStringLiteral(":\n") + file, MessageIcon::Exclamation);
        return;
    }
    m_savingI->show();
    m_logSaving = true;
    m_actions[QStringLiteral("Zapiszjako1")]->setText(Tr("&Stop saving"));
}

}  // namespace r4860::mainwindow
