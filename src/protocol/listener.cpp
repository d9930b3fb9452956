// The listener thread, which receives every frame and sends the pending command in the gap after
// one, and the link's start and stop around it.
#include "protocol/link.h"

#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

#include "common/trace.h"
#include "protocol/exchange.h"

namespace r4860::protocol {

namespace {

using namespace std::chrono_literals;

constexpr int kReceivesPerPass = 3;
// Sends after the first that may fail before a command is dropped: one try per frame, four frames.
constexpr int kResends = 3;

// The transducer sends its frames at its own steady pace. Once the pace is known and nothing waits
// to be sent, the listener sleeps through the next frame and reads it whole, instead of waking at
// its first byte only to wait for its last: one wake-up per frame instead of two. A frame whose
// END is seen as it comes (every ninth, and any that comes later than expected) times the pace
// again; posting a command ends the sleep at once, so commands keep their timing.
class FrameRhythm {
public:
    using Clock = std::chrono::steady_clock;

    void frameReceived(Clock::time_point at, bool timed) {
        ++m_since;
        if (!timed) return;
        const auto period = m_anchored ? (at - m_anchor) / m_since : Clock::duration{};
        m_period = period >= kShortestPeriod && period <= kLongestPeriod ? period : Clock::duration{};
        m_anchor = at;
        m_anchored = true;
        m_since = 0;
    }
    void forget() {
        m_anchored = false;
        m_period = {};
        m_since = 0;
    }
    // When the next frame will have ended, or nothing while it must be waited for.
    [[nodiscard]] std::optional<Clock::time_point> nextEnd(Clock::duration margin) const {
        if (!m_anchored || m_period == Clock::duration{} || m_since >= kUntimedRun) return std::nullopt;
        return m_anchor + m_period * (m_since + 1) + margin;
    }

private:
    static constexpr Clock::duration kShortestPeriod = 20ms, kLongestPeriod = 1s;
    static constexpr int kUntimedRun = 8;
    Clock::time_point m_anchor{};   // when the END of the last timed frame came
    bool m_anchored = false;
    int m_since = 0;                // frames received since
    Clock::duration m_period{};
};

// Past the expected END by a character and a half: the last byte is in, and a pace a little off
// over eight frames still lands after it.
std::chrono::microseconds idleMargin(const link::SerialPort& port) {
    return std::chrono::microseconds(std::llround(1500.0 * port.charTimes().charTime));
}

bool justEnded(link::SerialPort& port) {
    return port.lastByteJustArrived(std::chrono::microseconds(std::llround(3000.0 * port.charTimes().charTime)));
}

void sleepThroughFrame(Link& link, const FrameRhythm& rhythm) {
    link.drainListenerWake();
    link::SerialPort* port = link.port();
    if (port == nullptr || link.commandPending()) return;
    if (const auto wake = rhythm.nextEnd(idleMargin(*port))) port->idleUntil(*wake, link.listenerWakeFd());
}

int listenerLoop(Link& link) {
    link::RaiseThreadPriority();
    // Counted per command rather than carried over from the previous one's outcome, so a new
    // command always gets its four tries even when the last failure has not been reported yet.
    int failedSends = 0;
    FrameBuffer rx{};
    FrameRhythm rhythm;
    while (link.listenerRunning()) {
        sleepThroughFrame(link, rhythm);
        bool framed = false;
        for (int attempt = 0; attempt < kReceivesPerPass && link.listenerRunning(); ++attempt) {
            if (ReceiveFrame(link, rx)) {
                link.publishFrame(rx, attempt == 0);
                framed = true;
                break;
            }
        }
        if (!framed) {
            rhythm.forget();
            link.markNoFrame();
            continue;
        }
        const auto pending = link.takePendingForSend();
        if (pending.command == nullptr) {
            rhythm.frameReceived(FrameRhythm::Clock::now(), justEnded(*link.port()));
            continue;
        }
        // A command and its acknowledgement may move the transducer's next frame.
        rhythm.forget();
        const bool sent = SendFrame(link, *pending.command, pending.expectAck);
        const bool finished = sent || ++failedSends > kResends;   // else tried after the next frame
        if (finished) failedSends = 0;
        link.commandSent(sent, finished);
    }
    link.releaseListenerWaiters();
    return link::kExitOk;
}

}  // namespace

Status Link::startListener() {
    if (!m_port) return makeError(Errc::Refused, "the link is not open");
    if (m_listener.occupied()) {
        if (!m_listener.ended()) return makeError(Errc::Refused, "the previous listener is still running");
        m_listener.join();
    }
    m_listenerRunning.store(true, std::memory_order_release);
    if (auto started = m_listener.start([this] { return listenerLoop(*this); }); !started) {
        m_listenerRunning.store(false, std::memory_order_release);
        return started;
    }
    return {};
}

// Lets the thread end (50 ms, then up to 200 ms) and breaks it off when it does not. A failure
// leaves the slot occupied, and startListener is refused until the thread is gone.
Status Link::stopListener() {
    m_listenerRunning.store(false, std::memory_order_release);
    wakeListener();   // a listener sleeping through a frame ends now
    Status result;
    if (m_listener.occupied()) {
        std::this_thread::sleep_for(50ms);
        int code = m_listener.exitCode();
        if (code == link::kStillActive) code = m_listener.waitEnded(200ms) ? m_listener.exitCode() : link::kExitFailed;
        if (code == link::kExitOk) {
            m_listener.join();
        } else if (!m_port || !m_port->AbortWorker(m_listener)) {
            result = makeError(Errc::Io, "the listener could not be stopped");
        }
    }
    resetExchangeState();
    return result;
}

Status Link::suspendForTransfer() {
    if (!pollingOn()) return makeError(Errc::Refused, "the link is not started");
    if (auto stopped = stopListener(); !stopped) return stopped;
    m_pollingOn.store(false, std::memory_order_release);
    return {};
}

Status Link::resumeAfterTransfer() {
    auto started = startListener();
    if (started) m_pollingOn.store(true, std::memory_order_release);
    return started;
}

Status Link::startOn(Result<std::unique_ptr<link::SerialPort>> created, link::PortProblem openProblem,
                     int baudIndex) {
    m_startProblem = created ? link::PortProblem::Failed : openProblem;
    if (!created) return created.error();
    std::lock_guard transfer(m_transferMutex);
    m_port = std::move(*created);
    clearLatestFrame();
    resetExchangeState();
    if (auto configured = m_port->Configure(BaudForIndex(baudIndex)); !configured) {
        // Not initialised: release the port at once so the next attempt (or program) can open it.
        m_port.reset();
        return configured;
    }
    if (auto started = startListener(); !started) {
        m_port.reset();
        return started;
    }
    m_pollingOn.store(true, std::memory_order_release);
    m_startProblem = link::PortProblem::None;
    return {};
}

Status Link::start(int portNumber, int baudIndex, const std::filesystem::path& portsFolder) {
    // The old port goes first, so a second attempt on the same port can open it.
    stop();
    link::PortProblem why = link::PortProblem::Failed;
    auto created = link::SerialPort::Create(portNumber, portsFolder, &why);
    return startOn(std::move(created), why, baudIndex);
}

Status Link::startOnPath(const std::string& devicePath, int baudIndex) {
    stop();
    link::PortProblem why = link::PortProblem::Failed;
    auto created = link::SerialPort::OpenPath(devicePath, &why);
    return startOn(std::move(created), why, baudIndex);
}

void Link::stop() {
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    requestTransferCancel();
    // A transfer holds this until it has given the port back (it ends within a receive time-out
    // once its running flag is cleared), so nothing below pulls the port from under it.
    std::lock_guard transfer(m_transferMutex);
    stopUnlocked();
}

void Link::stopUnlocked() {
    m_listenerRunning.store(false, std::memory_order_release);
    m_transferRunning.store(false, std::memory_order_release);
    if (m_port) m_port->interrupt();
    // The eventfd wake-up makes every wait of both threads return, so these joins are prompt;
    // only then may the port go.
    m_listener.join();
    m_transferWorker.join();
    m_port.reset();
    m_pollingOn.store(false, std::memory_order_release);
    resetExchangeState();
}

}  // namespace r4860::protocol
