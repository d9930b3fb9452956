// The programming history from the main window: every read, write, ID-tag write and
// verification recorded at its outcome, View > History, and a recorded configuration opened.
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "common/date_text.h"

#include "mainwindow/config_panel.h"
#include "mainwindow/history_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/window_history.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::Tr;

void TR4860F::recordRead(const workflow::Outcome& outcome) {
    m_history->record(workflow::ReadEntry(lineState(), outcome, m_ctx.image));
}

void TR4860F::recordWrite(workflow::WriteKind kind, const workflow::Outcome& outcome, bool sent,
                          const std::optional<model::ConfigImage>& before) {
    workflow::WriteFacts facts;
    facts.operation = kind == workflow::WriteKind::Full ? files::HistoryOperation::Write
                                                        : files::HistoryOperation::IdTagWrite;
    facts.transfer = outcome;
    facts.sent = sent;
    facts.image = m_ctx.image;
    facts.before = before;
    files::HistoryRecord entry = workflow::WriteEntry(lineState(), facts);
    const std::filesystem::path file = qtbridge::ToStd(m_parFileName);
    std::error_code ec;
    if (!untitled() && std::filesystem::is_regular_file(file, ec)) workflow::SetParFile(entry, file);
    m_history->record(std::move(entry));
}

void TR4860F::recordVerify(const workflow::VerifyOutcome& outcome, const std::optional<model::ConfigImage>& identity) {
    m_history->record(workflow::VerifyEntry(lineState(), outcome, identity));
}

void TR4860F::historyFailed(const QString& text, bool newReason) {
    // The work has its outcome already; this only says it is missing from the record.
    StatBarTxt(text);
    if (newReason) m_messages.warn(this, text, MessageIcon::Exclamation, Beep::Exclamation);
}

void TR4860F::Historia1Click() {
    if (!m_historyWindow) {
        m_historyWindow = new HistoryWindow(*m_history, m_ctx, m_messages, m_files, this);
        connect(m_historyWindow, &HistoryWindow::openConfiguration, this,
                [this](const model::ConfigRecord& record) { openRecordedConfiguration(record); });
        connect(m_historyWindow, &HistoryWindow::restoreRecord, this,
                [this](const files::HistoryRecord& record) { restoreRecord(record); });
    }
    m_historyWindow->refresh();
    m_historyWindow->show();
    m_historyWindow->raise();
}

void TR4860F::openRecordedConfiguration(const model::ConfigRecord& record) {
    if (busy()) return;
    m_ctx.record = record;
    m_parFileName = Tr("No_name");
    m_panel.CoefMissing = false;
    m_ctx.state.ConfigRead = false;
    m_ctx.state.VerifyAllowed = false;
    m_config->pokaz(m_ctx.state.Connected ? workflow::Kolory::AllChanged : workflow::Kolory::Shown);
}

void TR4860F::restoreRecord(const files::HistoryRecord& record) {
    if (busy()) return;
    auto plan = workflow::PlanRestore(record, TodayDays());
    if (!plan) {
        m_messages.warn(this, qtbridge::ToQString(plan.error().message));
        return;
    }
    const QString question = Tr("Restore this transducer") + QStringLiteral(" (") + Tr("Serial number") +
                             QStringLiteral(" ") + qtbridge::ToQString(plan->serial) + QStringLiteral(")?");
    if (m_messages.ask(this, question, MessageIcon::Information, qtbridge::Buttons::YesNo) != qtbridge::Answer::Yes) return;
    const workflow::Prepared read = workflow::PrepareRead(lineState(), m_ctx.image);
    if (read.refused) {
        showOutcome(*read.refused);
        return;
    }
    auto shared = std::make_shared<workflow::RestorePlan>(std::move(*plan));
    transfer(read.request, [this, shared](const protocol::TransferResult& result) {
        // The transducer as it is now; the panel keeps its configuration until the write.
        model::ConfigRecord ignored;
        model::ConfigImage current = m_ctx.image;
        const workflow::ReadOutcome r = workflow::FinishRead(result, ignored, current);
        if (!r.outcome.ok) {
            showOutcome(r.outcome);
            recordRestore(*shared, r.outcome, false, current, shared->before);
            return false;
        }
        if (const auto same = workflow::CheckRestoreTarget(*shared, current); !same) {
            workflow::Outcome refused;
            refused.message = same.error().message;
            refused.icon = MessageIcon::Exclamation;
            refused.beep = Beep::Exclamation;
            showOutcome(refused);
            recordRestore(*shared, refused, false, current, shared->before);
            return false;
        }
        // The write follows once this read has let go of the line.
        QTimer::singleShot(0, this, [this, shared, current] { runRestore(shared, current); });
        return true;
    });
}

void TR4860F::runRestore(const std::shared_ptr<workflow::RestorePlan>& plan, const model::ConfigImage& current) {
    const workflow::Prepared write = workflow::PrepareRestore(lineState(), *plan, current);
    if (write.refused) {
        showOutcome(*write.refused);
        recordRestore(*plan, *write.refused, false, current, plan->before);
        return;
    }
    transfer(write.request, [this, plan, current, sent = write.request.image](const protocol::TransferResult& result) mutable {
        const workflow::Outcome o = workflow::FinishWrite(result, workflow::WriteKind::Full, sent);
        showOutcome(o);
        if (o.ok) {
            // The panel shows what the transducer holds now; Verify reads it back.
            m_ctx.record = plan->config;
            m_ctx.image = sent;
            m_ctx.state.ConfigRead = true;
            m_parFileName = Tr("No_name");
            m_config->pokaz(workflow::Kolory::Shown);
            Zapisane(true);
        }
        recordRestore(*plan, o, result.status != protocol::TransferStatus::Busy &&
                                    result.status != protocol::TransferStatus::NotStarted, current, sent);
        return o.ok;
    });
}

void TR4860F::recordRestore(const workflow::RestorePlan& plan, const workflow::Outcome& outcome, bool sent,
                            const model::ConfigImage& current, const model::ConfigImage& image) {
    workflow::WriteFacts facts;
    facts.operation = files::HistoryOperation::Restore;
    facts.transfer = outcome;
    facts.sent = sent;
    facts.image = image;
    facts.before = current;
    files::HistoryRecord entry = workflow::WriteEntry(lineState(), facts);
    entry.restoreOf = plan.sourceUid;
    m_history->record(std::move(entry));
}

}  // namespace r4860::mainwindow
