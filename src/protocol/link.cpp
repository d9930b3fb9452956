#include "protocol/link.h"

#include "protocol/frame_codec.h"
#include "protocol/listener.h"

namespace r4860::protocol {

namespace {
constexpr std::size_t kStatusB = 8;             // data byte 8 of a measurement frame
constexpr std::uint8_t kNewAverageBit = 0x20;
constexpr std::uint8_t kLargeErrorBit = 0x40;
}  // namespace

Link::~Link() { StopLink(*this); }

void Link::StoreLatestFrame(const FrameBuffer& frame) {
    std::lock_guard lock(m_frameMutex);
    m_latest = frame;
    if (frame[0] == kReplyLength) {
        m_newAverageLatch = m_newAverageLatch || (frame[kStatusB] & kNewAverageBit) != 0;
        m_largeErrorLatch = m_largeErrorLatch || (frame[kStatusB] & kLargeErrorBit) != 0;
    }
    SampleConsumed.store(false, std::memory_order_release);
}

bool Link::TakeLatestFrame(TakenFrame& out) {
    std::lock_guard lock(m_frameMutex);
    if (!ListenerRunning.load(std::memory_order_acquire) || !SampleValid.load(std::memory_order_acquire) ||
        SampleConsumed.load(std::memory_order_acquire))
        return false;
    out.frame = m_latest;
    out.newAverage = std::exchange(m_newAverageLatch, false);
    out.largeError = std::exchange(m_largeErrorLatch, false);
    SampleConsumed.store(true, std::memory_order_release);
    return true;
}

void Link::ClearLatestFrame() {
    std::lock_guard lock(m_frameMutex);
    m_latest.fill(0);
    m_newAverageLatch = false;
    m_largeErrorLatch = false;
}

void Link::ResetExchangeState() {
    CommandPending.store(false, std::memory_order_release);
    LinkReady.store(false, std::memory_order_release);
    LastSendOk.store(true, std::memory_order_release);
    SampleValid.store(false, std::memory_order_release);
    SampleConsumed.store(true, std::memory_order_release);
}

void Link::SetCodeVersion(std::string text) {
    std::lock_guard lock(m_codeVersionMutex);
    m_codeVersion = std::move(text);
}

std::string Link::CodeVersion() const {
    std::lock_guard lock(m_codeVersionMutex);
    return m_codeVersion;
}

Link& TheLink() {
    static Link link;
    return link;
}

}  // namespace r4860::protocol
