#include "protocol/transfer_workers.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>

#include "common/number_text.h"
#include "link/worker_thread.h"
#include "protocol/link.h"

namespace r4860::protocol {
namespace {

constexpr std::uint8_t kRead = 's', kWrite = 'D', kRegister = 'L', kReset = 'r', kOpenWrite = 0xEF;
namespace layout = model::layout;

constexpr int kLastMemoryAddress = static_cast<int>(layout::kMemorySize) - 1;
constexpr int kCodeVersionAddress = 0x8000;
constexpr int kReadRetries = 4;
constexpr int kStrayReplyRetries = 3;   // frames that answer something else
constexpr int kCodeVersionRetries = 3;

// Full write: every 4-byte block up to 0xF8 that lies in a written range, then checksum C.
constexpr int kLastBlockAddress = 0xFB;
constexpr int kWriteProgressTotal = 152;
constexpr std::uint8_t kChecksumARegister = 1, kChecksumBRegister = 2;

constexpr int kIdTagFirst = layout::kIdTagWriteRange.first;
constexpr int kIdTagLast = layout::kIdTagWriteRange.last - 3;
constexpr int kIdTagTotal = static_cast<int>(layout::kIdTagWriteRange.size());

using ReadCommand = std::array<std::uint8_t, 3>;
using BlockCommand = std::array<std::uint8_t, 8>;

ReadCommand readCommand(int address) {
    return {kRead, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF)};
}

BlockCommand blockCommand(const model::ConfigImage& image, int address) {
    return {kWrite, 4, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF),
            image[address], image[address + 1], image[address + 2], image[address + 3]};
}

bool echoes(const ReplyData& reply, int address) {
    return reply[4] == static_cast<std::uint8_t>(address >> 8) && reply[5] == static_cast<std::uint8_t>(address & 0xFF);
}

bool inWrittenRange(int address) {
    return std::any_of(layout::kFullWriteRanges.begin(), layout::kFullWriteRanges.end(),
                       [address](const auto& r) { return address >= r.first && address + 3 <= r.last; });
}

// Entries past the table count as empty, so the loop's look-ahead never reads outside it.
AddressRange rangeAt(const ReadRanges& ranges, std::size_t entry) {
    return entry < ranges.size() ? ranges[entry] : AddressRange{};
}

// The frame shared by every worker: no exception leaves it, and the running flag is cleared only
// after the outcome is fixed, with a progress signal on either side so the runner's loop ends.
int runWorker(TransferLine& line, Link& link, const std::function<bool()>& work) {
    r4860::link::RaiseThreadPriority();
    link.publishProgress(0, false, {});
    bool ok = false;
    try {
        line.DrainInput();
        ok = work();
    } catch (...) {
        ok = false;
    }
    link.signalProgress();
    const bool stillRunning = link.endTransfer();
    link.signalProgress();
    return ok && stillRunning ? r4860::link::kExitOk : r4860::link::kExitFailed;
}

// One pipelined step: request `next` and collect the reply to `previous` from the same frame.
// After a lost frame or acknowledgement, or a frame that does not echo `previous` (the request
// never reached the transducer, which sent a measurement instead), `previous` is asked for again
// before `next`.
bool readStep(TransferLine& line, ReplyData& reply, int previous, int next) {
    int lost = 0, strays = 0;
    bool received = line.ReceiveThenSend(readCommand(next), reply, true);
    for (;;) {
        if (received && echoes(reply, previous)) return true;
        if (received ? ++strays > kStrayReplyRetries : ++lost > kReadRetries) return false;
        received = line.SendAfterFrame(readCommand(previous), reply, true) &&
                   line.ReceiveThenSend(readCommand(next), reply, true);
    }
}

// The code version comes alone: its request, then its reply in the next frame. A lost or
// corrupted reply is asked for again, so a noisy line costs time, not the read.
bool readCodeVersion(TransferLine& line, Link& link, ReplyData& reply) {
    for (int attempt = 0; attempt <= kCodeVersionRetries && link.transferRunning(); ++attempt) {
        if (line.SendAfterFrame(readCommand(kCodeVersionAddress), reply, true) && line.ReceiveFrame(reply) &&
            echoes(reply, kCodeVersionAddress))
            return true;
    }
    return false;
}

bool readRanges(TransferLine& line, Link& link, const ReadRanges& ranges, model::ConfigImage& image) {
    const int total = ReadRangesTotal(ranges);
    ReplyData reply{};
    int previous = ranges[0].first;
    if (!line.SendAfterFrame(readCommand(previous), reply, true)) return false;
    int next = previous + 4;
    std::size_t entry = 0;
    int done = 0;
    int lastReported = 0;
    bool ok = true;
    do {
        // With the empty entry after the last range, `next` stays on the last block: that second
        // request only collects the answer to the first, and the loop then ends.
        if (!IsEmpty(rangeAt(ranges, entry)) || next == previous) {
            ok = readStep(line, reply, previous, next);
            if (ok) {
                std::copy_n(reply.begin(), 4, image.begin() + previous);
                done += 4;
                ReportProgress(link, done, total, lastReported);
            }
        }
        previous = next > previous ? next : previous + 1;
        if (next + 4 > rangeAt(ranges, entry).last) {
            ++entry;
            if (!IsEmpty(rangeAt(ranges, entry))) next = rangeAt(ranges, entry).first;
        } else {
            next += 4;
        }
    } while (ok && next <= kLastMemoryAddress && next >= previous && link.transferRunning());
    if (!ok || next < 7) return ok;

    if (!readCodeVersion(line, link, reply)) return false;
    std::copy_n(reply.begin(), 4, image.begin() + layout::kCodeVersion);
    return true;
}

bool writeImage(TransferLine& line, Link& link, const model::ConfigImage& image) {
    ReplyData reply{};
    const std::array<std::uint8_t, 3> open = {kOpenWrite, 0x00, 0x00};
    if (!line.SendAfterFrame(open, reply, true)) return false;

    // Progress counts the blocks written, so the bar reaches 100 % only when all is sent.
    bool ok = true;
    int written = 0;
    int lastReported = 0;
    for (int a = 0; a <= kLastBlockAddress && ok && link.transferRunning(); a += 4) {
        if (!inWrittenRange(a)) continue;
        ok = line.SendImmediate(blockCommand(image, a), reply);
        if (ok) ReportProgress(link, 4 * ++written, kWriteProgressTotal, lastReported);
    }
    if (ok && link.transferRunning()) {
        const std::uint8_t b = image[layout::kChecksumB], a = image[layout::kChecksumA];
        const std::array<std::uint8_t, 5> byteC = {kWrite, 1, 0x00, static_cast<std::uint8_t>(layout::kChecksumC),
                                                   image[layout::kChecksumC]};
        const std::array<std::uint8_t, 5> registerB = {kRegister, kChecksumBRegister, b, b, b};
        const std::array<std::uint8_t, 5> registerA = {kRegister, kChecksumARegister, a, a, a};
        ok = line.SendImmediate(byteC, reply) && line.SendImmediate(registerB, reply) &&
             line.SendImmediate(registerA, reply);
        if (ok) ReportProgress(link, kWriteProgressTotal, kWriteProgressTotal, lastReported);
    }
    if (!ok && link.transferRunning()) {
        // A half-written configuration must not stay active; an aborted write is left alone.
        const std::array<std::uint8_t, 1> reset = {kReset};
        (void)line.SendAfterFrame(reset, reply, false);
    }
    return ok;
}

bool writeUserBlock(TransferLine& line, Link& link, const model::ConfigImage& image) {
    ReplyData reply{};
    int lastReported = 0;
    for (int a = kIdTagFirst; a <= kIdTagLast && link.transferRunning(); a += 4) {
        if (!line.SendAfterFrame(blockCommand(image, a), reply, true)) return false;
        ReportProgress(link, a + 4 - kIdTagFirst, kIdTagTotal, lastReported);
    }
    return true;
}

}  // namespace

void ReportProgress(Link& link, int done, int total, int& lastReported) {
    // Halves go to the even neighbour like every rounding of the tool; a total of 0 would be a
    // caller's bug and counts as complete rather than dividing by zero.
    const int percent =
        total > 0 ? static_cast<int>(std::min<long long>(100, RoundEven(done * 100.0 / total))) : 100;
    link.publishProgress(percent, percent != lastReported, std::chrono::milliseconds(5000));
    lastReported = percent;
}

int ReadImageWorker(TransferLine& line, Link& link, const ReadRanges& ranges, model::ConfigImage& image) {
    return runWorker(line, link, [&] { return readRanges(line, link, ranges, image); });
}

int WriteImageWorker(TransferLine& line, Link& link, const model::ConfigImage& image) {
    return runWorker(line, link, [&] { return writeImage(line, link, image); });
}

int WriteUserBlockWorker(TransferLine& line, Link& link, const model::ConfigImage& image) {
    return runWorker(line, link, [&] { return writeUserBlock(line, link, image); });
}

}  // namespace r4860::protocol
