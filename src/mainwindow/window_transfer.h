// The one transfer of the main window: the job's runner, the progress window in front of the
// window, the progress bar and status text while it runs, the status text to put back, the
// toolbar button that stays pressed and what runs when the outcome arrives. "Busy" is this
// object running; a transfer that cannot start still ends, as one refused by a busy link.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "qtbridge/transfer_runner.h"
#include "workflow/app_context.h"
#include "workflow/transducer.h"

class QToolButton;
class QWidget;

namespace r4860::dialogs {
class TWiadomosc;
}

namespace r4860::mainwindow {

class StatusLine;

class WindowTransfer : public QObject {
    Q_OBJECT
public:
    // What the caller does with the outcome (the window's status text is back by then when the
    // transfer failed); true when the command succeeded.
    using Finish = std::function<bool(const protocol::TransferResult& result)>;

    WindowTransfer(workflow::Transducer& transducer, workflow::AppContext& context, StatusLine& status,
                   QWidget& window);
    ~WindowTransfer() override;

    // Starts `request` behind the progress window. `pressed` (may be null) keeps its pressed look
    // until the outcome is in. When the transfer cannot start, `finish` gets a busy link's result
    // at once, with the request's image, and the answer is false.
    bool start(protocol::TransferRequest request, QToolButton* pressed, Finish finish);
    [[nodiscard]] bool running() const { return m_finish != nullptr; }
    // The status text shown before the transfer, for an outcome that puts it back.
    [[nodiscard]] const QString& statusBefore() const { return m_statusBefore; }
    // Breaks the transfer off; its outcome still comes (as cancelled).
    void cancel();
    // The main window was activated: the progress window stays in front of it.
    void raiseProgress();

signals:
    // The transfer took the line: polling stops, the live panels go blank.
    void started();
    // After the outcome was handled; polling may go on.
    void finished(bool ok);

private:
    void onFinished(const protocol::TransferResult& result);
    void closeProgress();

    workflow::Transducer& m_transducer;
    workflow::AppContext& m_ctx;
    StatusLine& m_status;
    QWidget& m_window;
    qtbridge::TransferRunner m_runner;
    Finish m_finish;
    QString m_statusBefore;
    QPointer<QToolButton> m_pressed;
    dialogs::TWiadomosc* m_progressWindow = nullptr;
};

}  // namespace r4860::mainwindow
