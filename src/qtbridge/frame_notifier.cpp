#include "qtbridge/frame_notifier.h"

#include <QSocketNotifier>

#include "workflow/transducer.h"

namespace r4860::qtbridge {

FrameNotifier::FrameNotifier(workflow::Transducer& transducer, QObject* parent)
    : QObject(parent),
      m_transducer(transducer),
      m_notifier(new QSocketNotifier(transducer.frameNotifyFd(), QSocketNotifier::Read, this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        // Several frames may have been stored since the last wake-up; one signal says so.
        if (m_transducer.drainFrameNotifications() > 0) emit frameStored();
    });
}

void FrameNotifier::setEnabled(bool on) {
    if (m_notifier->isEnabled() != on) m_notifier->setEnabled(on);
}

}  // namespace r4860::qtbridge
