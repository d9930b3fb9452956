#include "link/serial_port.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/serial.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>

#include "common/trace.h"
#include "link/ftdi_check.h"
#include "link/port_path.h"

namespace r4860::link {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::string_view kTag = "link";
constexpr auto kReviveInterval = 1s;
constexpr auto kSettlePause = 250ms;
constexpr auto kAbortWait = 10s;
constexpr std::size_t kDrainLimit = 1024;
constexpr std::uint32_t kWriteBlockingErrors = kCeIoe | kCeBreak | kCeFrame;
constexpr std::uint32_t kWaitErrors = kCeIoe | kCeFrame | kCeOverrun | kCeRxOver;
constexpr std::uint32_t kReadErrors = kCeIoe | kCeFrame | kCeOverrun;

// What a pseudo-terminal or a plain driver does not have: not a failure of the link.
bool isUnsupported(int err) { return err == ENOTTY || err == EINVAL || err == EOPNOTSUPP || err == ENOSYS; }
// The device has gone away (adapter unplugged, pseudo-terminal master closed).
bool isGone(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

Error osError(const std::string& what, int err) { return makeError(Errc::Io, what + ": " + std::strerror(err)); }

speed_t speedFor(int baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

// What is left until `deadline` for ppoll; a whole-millisecond poll() would round every short
// wait up, and at 4800 baud that is half a character per wait.
timespec remaining(Clock::time_point deadline) {
    const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const auto secs = std::chrono::floor<std::chrono::seconds>(left);
    return {static_cast<time_t>(secs.count()),
            static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - secs).count())};
}

Clock::duration charSpan(const CharTimes& times) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(times.charTime));
}

std::string kernelNameOf(const std::string& path) {
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) == nullptr) return {};
    return std::filesystem::path(real).filename().string();
}

}  // namespace

CharTimes CharTimesForBaud(int baud) noexcept {
    CharTimes t;
    if (baud <= 0) return t;
    t.charTime = 10000.0 / baud;
    t.charTimeMs = static_cast<std::uint8_t>(std::min(255.0, std::ceil(t.charTime)));
    t.twoCharTimeMs = static_cast<unsigned>(std::ceil(2.0 * t.charTime));
    return t;
}

Result<std::unique_ptr<SerialPort>> SerialPort::Create(int comNumber, std::filesystem::path portsFolder,
                                                      PortProblem* why) {
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->m_comNumber = comNumber;
    port->m_portsFolder = std::move(portsFolder);
    std::error_code ec;
    const auto entry = port->m_portsFolder / ("COM" + std::to_string(comNumber));
    port->m_fromFolder = !port->m_portsFolder.empty() &&
                         std::filesystem::exists(std::filesystem::symlink_status(entry, ec));
    if (auto opened = port->openDevice(); !opened) {
        if (why) *why = port->m_problem;
        return opened.error();
    }
    return port;
}

Result<std::unique_ptr<SerialPort>> SerialPort::OpenPath(std::string devicePath, PortProblem* why) {
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->m_path = std::move(devicePath);
    if (auto opened = port->openDevice(); !opened) {
        if (why) *why = port->m_problem;
        return opened.error();
    }
    return port;
}

Status SerialPort::openDevice() {
    const auto fail = [this](PortProblem problem, Error error) {
        m_problem = problem;
        return error;
    };
    std::string path = m_path;
    if (m_comNumber != 0) {
        auto resolved = ResolvePortPath(m_comNumber, m_portsFolder);
        if (!resolved) return fail(PortProblem::Missing, resolved.error());
        path = std::move(*resolved);
    }
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return fail(PortProblemOfErrno(errno), osError(path, errno));
    if (!::isatty(fd.get()))
        return fail(PortProblem::NotSerial, makeError(Errc::BadArgument, path + ": not a serial port"));
    // TIOCEXCL keeps other programs out; root passes it, so the advisory lock says "busy" too.
    if (::ioctl(fd.get(), TIOCEXCL) != 0 && !isUnsupported(errno))
        return fail(PortProblemOfErrno(errno), osError(path, errno));
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(PortProblem::Busy, makeError(Errc::Io, path + ": device or resource busy"));

    const FtdiInfo ftdi = CheckFtdiAdapter(kernelNameOf(path));
    if (!m_wake.valid()) {
        UniqueFd wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        if (!wake.valid()) return fail(PortProblem::Failed, osError("eventfd", errno));
        m_wake = std::move(wake);
    }
    {
        std::lock_guard lock(m_fdMutex);
        m_fd = std::move(fd);
    }
    m_path = std::move(path);
    m_ftdi = ftdi.isFtdi;
    m_buffer.clear();
    m_head = 0;
    forgetArrivals();
    m_haveCounts = false;
    m_noCounts = false;
    m_online.store(true, std::memory_order_release);
    if (TraceEnabled())
        Trace(kTag, "opened " + m_path + (m_ftdi ? " (FTDI, latency " + std::to_string(ftdi.latencyBefore) + " ms)" : ""));
    return {};
}

SerialPort::~SerialPort() {
    interrupt();
    std::lock_guard lock(m_fdMutex);
    if (!m_fd.valid()) return;
    const int fd = m_fd.get();
    // Let the break be seen on the line before the modem lines drop.
    std::this_thread::sleep_until(m_breakSince + 100ms);
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIC, &lines);
    if (::ioctl(fd, TIOCCBRK) != 0) (void)::ioctl(fd, TIOCCBRK);
    // The exclusive mode belongs to the terminal, not to this descriptor: it outlives our close
    // whenever another holder keeps the terminal open (the emulator's own side of a pty), and
    // would refuse the next program of an ordinary user as "busy".
    (void)::ioctl(fd, TIOCNXCL);
    m_fd.reset();
}

Status SerialPort::Configure(int baud) {
    if (speedFor(baud) == B0) return makeError(Errc::BadArgument, std::to_string(baud) + " baud is not a serial rate");
    m_baud = baud;
    m_times = CharTimesForBaud(baud);
    if (auto applied = applyTermios(baud); !applied) return applied;
    pause(kSettlePause);
    return {};
}

Status SerialPort::applyTermios(int baud) {
    const int fd = m_fd.get();
    if (fd < 0) return makeError(Errc::Io, m_path + ": port not open");
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return osError(m_path + ": tcgetattr", errno);
    ::cfmakeraw(&t);                                     // binary: no echo, no line editing, no mapping
    t.c_cflag |= CLOCAL | CREAD | CS8;                   // ignore carrier; receiver on
    t.c_cflag &= ~(PARENB | CSTOPB | CRTSCTS | HUPCL);   // 8N1, no flow control, lines kept on close
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // O_NONBLOCK keeps read() from waiting (poll() has decided); VMIN=1 makes an empty queue
    // EAGAIN, so that a read of 0 bytes means only one thing: the device hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, speedFor(baud));
    ::cfsetospeed(&t, speedFor(baud));
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return osError(m_path + ": tcsetattr", errno);

    int lines = TIOCM_DTR | TIOCM_RTS;   // the transducer's interface is powered from them
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && !isUnsupported(errno)) return osError(m_path + ": TIOCMBIS", errno);
    if (!purgeInput()) return osError(m_path + ": tcflush", errno);

    // The answer must fall into the transducer's short gap: ask the driver to pass each byte on.
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd, TIOCSSERIAL, &serial) != 0 && !isUnsupported(errno) && errno != EPERM)
            return osError(m_path + ": low latency", errno);
    } else if (!isUnsupported(errno)) {
        return osError(m_path + ": TIOCGSERIAL", errno);
    }
    (void)ClearCommError();   // the error counts start from here
    return {};
}

Result<CommStatus> SerialPort::ClearCommError() {
    const int fd = m_fd.get();
    if (fd < 0 || !m_online.load(std::memory_order_acquire)) return makeError(Errc::Io, m_path + ": device gone");
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) {
        const int err = errno;
        if (isGone(err)) markLost();
        return osError(m_path + ": FIONREAD", err);
    }
    return errorWord(static_cast<std::size_t>(std::max(waiting, 0)));
}

Result<CommStatus> SerialPort::errorWord(std::size_t kernelQueued) {
    const int fd = m_fd.get();
    if (fd < 0 || !m_online.load(std::memory_order_acquire)) return makeError(Errc::Io, m_path + ": device gone");
    CommStatus status;
    serial_icounter_struct counts{};
    if (m_noCounts) {
        // nothing to count: the error word stays 0
    } else if (::ioctl(fd, TIOCGICOUNT, &counts) == 0) {
        const auto now = [](int v) { return static_cast<std::uint32_t>(v); };
        if (m_haveCounts) {
            if (now(counts.frame) != m_frameCount) status.errors |= kCeFrame;
            if (now(counts.overrun) != m_overrunCount) status.errors |= kCeOverrun;
            if (now(counts.brk) != m_breakCount) status.errors |= kCeBreak;
            if (now(counts.buf_overrun) != m_bufOverrunCount) status.errors |= kCeRxOver;
        }
        m_frameCount = now(counts.frame);
        m_overrunCount = now(counts.overrun);
        m_breakCount = now(counts.brk);
        m_bufOverrunCount = now(counts.buf_overrun);
        m_haveCounts = true;
    } else if (isGone(errno)) {
        const int err = errno;
        markLost();
        return osError(m_path + ": TIOCGICOUNT", err);
    } else if (isUnsupported(errno)) {
        m_noCounts = true;   // asked once per open: this is called for every byte
    }
    status.queued = kernelQueued + buffered();
    return status;
}

void SerialPort::markLost() {
    {
        std::lock_guard lock(m_fdMutex);
        m_fd.reset();
    }
    const bool wasOnline = m_online.exchange(false, std::memory_order_acq_rel);
    m_buffer.clear();
    m_head = 0;
    forgetArrivals();
    m_lastReviveAttempt = Clock::now();
    if (wasOnline && TraceEnabled()) Trace(kTag, m_path + ": device gone");
}

bool SerialPort::reviveIfDue() {
    if (aborting() || Clock::now() - m_lastReviveAttempt < kReviveInterval) return false;
    m_lastReviveAttempt = Clock::now();
    if (m_comNumber != 0 && m_fromFolder) {
        // The folder's link is gone while the emulator or adapter is away; do not fall back to
        // the built-in port of the same number.
        std::error_code ec;
        const auto entry = m_portsFolder / ("COM" + std::to_string(m_comNumber));
        if (!std::filesystem::exists(std::filesystem::symlink_status(entry, ec))) return false;
    }
    if (!openDevice()) return false;
    if (auto configured = Configure(m_baud); !configured) {
        if (TraceEnabled()) Trace(kTag, configured.error().message);
        markLost();
        return false;
    }
    m_reopens.fetch_add(1, std::memory_order_relaxed);
    if (TraceEnabled()) Trace(kTag, m_path + ": reopened");
    return !aborting();
}

bool SerialPort::fill() {
    const int fd = m_fd.get();
    if (fd < 0) return false;
    if (m_head > 0 && m_head == m_buffer.size()) {
        m_buffer.clear();
        m_head = 0;
    }
    std::uint8_t chunk[256];
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            m_buffer.insert(m_buffer.end(), chunk, chunk + n);
            got += static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(n) < sizeof chunk) break;
            continue;
        }
        if (n == 0) {   // a hung-up tty reads as end of file
            markLost();
            return false;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) break;
        if (isGone(errno)) markLost();
        return false;
    }
    // The queue is empty now. What came since it was last seen empty arrived after that moment,
    // and at the line's pace the newest byte no sooner than one character time per byte before it.
    const auto now = Clock::now();
    if (got > 0)
        m_newestNotBefore = std::min(now, m_emptyAt + charSpan(m_times) * static_cast<long>(got - 1));
    m_emptyAt = now;
    return true;
}

void SerialPort::forgetArrivals() {
    m_emptyAt = {};
    m_newestNotBefore = {};
}

SerialPort::Wait SerialPort::pollFor(short events, Clock::time_point deadline) {
    for (;;) {
        if (aborting()) return Wait::Aborted;
        const int fd = m_fd.get();
        if (fd < 0) return Wait::Failed;
        pollfd fds[] = {{fd, events, 0}, {m_wake.get(), POLLIN, 0}};
        const timespec left = remaining(deadline);
        const int n = ::ppoll(fds, 2, &left, nullptr);
        if (n < 0 && errno == EINTR) continue;   // a signal is neither data nor a time-out
        if (n < 0) return Wait::Failed;
        if (fds[1].revents & POLLIN) return Wait::Aborted;   // stays set until the owner drains it
        if (n == 0) return Wait::TimedOut;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            markLost();
            return Wait::Failed;
        }
        if (fds[0].revents & events) {
            // Every wait for input follows a read that emptied the queue, and this thread runs at
            // real-time priority: what ends the wait has come just now.
            if (events & POLLIN) m_emptyAt = Clock::now();
            return Wait::Ready;
        }
    }
}

bool SerialPort::endBuffered() const {
    return std::find(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_head), m_buffer.end(), kEnd) !=
           m_buffer.end();
}

// Bytes of the frame at the first START still to come: by its length byte once that is in,
// before that `frameBytes`; 0 when there is no frame of the transducer to go by.
std::size_t SerialPort::bytesStillExpected(std::size_t frameBytes) const {
    const auto begin = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_head);
    const auto start = std::find(begin, m_buffer.end(), kStart);
    const auto have = static_cast<std::size_t>(m_buffer.end() - start);
    if (have == 0 || (have >= 2 && start[1] != kDeviceAddress)) return 0;
    std::size_t whole = frameBytes;
    if (have >= 3) whole = start[2] == kReplyLength ? kReplyFrameBytes : start[2] == 0 ? kAckFrameBytes : 0;
    return whole > have ? whole - have : 0;
}

bool SerialPort::WaitForInput(std::chrono::milliseconds timeout, std::size_t frameBytes) {
    if (aborting()) return false;
    if (!m_online.load(std::memory_order_acquire) && !reviveIfDue()) {
        pause(timeout);   // the device is away: keep the caller's rhythm instead of spinning
        return false;
    }
    auto status = ClearCommError();
    if (!status) {
        (void)purgeInput();
        pause(10ms);
        return false;
    }
    if (status->errors & kCeBreak) return false;
    if (status->queued > kInputQueueLimit) return true;
    if (status->errors & kWaitErrors) return false;

    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (!fill()) return false;
        if (buffered() > 0) {
            if (!gatherFrame(frameBytes)) return false;
            if (!m_ftdi || endBuffered()) return !aborting();
        }
        if (pollFor(POLLIN, deadline) != Wait::Ready) return false;
    }
}

// The line brings one byte per character time. Rather than waking for each, sleep until the
// frame's last byte is due and look once; only a frame running late, or bytes that are no frame
// of the transducer, are followed byte by byte, until END, a full queue, or two character times
// without a byte. END is still seen within a fraction of a character time of its arrival.
bool SerialPort::gatherFrame(std::size_t frameBytes) {
    const auto quiet = 2 * charSpan(m_times);
    while (!endBuffered() && buffered() <= kInputQueueLimit) {
        const std::size_t seen = buffered();
        if (const std::size_t expected = bytesStillExpected(frameBytes); expected > 0) {
            sleepFor(charSpan(m_times) * static_cast<long>(expected));
            if (aborting() || !fill()) return false;
            if (buffered() > seen) continue;
        }
        const Wait waited = pollFor(POLLIN, Clock::now() + quiet);
        if (waited == Wait::TimedOut) break;
        if (waited != Wait::Ready || !fill()) return false;
    }
    return !aborting();
}

bool SerialPort::ReadByte(std::uint8_t& byte) {
    if (aborting() || !m_online.load(std::memory_order_acquire)) return false;
    // Bytes already taken from the device need no count of the device's queue; falling behind
    // still shows, at the next wait or the next read that finds nothing buffered.
    auto status = buffered() > 0 ? errorWord(0) : ClearCommError();
    if (!status) return false;
    if (status->errors & kCeBreak) return false;
    // With an FTDI adapter the wait ended on END, so nothing queued means an incomplete frame.
    if (m_ftdi && status->queued == 0) return false;
    if ((status->errors & kCeRxOver) || status->queued > kInputQueueLimit) {
        (void)DrainInput();
        return false;
    }
    if (status->errors & kReadErrors) {
        (void)purgeInput();
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(4 * m_times.charTimeMs);
    for (;;) {
        if (buffered() == 0 && !fill()) return false;
        if (m_head < m_buffer.size()) {
            byte = m_buffer[m_head++];
            return true;
        }
        if (pollFor(POLLIN, deadline) != Wait::Ready) return false;
    }
}

bool SerialPort::DrainInput() {
    std::size_t discarded = 0;
    while (discarded < kDrainLimit) {
        if (aborting() || !fill()) return false;
        const std::size_t available = m_buffer.size() - m_head;
        if (available == 0) break;
        const std::size_t take = std::min(available, kDrainLimit - discarded);
        m_head += take;
        discarded += take;
        auto status = ClearCommError();
        if (!status || status->errors != 0) break;
    }
    return !aborting();
}

bool SerialPort::purgeInput() {
    m_buffer.clear();
    m_head = 0;
    forgetArrivals();
    std::lock_guard lock(m_fdMutex);
    const bool purged = m_fd.valid() && ::tcflush(m_fd.get(), TCIFLUSH) == 0;
    if (purged) m_emptyAt = Clock::now();
    return purged;
}

bool SerialPort::lastByteJustArrived(std::chrono::microseconds within) {
    if (aborting() || buffered() > 0 || !fill() || buffered() > 0) return false;
    return Clock::now() - m_newestNotBefore <= within;
}

bool SerialPort::purgeOutput() {
    std::lock_guard lock(m_fdMutex);
    return m_fd.valid() && ::tcflush(m_fd.get(), TCOFLUSH) == 0;
}

bool SerialPort::WriteBlock(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxWriteBlock || aborting()) return false;
    if (!m_online.load(std::memory_order_acquire) && !reviveIfDue()) return false;
    auto status = ClearCommError();
    if (!status || (status->errors & kWriteBlockingErrors)) return false;

    bool written = false;
    if (status->errors != kCeTxFull) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(bytes.size() * 2 * m_times.charTimeMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd.get(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (pollFor(POLLOUT, deadline) != Wait::Ready) break;
                continue;
            }
            if (n < 0 && isGone(errno)) markLost();
            break;
        }
        written = done == bytes.size();
    }
    if (!written) {
        // No partial frame may stay queued: the transducer would take its tail for a new frame.
        (void)purgeOutput();
        pause(100ms);
    }
    return written;
}

void SerialPort::pause(std::chrono::microseconds duration) { sleepFor(duration); }

void SerialPort::sleepFor(Clock::duration duration) {
    const auto deadline = Clock::now() + duration;
    for (;;) {
        pollfd fd{m_wake.get(), POLLIN, 0};
        if (Clock::now() >= deadline) return;
        const timespec left = remaining(deadline);
        const int n = ::ppoll(&fd, 1, &left, nullptr);
        if (n < 0 && errno == EINTR) continue;
        if (n != 0) return;   // woken (or the eventfd failed): the pause ends
    }
}

void SerialPort::idleUntil(Clock::time_point wake, int alsoFd) {
    if (aborting() || !fill() || buffered() > 0) return;
    for (;;) {
        pollfd fds[] = {{m_wake.get(), POLLIN, 0}, {alsoFd, POLLIN, 0}};
        if (Clock::now() >= wake) return;
        const timespec left = remaining(wake);
        const int n = ::ppoll(fds, alsoFd >= 0 ? 2 : 1, &left, nullptr);
        if (n < 0 && errno == EINTR) continue;
        return;
    }
}

void SerialPort::wake() {
    const std::uint64_t one = 1;
    if (m_wake.valid()) (void)!::write(m_wake.get(), &one, sizeof one);
}

void SerialPort::clearWake() {
    std::uint64_t count = 0;
    if (m_wake.valid()) (void)!::read(m_wake.get(), &count, sizeof count);
}

void SerialPort::setBreak(bool on) {
    std::lock_guard lock(m_fdMutex);
    if (!m_fd.valid()) return;
    if (on) m_breakSince = Clock::now();
    (void)::ioctl(m_fd.get(), on ? TIOCSBRK : TIOCCBRK);   // a pseudo-terminal has no break: ignored
}

void SerialPort::interrupt() {
    if (m_interrupted) return;
    m_interrupted = true;
    m_abortIo.store(true, std::memory_order_release);
    setBreak(true);
    wake();
}

bool SerialPort::AbortWorker(WorkerThread& worker) {
    m_abortIo.store(true, std::memory_order_release);
    bool result = false;
    // A port whose device has gone away still has its waits to cut short, so only an empty
    // slot skips the break-off.
    if (worker.occupied()) {
        setBreak(true);
        wake();   // every pending wait returns; the following ones fail because of the abort
        const bool ended = worker.waitEnded(kAbortWait);
        setBreak(false);
        if (ended) {
            worker.join();
            std::lock_guard lock(m_fdMutex);
            if (m_fd.valid()) (void)::tcflush(m_fd.get(), TCIOFLUSH);
        }
        clearWake();
        pause(kSettlePause);
        if (ended) {
            m_buffer.clear();
            m_head = 0;
            forgetArrivals();
            std::lock_guard lock(m_fdMutex);
            // A port whose device went away meanwhile has nothing left to purge.
            result = !m_fd.valid() || ::tcflush(m_fd.get(), TCIOFLUSH) == 0;
        }
        pause(kSettlePause);
        if (ended) {
            if (auto status = ClearCommError(); status && (status->errors & (kWaitErrors | kCeBreak)))
                (void)ClearCommError();
        }
    }
    m_abortIo.store(false, std::memory_order_release);
    return result;
}

}  // namespace r4860::link
