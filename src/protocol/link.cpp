#include "protocol/link.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "protocol/frame_codec.h"

namespace r4860::protocol {

namespace {
constexpr std::size_t kStatusB = 8;             // data byte 8 of a measurement frame
constexpr std::uint8_t kNewAverageBit = 0x20;
constexpr std::uint8_t kLargeErrorBit = 0x40;
}  // namespace

Link::Link()
    : m_frameNotify(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      m_listenerWake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

namespace {
void signalFd(int fd) noexcept {
    const std::uint64_t one = 1;
    (void)!::write(fd, &one, sizeof one);
}
}  // namespace

void Link::wakeListener() noexcept { signalFd(m_listenerWake.get()); }

void Link::drainListenerWake() noexcept {
    std::uint64_t count = 0;
    (void)!::read(m_listenerWake.get(), &count, sizeof count);
}

Link::~Link() { stop(); }

int BaudForIndex(int baudIndex) noexcept {
    switch (baudIndex) {
    case 2: return 2400;
    case 3: return 4800;
    case 4: return 9600;
    default: return 1200;
    }
}

bool Link::isOpen() const { return m_port != nullptr; }

std::string Link::devicePath() const { return m_port ? m_port->devicePath() : std::string(); }

PostState Link::postState() const noexcept {
    if (!m_sampleValid.load(std::memory_order_acquire) || !m_linkReady.load(std::memory_order_acquire))
        return PostState::NotReady;
    if (m_commandPending.load(std::memory_order_acquire)) return PostState::Pending;
    return PostState::Ready;
}

void Link::postCommand(const FrameBuffer& command, bool expectAck) {
    m_linkReady.store(false, std::memory_order_release);
    m_command = command;   // the listener does not look at it while nothing is pending
    m_expectAck.store(expectAck, std::memory_order_release);
    m_commandPending.store(true, std::memory_order_release);
    wakeListener();
}

bool Link::waitReadyChange(std::chrono::milliseconds timeout) { return m_readyEvent.waitFor(timeout); }

bool Link::takeSendFailure() noexcept {
    if (!listenerRunning() || m_commandPending.load(std::memory_order_acquire)) return false;
    bool failed = false;
    // Taking the failure and marking it reported in one step: it is shown once, however often polled.
    return m_lastSendOk.compare_exchange_strong(failed, true, std::memory_order_acq_rel);
}

bool Link::takeLatestFrame(TakenFrame& out) {
    std::lock_guard lock(m_frameMutex);
    if (!listenerRunning() || !m_sampleValid.load(std::memory_order_acquire) ||
        m_sampleConsumed.load(std::memory_order_acquire))
        return false;
    out.frame = m_latest;
    out.newAverage = std::exchange(m_newAverageLatch, false);
    out.largeError = std::exchange(m_largeErrorLatch, false);
    m_sampleConsumed.store(true, std::memory_order_release);
    return true;
}

std::uint64_t Link::drainFrameNotifications() noexcept {
    std::uint64_t count = 0;
    if (::read(m_frameNotify.get(), &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return 0;
    return count;
}

void Link::publishFrame(const FrameBuffer& frame, bool firstAttempt) {
    {
        std::lock_guard lock(m_frameMutex);
        m_latest = frame;
        if (frame[0] == kReplyLength) {
            m_newAverageLatch = m_newAverageLatch || (frame[kStatusB] & kNewAverageBit) != 0;
            m_largeErrorLatch = m_largeErrorLatch || (frame[kStatusB] & kLargeErrorBit) != 0;
        }
        m_sampleConsumed.store(false, std::memory_order_release);
    }
    m_sampleValid.store(true, std::memory_order_release);
    if (!m_commandPending.load(std::memory_order_acquire)) {
        m_linkReady.store(true, std::memory_order_release);
        m_readyEvent.set();
    }
    m_newFrameEvent.set();
    if (firstAttempt) m_firstTryFrameEvent.set();
    // A full counter only means nobody has looked for a long time; the notification stands either way.
    signalFd(m_frameNotify.get());
}

Link::PendingCommand Link::takePendingForSend() noexcept {
    if (!m_commandPending.load(std::memory_order_acquire)) return {};
    m_linkReady.store(false, std::memory_order_release);
    return {&m_command, m_expectAck.load(std::memory_order_acquire)};
}

void Link::commandSent(bool ok, bool finished) {
    m_lastSendOk.store(ok, std::memory_order_release);
    if (!finished) return;
    m_commandPending.store(false, std::memory_order_release);
    m_linkReady.store(true, std::memory_order_release);
    m_readyEvent.set();
    if (ok) m_commandDoneEvent.set();
}

void Link::releaseListenerWaiters() {
    m_commandDoneEvent.set();
    m_newFrameEvent.set();
    m_firstTryFrameEvent.set();
    m_readyEvent.set();
}

void Link::beginTransfer() {
    m_transferCancelled.store(false, std::memory_order_release);
    m_transferProgress.store(0, std::memory_order_release);
    m_progressEvent.reset();
    m_progressAckEvent.reset();
    m_transferRunning.store(true, std::memory_order_release);
}

void Link::requestTransferCancel() {
    m_transferRunning.store(false, std::memory_order_release);
    m_progressEvent.set();
}

void Link::cancelTransfer() {
    m_transferCancelled.store(true, std::memory_order_release);
    requestTransferCancel();
}

bool Link::abortTransferWorker() {
    m_transferRunning.store(false, std::memory_order_release);
    return m_port && m_port->AbortWorker(m_transferWorker);
}

void Link::publishProgress(int percent, bool waitForAck, std::chrono::milliseconds ackTimeout) {
    m_transferProgress.store(percent, std::memory_order_release);
    if (!waitForAck) return;
    m_progressEvent.set();
    if (m_progressAckEvent.waitFor(ackTimeout)) m_progressAckEvent.reset();
}

bool Link::waitProgress(std::chrono::milliseconds timeout, int& percent) {
    if (!m_progressEvent.waitFor(timeout)) return false;
    m_progressEvent.reset();
    // Taken before the answer: once answered, the worker may already publish the next one.
    percent = m_transferProgress.load(std::memory_order_acquire);
    m_progressAckEvent.set();
    return true;
}

void Link::resetExchangeState() noexcept {
    m_commandPending.store(false, std::memory_order_release);
    m_linkReady.store(false, std::memory_order_release);
    m_lastSendOk.store(true, std::memory_order_release);
    m_sampleValid.store(false, std::memory_order_release);
    m_sampleConsumed.store(true, std::memory_order_release);
}

void Link::clearLatestFrame() {
    std::lock_guard lock(m_frameMutex);
    m_latest.fill(0);
    m_newAverageLatch = false;
    m_largeErrorLatch = false;
}

}  // namespace r4860::protocol
