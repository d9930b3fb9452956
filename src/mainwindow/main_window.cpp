#include "mainwindow/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/up_down.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::Tr;

namespace {

// The client area the panel was drawn for; the menu bar comes on top of it.
constexpr int kClientWidth = 481, kClientHeight = 385;

QLabel* Label(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QLineEdit* Edit(QWidget* parent, const char* name, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

QLabel* ValuePanel(QWidget* parent, const char* name, QRect geometry) {
    QLabel* label = Label(parent, name, geometry);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    return label;
}

}  // namespace

TR4860F::TR4860F(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
                 QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_ctx(context), m_transducer(context.link), m_messages(messages), m_files(files), m_ui(messages, this) {
    setObjectName(QStringLiteral("R4860F"));
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &TR4860F::Timer1Timer);
    connect(&m_transfer, &qtbridge::TransferRunner::finished, this, &TR4860F::onTransferFinished);
    connect(&m_transfer, &qtbridge::TransferRunner::progress, this, [this](int percent, const QString& text) {
        m_progress->setValue(percent);
        StatBarTxt(text);
    });

    buildMenus();
    buildToolBar();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Bevel1"));
    setCentralWidget(central);
    buildPanel(central);
    buildStatusBar();
    connectEdits();
    FormLang();
}

TR4860F::~TR4860F() = default;

QAction* TR4860F::menuItem(QMenu* menu, const char* name, const std::function<void()>& handler,
                           const QKeySequence& shortcut) {
    auto* action = menu->addAction(QString());
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    if (handler) connect(action, &QAction::triggered, this, handler);
    m_actions[QLatin1String(name)] = action;
    return action;
}

void TR4860F::buildMenus() {
    const auto menu = [this](QMenu* parent, const char* name) {
        QMenu* m = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
        m->setObjectName(QLatin1String(name));
        m_menus[QLatin1String(name)] = m;
        return m;
    };
    QMenu* plik = menu(nullptr, "Plik1");
    menuItem(plik, "Nowy1", [this] { Nowy1Click(); });
    menuItem(plik, "Otworz1", [this] { Otworz1Click(); }, Qt::Key_F3);
    menuItem(plik, "Zachowaj1", [this] { Zachowaj1Click(); }, Qt::Key_F2);
    menuItem(plik, "Zapiszjako1", [this] { Zapiszjako1Click(); });
    plik->addSeparator();
    menuItem(plik, "Drukuj1", [this] { Drukuj1Click(); });
    menuItem(plik, "PrintSetup1", [this] { PrintSetup1Click(); });
    plik->addSeparator();
    menuItem(plik, "Exit1", [this] { Exit1Click(); }, Qt::Key_F10);

    QMenu* konfig = menu(nullptr, "Konfig1");
    QMenu* ustawienia = menu(konfig, "Ustawienia1");
    // The submenu is enabled as a whole through its own item.
    ustawienia->menuAction()->setObjectName(QStringLiteral("Ustawienia1"));
    m_actions[QStringLiteral("Ustawienia1")] = ustawienia->menuAction();
    // Ctrl+C and Ctrl+Z are the design's shortcuts; a focused edit still gets copy and undo,
    // because a line edit claims its standard keys before a window shortcut fires.
    menuItem(ustawienia, "Odczytaj1", [this] { OdczytajTClick(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    menuItem(ustawienia, "Zapisz1", [this] { ZapiszTClick(); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    menuItem(ustawienia, "Weryfikuj1", [this] { Weryfikuj1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_W));
    menuItem(ustawienia, "Odswierz1", [this] { Odswierz1Click(); });
    menuItem(konfig, "Czujniki1", [this] { SenSelClick(); }, QKeySequence(Qt::CTRL | Qt::Key_C));
    menuItem(konfig, "Reset1", [this] { Reset1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_R));
    menuItem(konfig, "Regulacja1", [this] { Regulacja1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_K));
    menuItem(konfig, "Blokada1", [this] { Blokada1Click(); })->setCheckable(true);

    QMenu* widok = menu(nullptr, "Widok1");
    menuItem(widok, "Wykres1", [this] { Wykres1Click(); })->setCheckable(true);
    menuItem(widok, "Symulacja1", [this] { Symulacja1Click(); });
    menuItem(widok, "MonOnly1", [this] { MonOnly1Click(); })->setCheckable(true);
    widok->addSeparator();
    menuItem(widok, "Pasek1", [this] { Pasek1Click(); })->setCheckable(true);
    menuItem(widok, "Status1", [this] { Status1Click(); })->setCheckable(true);
    m_actions[QStringLiteral("Pasek1")]->setChecked(true);
    m_actions[QStringLiteral("Status1")]->setChecked(true);

    QMenu* opcje = menu(nullptr, "Opcje1");
    menuItem(opcje, "Ogolne1", [this] { Ogolne1Click(); });
    menuItem(opcje, "Komunikacja1", [this] { Komunikacja1Click(); });
    menuItem(opcje, "Autoread1", [this] { Autoread1Click(); })->setCheckable(true);

    QMenu* pomoc = menu(nullptr, "Pomoc1");
    menuItem(pomoc, "Danetech1", [this] { DaneTech1Click(); });
    menuItem(pomoc, "Wersja1", [this] { Wersja1Click(); });
    menuItem(pomoc, "Info1", [this] { Info1Click(); });
}

QToolButton* TR4860F::toolButton(const char* name, int icon, const std::function<void()>& handler) {
    auto* button = new QToolButton(m_toolBar);
    button->setObjectName(QLatin1String(name));
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [button, handler] {
        // The pressed look for the length of the command.
        button->setDown(true);
        handler();
        button->setDown(false);
    });
    m_toolBar->addWidget(button);
    m_buttons[QLatin1String(name)] = button;
    return button;
}

void TR4860F::buildToolBar() {
    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->toggleViewAction()->setEnabled(false);
    toolButton("NowyT", QStyle::SP_FileIcon, [this] { Nowy1Click(); });
    toolButton("OtworzT", QStyle::SP_DialogOpenButton, [this] { Otworz1Click(); });
    toolButton("ZachowajT", QStyle::SP_DialogSaveButton, [this] { Zachowaj1Click(); });
    toolButton("DrukujT", QStyle::SP_FileDialogDetailedView, [this] { Drukuj1Click(); });
    m_toolBar->addSeparator();
    toolButton("OdczytajT", QStyle::SP_ArrowDown, [this] { OdczytajTClick(); });
    toolButton("ZapiszT", QStyle::SP_ArrowUp, [this] { ZapiszTClick(); });
    m_toolBar->addSeparator();
    toolButton("KomunikacjaT", QStyle::SP_DriveNetIcon, [this] { Komunikacja1Click(); });
    toolButton("RegulacjaT", QStyle::SP_FileDialogInfoView, [this] { Regulacja1Click(); });
    toolButton("Wykres1T", QStyle::SP_FileDialogContentsView, [this] { Wykres1Click(); });
}

void TR4860F::buildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[5] = {237, 155, 30, 30, 0};
    for (int i = 0; i < 5; ++i) {
        m_status[i] = new QLabel(bar);
        m_status[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_status[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (widths[i] > 0) m_status[i]->setFixedWidth(widths[i]);
        bar->addWidget(m_status[i], widths[i] > 0 ? 0 : 1);
    }
    // The progress bar lies over panel 1 and shows only while a transfer runs.
    m_progress = new QProgressBar(m_status[1]);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setGeometry(1, 1, 153, 16);
    m_progress->hide();
}

void TR4860F::buildPanel(QWidget* central) {
    m_senTypeG = new QGroupBox(central);
    m_senTypeG->setObjectName(QStringLiteral("SenTypeG"));
    m_senTypeG->setGeometry(4, 0, 473, 48);
    m_senTypeText = Label(m_senTypeG, "SenTypeText", {10, 20, 370, 20});
    m_senSel = new QPushButton(m_senTypeG);
    m_senSel->setObjectName(QStringLiteral("SenSel"));
    m_senSel->setGeometry(386, 16, 80, 26);
    connect(m_senSel, &QPushButton::clicked, this, &TR4860F::SenSelClick);

    m_parametryG = new QGroupBox(central);
    m_parametryG->setObjectName(QStringLiteral("ParametryG"));
    m_parametryG->setGeometry(4, 50, 473, 168);
    buildParameterGroup(m_parametryG);
    buildInfoAndLive(central);
    buildDiagram(central);
}

void TR4860F::buildParameterGroup(QWidget* g) {
    const auto caption = [this, g](const char* name, QRect r) {
        QLabel* l = Label(g, name, r);
        m_captions[QLatin1String(name)] = l;
        return l;
    };
    // Left: the range and the output's reactions.
    caption("JednostkiTxt", {8, 20, 100, 20});
    m_jednostki = Label(g, "JednostkiE", {110, 20, 60, 20});
    caption("Minimum", {8, 46, 100, 20});
    m_minInput = Edit(g, "MinInputE", {110, 44, 70, 24});
    m_absMin = Label(g, "AbsMinE", {184, 46, 56, 20});
    caption("Maksimum", {8, 74, 100, 20});
    m_maxInput = Edit(g, "MaxInputE", {110, 72, 70, 24});
    m_absMax = Label(g, "AbsMaxE", {184, 74, 56, 20});
    m_reakcja = Label(g, "Reakcja", {8, 98, 236, 20});
    m_burnout = new QComboBox(g);
    m_burnout->setObjectName(QStringLiteral("BurnoutE"));
    m_burnout->setGeometry(8, 118, 170, 24);
    caption("SiecTxt", {8, 146, 150, 20});
    m_siec = new QComboBox(g);
    m_siec->setObjectName(QStringLiteral("SiecE"));
    m_siec->setGeometry(160, 144, 80, 22);

    // Right: the signal filter and the corrections.
    caption("Filtry", {252, 18, 200, 18})->setStyleSheet(QStringLiteral("font-weight: bold"));
    caption("FiltrZakresTxt", {252, 40, 140, 20});
    m_filtrZakres = Edit(g, "FiltrZakresE", {400, 38, 60, 24});
    caption("FiltrCzasTxt", {252, 66, 140, 20});
    m_filtrCzas = Edit(g, "FiltrCzasE", {400, 64, 60, 24});
    caption("FiltrLimitTxt", {252, 90, 210, 20});
    m_filtrLimit = Edit(g, "FiltrLimitE", {252, 110, 50, 24});
    m_filtrLimitUpDown = new UpDown(0, 100, g);
    m_filtrLimitUpDown->setObjectName(QStringLiteral("FiltrLimitUpDown"));
    m_filtrLimitUpDown->setGeometry(302, 110, 16, 24);
    m_filtrDobierz = new QPushButton(g);
    m_filtrDobierz->setObjectName(QStringLiteral("FiltrDobierz"));
    m_filtrDobierz->setGeometry(380, 110, 80, 24);
    caption("RegulT", {248, 136, 214, 16});
    caption("RegulZT", {256, 150, 50, 16});
    m_regulZ = Label(g, "RegulZV", {296, 150, 50, 16});
    caption("RegulGT", {350, 150, 74, 16});
    m_regulG = Label(g, "RegulGV", {422, 150, 44, 16});
    m_regulZ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_regulG->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TR4860F::buildInfoAndLive(QWidget* central) {
    m_info = new QGroupBox(central);
    m_info->setObjectName(QStringLiteral("Info"));
    m_info->setGeometry(4, 220, 473, 66);
    const auto caption = [this](const char* name, QRect r) {
        QLabel* l = Label(m_info, name, r);
        m_captions[QLatin1String(name)] = l;
        return l;
    };
    caption("KodTxt", {8, 18, 140, 20});
    m_kod = Edit(m_info, "KodE", {150, 16, 120, 22});
    m_kod->setAlignment(Qt::AlignLeft);
    m_kod->setMaxLength(static_cast<int>(model::kMaxKod));
    caption("OgolneTxt", {8, 42, 140, 20});
    m_ogolne = Edit(m_info, "OgolneE", {150, 40, 120, 22});
    m_ogolne->setAlignment(Qt::AlignLeft);
    m_ogolne->setReadOnly(true);
    m_serialTxt = caption("SerialTxt", {280, 18, 110, 20});
    m_serial = Label(m_info, "SerialE", {392, 18, 76, 20});
    m_dataTxt = caption("DataTxt", {280, 42, 110, 20});
    m_data = Label(m_info, "DataE", {392, 42, 76, 20});

    auto* tlo = new QWidget(central);
    tlo->setObjectName(QStringLiteral("Tlo"));
    tlo->setGeometry(4, kTloTop, 473, 44);
    m_captions[QStringLiteral("nResult")] = Label(tlo, "nResult", {4, 12, 56, 20});
    m_wynik = ValuePanel(tlo, "Wynikp", {60, 2, 210, 40});
    m_captions[QStringLiteral("nOutput")] = Label(tlo, "nOutput", {282, 12, 50, 20});
    m_output = ValuePanel(tlo, "Outputp", {334, 2, 136, 40});
    QFont big(QStringLiteral("Arial"), 18, QFont::Bold);
    m_wynik->setFont(big);
    m_output->setFont(big);
    m_wynik->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_output->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TR4860F::StatBarTxt(const QString& text) { m_status[0]->setText(QLatin1Char(' ') + text); }

void TR4860F::FormLang() {
    const auto set = [this](const char* name, const QString& text) {
        if (auto it = m_actions.find(QLatin1String(name)); it != m_actions.end()) it->second->setText(text);
    };
    const QString dots = QStringLiteral("...");
    for (const auto& [name, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Plik1", "&File"}, {"Konfig1", "&Configuration"}, {"Widok1", "&View"},
             {"Opcje1", "&Options"}, {"Pomoc1", "&Help"}}) {
        m_menus[QLatin1String(name)]->setTitle(Tr(key));
    }
    m_menus[QStringLiteral("Ustawienia1")]->setTitle(Tr("&Setup"));
    for (const auto& [name, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Nowy1", "&New"}, {"Zachowaj1", "&Save"}, {"Exit1", "E&xit"}, {"Odswierz1", "R&efresh"},
             {"Odczytaj1", "&Read"}, {"Zapisz1", "&Write"}, {"Weryfikuj1", "&Verify"},
             {"Czujniki1", "Se&nsors"}, {"Reset1", "&Reset"}, {"Regulacja1", "&Corrections"},
             {"Blokada1", "&Lock Iout"}, {"Pasek1", "&Toolbar"}, {"Status1", "S&tatus"},
             {"Wykres1", "&Diagram"}, {"MonOnly1", "&Monitor only"}, {"Ogolne1", "&General"},
             {"Komunikacja1", "&Communication"}, {"Autoread1", "&Automatic read"}, {"Info1", "&Info"},
             {"Wersja1", "&Version"}, {"Danetech1", "&Help"}}) {
        set(name, Tr(key));
    }
    set("Otworz1", Tr("&Open") + dots);
    set("Zapiszjako1", Tr("Save as") + dots);
    set("Drukuj1", Tr("&Print") + dots);
    set("PrintSetup1", Tr("P&rint setup") + dots);
    set("Symulacja1", QStringLiteral("&") + Tr("Simulation"));

    m_senSel->setText(Tr("Select"));
    m_senSel->setToolTip(Tr("Select sensor"));
    m_parametryG->setTitle(QLatin1Char(' ') + Tr("Parameters") + QLatin1Char(' '));
    m_info->setTitle(QLatin1Char(' ') + Tr("Info") + QLatin1Char(' '));
    const auto caption = [this](const char* name, const QString& text) { m_captions[QLatin1String(name)]->setText(text); };
    caption("JednostkiTxt", QLatin1Char(' ') + Tr("Eng. units") + QLatin1Char(':'));
    caption("Minimum", QLatin1Char(' ') + Tr("Minimum") + QLatin1Char(':'));
    caption("Maksimum", QLatin1Char(' ') + Tr("Maximum") + QLatin1Char(':'));
    caption("Filtry", QLatin1Char(' ') + Tr("Signal filter"));
    caption("FiltrZakresTxt", Tr("Range") + QStringLiteral(" (0-25%)"));
    caption("FiltrCzasTxt", Tr("Time") + QStringLiteral(" (0-40s)"));
    caption("FiltrLimitTxt", Tr("Spurious error threshold") + QStringLiteral(" (0-100%)"));
    caption("SiecTxt", Tr("Net filter freq.") + QLatin1Char(':'));
    caption("RegulT", QLatin1Char(' ') + Tr("User corrections") + QLatin1Char(':'));
    caption("RegulZT", Tr("Zero") + QStringLiteral(":  "));
    caption("RegulGT", Tr("Gain") + QStringLiteral(":  "));
    caption("KodTxt", Tr("User ID Tag"));
    caption("SerialTxt", Tr("Serial No") + QLatin1Char(':'));
    caption("DataTxt", Tr("Last config. date") + QLatin1Char(':'));
    caption("OgolneTxt", Tr("Other"));
    caption("nResult", Tr("Result"));
    caption("nOutput", Tr("Output"));
    caption("NewAvT", Tr("new average"));
    caption("LargeErT", Tr("spurious error"));
    caption("WykresIntT", Tr("Interval") + QStringLiteral(" [s]:"));
    m_captions[QStringLiteral("WykresIntT")]->setToolTip(Tr("Preset plotting time interval"));
    m_wykresIntUd->setToolTip(Tr("Preset plotting time interval"));
    m_showFilter->setText(Tr("Filter limits"));
    m_showFilter->setToolTip(Tr("Show filter limits"));
    m_stopScaling->setText(Tr("Stop scaling"));
    m_savingI->setToolTip(Tr("Double-click to stop saving data"));
    if (!m_diagramShown) m_wykresStart->setText(Tr("Stop"));
    const auto diagramButton = [this](const char* name) { return m_wykresP2->findChild<QPushButton*>(QLatin1String(name)); };
    diagramButton("WykresClearB")->setText(Tr("Clear"));
    diagramButton("WykresClearB")->setToolTip(Tr("Clear diagram"));
    diagramButton("WykresExitB")->setText(Tr("Exit"));
    m_filtrDobierz->setText(Tr("Optimal"));
    m_filtrDobierz->setToolTip(Tr("Optimal settings") + QStringLiteral("\n(") + Tr("no noise") + QLatin1Char(')'));

    for (const auto& [name, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"NowyT", "New"}, {"OtworzT", "Open"}, {"ZachowajT", "Save"}, {"DrukujT", "Print"},
             {"OdczytajT", "Read settings"}, {"ZapiszT", "Write settings"}, {"KomunikacjaT", "Communication"},
             {"RegulacjaT", "Corrections"}, {"Wykres1T", "Show diagram"}}) {
        m_buttons[QLatin1String(name)]->setToolTip(Tr(key));
    }
    for (const auto& [widget, key] : std::initializer_list<std::pair<QWidget*, const char*>>{
             {m_minInput, "Enter the minimum value"}, {m_maxInput, "Enter the maximum value"},
             {m_filtrZakres, "Set filtration range"}, {m_filtrCzas, "Set time constant"},
             {m_filtrLimit, "Set spurious error threshold"}, {m_filtrLimitUpDown, "Set spurious error threshold"},
             {m_burnout, "Choose expected reaction"}, {m_siec, "Choose net frequency"},
             {m_kod, "Write down ID tag"}, {m_ogolne, "Write down any information"}}) {
        widget->setToolTip(Tr(key));
    }
    const int burnout = m_burnout->currentIndex(), siec = m_siec->currentIndex();
    m_burnout->clear();
    m_burnout->addItems({Tr("below 4mA"), Tr("above 20mA")});
    m_siec->clear();
    m_siec->addItems({QStringLiteral(" 50Hz"), QStringLiteral(" 60Hz")});
    m_burnout->setCurrentIndex(burnout);
    m_siec->setCurrentIndex(siec);

    // The client area keeps its size whatever the menu bar's texts need.
    const int bars = (statusBar()->isHidden() ? -statusBar()->sizeHint().height() : 0);
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height() + bars);

    // The panel re-reads its texts through the new table.
    if (m_panel.ParamsShown) {
        pokaz(workflow::Kolory::Keep);
    } else {
        odnowa();
    }
}

void TR4860F::Status1Click() {
    QAction* item = m_actions[QStringLiteral("Status1")];
    const bool show = statusBar()->isHidden();
    item->setChecked(show);
    const int h = statusBar()->sizeHint().height();
    statusBar()->setVisible(show);
    // The window shrinks and grows by the bar, so the panel keeps its size.
    setFixedSize(width(), height() + (show ? h : -h));
}

void TR4860F::Pasek1Click() {
    QAction* item = m_actions[QStringLiteral("Pasek1")];
    item->setChecked(m_toolBar->isHidden());
    m_toolBar->setVisible(item->isChecked());
}

void TR4860F::closeEvent(QCloseEvent* event) {
    storePosition();
    // A transfer is broken off before the window goes; its outcome is no longer wanted.
    m_transfer.cancel();
    m_timer1->stop();
    event->accept();
}

void TR4860F::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    storePosition();
}

void TR4860F::storePosition() {
    m_ctx.settings.MainLeft = x();
    m_ctx.settings.MainTop = y();
}

QPoint TR4860F::mainTopLeft() const { return {m_ctx.settings.MainLeft, m_ctx.settings.MainTop}; }

TimerPause::TimerPause(TR4860F& window)
    : m_timer(window.m_timer1), m_transferOn(window.m_ctx.state.TransferOn), m_wasActive(m_timer->isActive()) {
    m_timer->stop();
}

TimerPause::~TimerPause() {
    // A transfer started inside keeps the timer until it ends.
    if (m_wasActive && !m_transferOn) m_timer->start();
}

}  // namespace r4860::mainwindow
