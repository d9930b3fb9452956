#include "mainwindow/window_transfer.h"

#include <QToolButton>
#include <QWidget>

#include "dialogs/wiadomosc.h"
#include "mainwindow/status_line.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

WindowTransfer::WindowTransfer(workflow::Transducer& transducer, workflow::AppContext& context, StatusLine& status,
                               QWidget& window)
    : QObject(&window), m_transducer(transducer), m_ctx(context), m_status(status), m_window(window) {
    connect(&m_runner, &qtbridge::TransferRunner::finished, this, &WindowTransfer::onFinished);
    connect(&m_runner, &qtbridge::TransferRunner::progress, this, [this](int percent, const QString& text) {
        if (!running()) return;
        m_status.showProgress(percent);
        m_status.setText(text);
    });
}

WindowTransfer::~WindowTransfer() { closeProgress(); }

bool WindowTransfer::start(protocol::TransferRequest request, QToolButton* pressed, Finish finish) {
    if (running()) {
        finish({protocol::TransferStatus::Busy, request.image});
        return false;
    }
    m_statusBefore = m_status.text();
    const model::ConfigImage image = request.image;
    m_finish = std::move(finish);
    m_pressed = pressed;
    if (m_pressed) m_pressed->setDown(true);
    m_ctx.state.TransferOn = true;
    // The caption is translated already.
    m_status.setText(qtbridge::ToQString(request.caption));
    m_status.showProgress(0);
    emit started();
    m_progressWindow = new dialogs::TWiadomosc(dialogs::TWiadomosc::Mode::Progress, m_ctx.settings,
                                               {m_ctx.settings.MainLeft, m_ctx.settings.MainTop}, &m_window);
    m_progressWindow->show();
    if (m_runner.start(m_transducer, std::move(request))) return true;
    // Another job holds the line: the outcome is that of a busy link, and the image stays.
    onFinished({protocol::TransferStatus::Busy, image});
    return false;
}

void WindowTransfer::onFinished(const protocol::TransferResult& result) {
    closeProgress();
    m_status.hideProgress();
    m_ctx.state.TransferOn = false;
    // The percentage goes with the transfer: a box about its outcome comes beside the text from
    // before, and the outcome's own text follows it.
    m_status.setText(m_statusBefore);
    const Finish finish = std::exchange(m_finish, {});
    const bool ok = finish && finish(result);
    if (m_pressed) m_pressed->setDown(false);
    m_pressed = nullptr;
    emit finished(ok);
}

void WindowTransfer::closeProgress() {
    if (!m_progressWindow) return;
    m_progressWindow->hide();
    m_progressWindow->deleteLater();
    m_progressWindow = nullptr;
}

void WindowTransfer::cancel() { m_runner.cancel(); }

void WindowTransfer::raiseProgress() {
    if (m_progressWindow && m_progressWindow->isVisible()) m_progressWindow->raise();
}

}  // namespace r4860::mainwindow
