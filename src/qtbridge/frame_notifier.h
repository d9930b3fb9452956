// Turns the link's "a measurement frame was stored" notification into a Qt signal on the UI
// thread, so a window can react to frames instead of only polling.
#pragma once

#include <QObject>

namespace r4860::workflow {
class Transducer;
}
class QSocketNotifier;

namespace r4860::qtbridge {

class FrameNotifier : public QObject {
    Q_OBJECT
public:
    FrameNotifier(workflow::Transducer& transducer, QObject* parent = nullptr);
    // Off, the UI thread is not woken per frame (frames are then still counted and drained later).
    void setEnabled(bool on);

signals:
    void frameStored();

private:
    workflow::Transducer& m_transducer;
    QSocketNotifier* m_notifier;
};

}  // namespace r4860::qtbridge
