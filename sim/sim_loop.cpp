#include "sim/sim_loop.h"

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "common/trace.h"
#include "sim/factory_image.h"

namespace r4860::sim {
namespace {
constexpr std::string_view kTag = "sim";

void printSlavePath(const std::string& path) {
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
}
}  // namespace

SimLoop::SimLoop(LoopSettings settings, DeviceEngine engine)
    : m_settings(std::move(settings)), m_engine(std::move(engine)), m_rng(m_settings.seed) {
    m_faults.silence = m_settings.silent;
    m_faults.strictGap = m_settings.strict;
}

Status SimLoop::start() {
    if (m_settings.log)
        if (auto st = m_log.open(*m_settings.log); !st) return st;
    if (m_settings.link) m_port.setLink(*m_settings.link);
    if (auto st = m_port.open(); !st) return st;
    if (m_settings.control)
        if (auto st = m_control.listen(*m_settings.control); !st) return st;
    m_startUs = SteadyNowUs();
    m_nextFrameUs = m_startUs;
    m_gapUntilUs = m_startUs;
    m_log.mark(m_startUs, "event", "start", m_port.slavePath());
    printSlavePath(m_port.slavePath());
    return {};
}

void SimLoop::run(const volatile std::sig_atomic_t& stop) {
    if (m_settings.realtime) {
        // A transducer keeps its timing whatever the PC does; on a loaded machine only a real-time
        // thread comes close. Below the link's own threads (40), so the host is never held up.
        sched_param param{};
        param.sched_priority = 30;
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) != 0) Trace(kTag, "no real-time priority");
    }
    sigset_t none;
    sigemptyset(&none);
    std::vector<pollfd> fds;
    while (!m_quit && stop == 0) {
        const std::int64_t now = SteadyNowUs();
        step(now);
        fds.clear();
        if (m_port.isOpen()) fds.push_back({m_port.masterFd(), POLLIN, 0});
        const std::size_t controlAt = fds.size();
        m_control.addPollFds(fds);
        const std::int64_t waitUs = std::max<std::int64_t>(0, nextWakeUs(now) - SteadyNowUs());
        const timespec ts{static_cast<time_t>(waitUs / 1'000'000), static_cast<long>(waitUs % 1'000'000) * 1000};
        // Signals are blocked except inside ppoll, so a SIGTERM can never slip between checks.
        const int n = ::ppoll(fds.data(), fds.size(), &ts, &none);
        if (n < 0) continue;
        const std::int64_t after = SteadyNowUs();
        if (controlAt > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) readLine(after);
        m_control.service(std::span(fds).subspan(controlAt),
                          [this](std::string_view line) { return control(line); });
    }
    shutdown();
}

std::int64_t SimLoop::nextWakeUs(std::int64_t now) const {
    std::int64_t wake = now + 500'000;
    if (m_phase == Phase::Sending) wake = std::min(wake, m_txDueUs);
    if (m_phase == Phase::Gap && !m_parser.inFrame()) wake = std::min(wake, m_gapUntilUs);
    if (m_phase == Phase::Paused) wake = std::min(wake, m_pauseUntilUs);
    if (const auto d = m_parser.deadline()) wake = std::min(wake, *d);
    return wake;
}

void SimLoop::step(std::int64_t now) {
    std::vector<HostFrame> expired;
    m_parser.expire(now, expired);
    for (const auto& f : expired) handleFrame(f, now);
    if (m_phase == Phase::Paused && now >= m_pauseUntilUs) {
        m_phase = Phase::Gap;
        m_gapUntilUs = now;
        m_nextFrameUs = now;
    }
    if (m_phase == Phase::Sending) sendDueBytes(now);
    // A command that began in the gap holds the next frame back until it is complete.
    if (m_phase == Phase::Gap && now >= m_gapUntilUs && !m_parser.inFrame()) startFrame(now);
}

void SimLoop::startFrame(std::int64_t now) {
    m_nextFrameUs = now + m_settings.timing.periodUs;
    if (m_faults.silence) {
        m_gapUntilUs = m_nextFrameUs;
        return;
    }
    const double seconds = static_cast<double>(now - m_startUs) / 1e6;
    auto frame = m_engine.nextFrame(seconds);
    if (frame.reply && m_faults.skipRepliesNext > 0) {
        // The answer is lost inside the transducer: the host sees an ordinary measurement.
        --m_faults.skipRepliesNext;
        m_log.record(now, "tx", "reply", "skipped", false, frame.data, {});
        frame = m_engine.nextFrame(seconds);
    }
    protocol::Bytes wire = protocol::BuildDeviceFrame(frame.data);
    const bool damaged = corrupt(wire);
    ++(frame.reply ? m_stats.replies : m_stats.frames);
    m_log.record(now, "tx", frame.reply ? "reply" : "frame", damaged ? "corrupted" : "sent", false, frame.data, wire);
    startSending(std::move(wire), now);
}

void SimLoop::startSending(protocol::Bytes wire, std::int64_t now) {
    m_tx = std::move(wire);
    m_txNext = 0;
    // A byte reaches the host when its stop bit is over, one character time after it starts.
    m_txDueUs = now + m_settings.timing.charUs;
    m_phase = Phase::Sending;
}

void SimLoop::sendDueBytes(std::int64_t now) {
    while (m_txNext < m_tx.size() && m_txDueUs <= now) {
        if (!m_port.writeByte(m_tx[m_txNext])) Trace(kTag, "write to the pty failed");
        ++m_txNext;
        // Late by more than a frame (the machine was busy): carry on from now, no burst.
        m_txDueUs = std::max(m_txDueUs, now - 10 * m_settings.timing.charUs) + m_settings.timing.charUs;
    }
    if (m_txNext < m_tx.size()) return;
    const std::int64_t end = now;
    if (m_acksQueued > 0) {  // commands taken at once while the frame went out: answer them now
        --m_acksQueued;
        acknowledge(end);
        return;
    }
    openGap(end);
}

void SimLoop::openGap(std::int64_t txEnd) {
    m_phase = Phase::Gap;
    m_listenUntilUs = txEnd + m_settings.timing.minGapUs;
    m_gapUntilUs = std::max(m_nextFrameUs, m_listenUntilUs);
}

// Between frames the transducer takes a command; strictly, only within the listening gap after
// what it sent last, even when the next frame is not yet due.
bool SimLoop::listening(std::int64_t now) const {
    return m_phase == Phase::Gap && (!m_faults.strictGap || now <= m_listenUntilUs);
}

void SimLoop::acknowledge(std::int64_t now) {
    protocol::Bytes wire(protocol::kAckFrame.begin(), protocol::kAckFrame.end());
    const bool damaged = corrupt(wire);
    ++m_stats.acks;
    m_log.record(now, "tx", "ack", damaged ? "corrupted" : "sent", false, {}, wire);
    startSending(std::move(wire), now);
}

bool SimLoop::corrupt(protocol::Bytes& wire) {
    if (m_faults.corruptRate <= 0.0 || std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) >= m_faults.corruptRate)
        return false;
    // One bit of one plain byte (not an escape, not escaped, not becoming special): the damage
    // changes exactly one value, so the frame's check is certain to fail and framing survives.
    std::vector<std::size_t> plain;
    for (std::size_t i = 1; i + 1 < wire.size(); ++i)
        if (wire[i] != protocol::kEsc && wire[i - 1] != protocol::kEsc) plain.push_back(i);
    if (plain.empty()) return false;
    const std::size_t at = plain[std::uniform_int_distribution<std::size_t>(0, plain.size() - 1)(m_rng)];
    for (int tries = 0; tries < 8; ++tries) {
        const auto damaged = static_cast<std::uint8_t>(wire[at] ^ (1u << std::uniform_int_distribution<int>(0, 7)(m_rng)));
        if (protocol::NeedsEscape(damaged)) continue;
        wire[at] = damaged;
        ++m_stats.corrupted;
        return true;
    }
    return false;
}

void SimLoop::readLine(std::int64_t now) {
    std::uint8_t buf[512];
    const ssize_t n = ::read(m_port.masterFd(), buf, sizeof buf);
    if (n <= 0) return;  // EAGAIN, or EIO while no slave is open: nothing to take
    std::vector<HostFrame> frames;
    for (ssize_t i = 0; i < n; ++i) {  // a command handled may close the gap for the next one
        m_parser.feed(buf[i], now, listening(now), frames);
        for (const auto& f : frames) handleFrame(f, now);
        frames.clear();
    }
}

void SimLoop::handleFrame(const HostFrame& f, std::int64_t now) {
    if (f.noise) {
        m_log.record(f.startUs, "rx", "noise", "ignored", f.startedInGap, {}, f.wire, "bytes outside a frame");
        return;
    }
    if (f.status != FrameStatus::Ok) {
        ++m_stats.invalid;
        m_log.record(f.startUs, "rx", "command", "invalid", f.startedInGap, {}, f.wire, FrameStatusText(f.status));
        return;
    }
    const bool immediate = (f.data[0] & 0x80) != 0;
    const char* why = nullptr;
    if (m_faults.silence) why = "silent";
    else if (m_phase == Phase::Paused || m_phase == Phase::Unplugged) why = "restarting";
    else if (!f.startedInGap && (!immediate || m_faults.strictGap)) why = "outside the gap";
    if (why != nullptr) {
        ++m_stats.ignored;
        m_log.record(f.startUs, "rx", "command", "ignored", f.startedInGap, f.data, f.wire, why);
        return;
    }
    const CommandResult r = m_engine.execute(f.data);
    ++(r.accepted ? m_stats.accepted : m_stats.refused);
    m_log.record(f.startUs, "rx", "command", r.accepted ? "accepted" : "refused", f.startedInGap, f.data, f.wire, r.note);
    Trace(kTag, std::string(r.accepted ? "accepted " : "refused ") + HexText(f.data, ' ') + " " + r.note);
    if (r.reset) {
        m_engine.reset();
        m_tx.clear();
        m_acksQueued = 0;
        m_phase = Phase::Paused;
        m_pauseUntilUs = now + m_settings.timing.resetUs;
        m_log.mark(now, "event", "reset", {});
        return;
    }
    if (!r.ack) return;
    bool drop = false;
    if (m_faults.dropAckNext > 0) {
        --m_faults.dropAckNext;
        drop = true;
    } else if (m_faults.dropAckRate > 0.0) {
        drop = std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) < m_faults.dropAckRate;
    }
    if (drop) {
        ++m_stats.acksDropped;
        const protocol::Bytes wire(protocol::kAckFrame.begin(), protocol::kAckFrame.end());
        m_log.record(now, "tx", "ack", "dropped", false, {}, wire);
        return;
    }
    if (m_phase == Phase::Sending) ++m_acksQueued;
    else acknowledge(now);
}

std::string SimLoop::stats() const {
    const auto& s = m_stats;
    return "frames=" + std::to_string(s.frames) + " replies=" + std::to_string(s.replies) +
           " acks=" + std::to_string(s.acks) + " acks-dropped=" + std::to_string(s.acksDropped) +
           " corrupted=" + std::to_string(s.corrupted) + " accepted=" + std::to_string(s.accepted) +
           " ignored=" + std::to_string(s.ignored) + " refused=" + std::to_string(s.refused) +
           " invalid=" + std::to_string(s.invalid) +
           " checksums=" + (ChecksumsValid(m_engine.memory()) ? "ok" : "bad");
}

std::string SimLoop::control(std::string_view line) {
    const std::int64_t now = SteadyNowUs();
    ControlReply r = InterpretControl(line, m_engine, m_faults);
    Trace(kTag, "control: " + std::string(line) + " -> " + r.text);
    switch (r.action) {
    case ControlAction::None: return r.text;
    case ControlAction::Unplug:
        m_port.close();
        m_parser.reset();
        m_tx.clear();
        m_acksQueued = 0;
        m_phase = Phase::Unplugged;
        m_log.mark(now, "event", "unplug", {});
        return "ok";
    case ControlAction::Replug: {
        if (m_port.isOpen()) return "ok " + m_port.slavePath();
        if (auto st = m_port.open(); !st) return "error " + st.error().message;
        // The adapter powers the transducer: plugged in again, it starts afresh, out of service mode.
        m_engine.reset();
        m_phase = Phase::Gap;
        m_nextFrameUs = now;
        m_gapUntilUs = now;
        m_log.mark(now, "event", "replug", m_port.slavePath());
        printSlavePath(m_port.slavePath());
        return "ok " + m_port.slavePath();
    }
    case ControlAction::SlavePath:
        return m_port.isOpen() ? "ok " + m_port.slavePath() : "error unplugged";
    case ControlAction::Stats: return "ok " + stats();
    case ControlAction::SaveMemory: {
        if (!m_settings.memoryFile) return "error no --memory file";
        const auto st = m_engine.memory().save(*m_settings.memoryFile);
        return st ? "ok" : "error " + st.error().message;
    }
    case ControlAction::Mark: m_log.mark(now, "mark", "mark", r.argument); return r.text;
    case ControlAction::Quit: m_quit = true; return r.text;
    }
    return r.text;
}

void SimLoop::shutdown() {
    const std::int64_t now = SteadyNowUs();
    if (m_settings.memoryFile) {
        if (auto st = m_engine.memory().save(*m_settings.memoryFile); !st)
            std::fprintf(stderr, "r4860-sim: %s\n", st.error().message.c_str());
    }
    m_log.mark(now, "event", "stop", {});
    m_control.close();
    m_port.close();
    m_port.removeLink();
}

}  // namespace r4860::sim
