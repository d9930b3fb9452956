// The file commands, the options and the help menu.
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/par_file.h"
#include "mainwindow/config_panel.h"
#include "mainwindow/diagram_view.h"
#include "mainwindow/main_window.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;

QString TR4860F::parFilter() const {
    return Tr("Parameters files") + QStringLiteral(" (*.par);;") + Tr("All files") + QStringLiteral(" (*)");
}

bool TR4860F::untitled() const { return m_parFileName == Tr("No_name"); }

void TR4860F::Nowy1Click() {
    if (!busy()) odnowa();
}

void TR4860F::Otworz1Click() {
    if (busy()) return;
    const TimerPause paused = pause();
    storePosition();
    const QString file = m_files.openFile(this, ToQString(m_ctx.settings.DataDir), parFilter());
    if (!file.isEmpty()) openParFile(file);
}

void TR4860F::openAtStart(const QString& file) { m_startFile = file; }

void TR4860F::openParFile(const QString& file) {
    m_parFileName = file;
    if (files::ReadParFile(m_ctx.record, ToStd(file), m_ctx.settings)) {
        m_panel.CoefMissing = false;
        m_ctx.state.VerifyAllowed = false;
        m_config->pokaz(m_ctx.state.Connected ? workflow::Kolory::AllChanged : workflow::Kolory::Shown);
        return;
    }
    m_messages.warn(this, Tr("Corrupted or wrong data file") + QLatin1Char('!'));
    odnowa();
}

bool TR4860F::saveTo(const QString& file) {
    if (!files::WriteParFile(m_ctx.record, ToStd(file), m_ctx.settings)) {
        m_messages.warn(this, Tr("Cannot open file") + QStringLiteral(":\n") + file);
        return false;
    }
    m_parFileName = file;
    ShowCaption();
    return true;
}

void TR4860F::Zachowaj1Click() {
    if (busy()) return;
    if (!m_config->CheckParam(true, false)) return;
    if (untitled()) {
        Zapiszjako1Click();
        return;
    }
    saveTo(m_parFileName);
}

void TR4860F::Zapiszjako1Click() {
    if (busy()) return;
    // While the diagram is shown the same item keeps the measurements.
    if (m_diagramShown) {
        const TimerPause paused = pause();
        storePosition();
        m_diagram->keepResults(m_transducer.status().UnitIndex);
        return;
    }
    if (!m_config->CheckParam(true, false)) return;
    const TimerPause paused = pause();
    storePosition();
    QString proposed = m_parFileName;
    if (!m_ctx.settings.DataDir.empty() && QFileInfo(proposed).isRelative()) {
        proposed = ToQString(m_ctx.settings.DataDir) + QLatin1Char('/') + proposed;
    }
    QString file = m_files.saveFile(this, proposed, parFilter());
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".par");
    saveTo(file);
}

void TR4860F::Exit1Click() { close(); }

void TR4860F::Ogolne1Click() {
    if (busy()) return;
    const bool wasUntitled = untitled();
    bool ok = false;
    {
        const TimerPause paused = pause();
        storePosition();
        if (m_dialogs.options) ok = m_dialogs.options(this);
    }
    if (ok) languageChanged(wasUntitled);
}

void TR4860F::languageChanged(bool wasUntitled) {
    if (wasUntitled) m_parFileName = Tr("No_name");
    FormLang();
    ShowCaption();
}

void TR4860F::Komunikacja1Click() {
    if (busy()) return;
    const TimerPause paused = pause();
    storePosition();
    if (m_dialogs.portDialog) m_dialogs.portDialog(this);
    showPort();
}

void TR4860F::DaneTech1Click() {
    const std::string name = LangText("R4860EN") + ".html";
    const auto manual = files::FindDataFile(name);
    const auto fallback = files::FindDataFile("R4860EN.html");
    if (!manual && !fallback) {
        m_messages.warn(this, Tr("Cannot open file") + QStringLiteral(":\n") + ToQString(name));
        return;
    }
    const QString file = ToQString((manual ? *manual : *fallback).string());
    const bool shown = m_dialogs.openManual ? m_dialogs.openManual(file)
                                            : QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    // Without a browser the desktop says nothing visible: the operator learns where the manual is.
    if (!shown) m_messages.warn(this, Tr("No browser could show the manual; it is here") + QStringLiteral(":\n") + file,
                                MessageIcon::Information);
}

void TR4860F::Wersja1Click() {
    const TimerPause paused = pause();
    storePosition();
    if (m_dialogs.version) m_dialogs.version(this);
}

void TR4860F::Info1Click() {
    const TimerPause paused = pause();
    storePosition();
    if (m_dialogs.info) m_dialogs.info(this);
}

}  // namespace r4860::mainwindow
