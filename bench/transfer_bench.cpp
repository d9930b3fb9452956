// Transfer figures against the emulator at real pacing: for a full read, a full write and a
// verification, the time taken, the frames it took and the ratio to what the line allows at best;
// then the same transfers with corrupted frames, counting outcomes and wrong images.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/frame_codec.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "protocol/transfer_job.h"
#include "support/sim_on_pty.h"

namespace {

using namespace r4860;
using namespace r4860::protocol;
using testing::SimLogEntry;
using Clock = std::chrono::steady_clock;

// The least the request sequence needs. A read takes one frame before its first request, one per
// block after the first plus one for the repeated last block, and two for the code version
// (25 blocks for the read, 33 for the verification); a full write waits for one frame, then its
// 40 immediate commands are limited by their acknowledgements, not by frames.
constexpr int kReadMinFrames = 1 + 25 + 2;
constexpr int kVerifyMinFrames = 1 + 33 + 2;
constexpr int kReadMinCommands = 27, kVerifyMinCommands = 35, kWriteMinCommands = 41;
constexpr double kCharMs = 10000.0 / 4800.0;
constexpr double kSendPauseMs = 1.0;   // the pause before every command frame

// The emulator paces the line at real-time priority, as a transducer's own clock would: the
// figures are then the host's, not the scheduler's on a busy machine.
testing::SimOptions realtimeEmulator() {
    testing::SimOptions options;
    options.extraArgs = {"--realtime"};
    return options;
}

struct Figures {
    bool ok = false;
    double workerMs = 0, callMs = 0;
    int frames = 0, commands = 0;
    double periodMs = 0;   // mean spacing of the transducer's frames while the worker ran
    double lineMs = 0;     // wire time of the host's commands and their acknowledgements
    double ackMs = 0;      // wire time of the acknowledgements alone plus the pause before each send
    double turnaroundMs = 0;   // mean time from an acknowledgement's END to the next command's arrival
};

class Bench {
public:
    bool start() {
        UseEnglishTable();
        if (!m_sim.ok()) return fail("emulator: " + m_sim.startError());
        if (auto s = m_link.startOnPath(m_sim.slavePath(), kDefaultBaudIndex); !s)
            return fail("link: " + s.error().message);
        MeasurementSample sample;
        for (int i = 0; i < 3; ++i)
            if (WaitNewSample(m_link, sample)) return true;
        return fail("no frames from the emulator");
    }

    double idlePeriodMs() {
        const auto from = testing::SteadyMicros();
        m_sim.waitFrames(30);
        return meanPeriodMs(framesBetween(m_sim.log(), from, testing::SteadyMicros()));
    }

    Figures read(const ReadRanges& ranges) {
        return run(ReadWorker(ranges));
    }
    Figures write() {
        return run(FullWriteWorker());
    }

    // Reads the configuration, edits it and encodes it, so the write sends a real configuration.
    bool prepareWrite() {
        if (!read(kDisplayReadRanges).ok) return false;
        model::ConfigRecord rec;
        model::DecodeImage(m_image, rec);
        rec.Informacje.kod = "BENCH";
        model::EncodeOptions options;
        options.today = 46000;
        return model::EncodeImage(rec, m_image, options).ok();
    }
    // Bytes of the image that differ from the emulator's memory over `ranges`.
    int wrongBytes(const ReadRanges& ranges) {
        const auto memory = m_sim.memory();
        int wrong = 0;
        for (const auto& r : ranges)
            for (int a = r.first; !IsEmpty(r) && a <= r.last; ++a) wrong += memory.at(a) != m_image[a];
        return wrong;
    }
    int wrongWrittenBytes() {
        const auto memory = m_sim.memory();
        int wrong = 0;
        for (const auto& r : model::layout::kFullWriteRanges)
            for (int a = r.first; a <= r.last; ++a) wrong += memory.at(a) != m_image[a];
        for (int a : {0x7E, 0x7F, 0xFC}) wrong += memory.at(a) != m_image[a];
        return wrong;
    }
    model::ConfigImage& image() { return m_image; }
    std::string control(const std::string& line) { return m_sim.control(line); }

private:
    Figures run(TransferWorker body) {
        Figures f;
        std::int64_t workerStart = 0, workerEnd = 0;
        TransferRequest request;
        request.caption = "Transfer";
        request.image = m_image;
        request.worker = [&](TransferLine& line, Link& link, model::ConfigImage& image) {
            workerStart = testing::SteadyMicros();
            const int code = body(line, link, image);
            workerEnd = testing::SteadyMicros();
            return code;
        };
        const auto callStart = Clock::now();
        const auto result = RunTransferBlocking(m_link, std::move(request));
        f.ok = result.ok();
        m_image = result.image;
        f.callMs = std::chrono::duration<double, std::milli>(Clock::now() - callStart).count();
        f.workerMs = (workerEnd - workerStart) / 1000.0;
        const auto log = m_sim.log();
        const auto frames = framesBetween(log, workerStart, workerEnd);
        f.frames = static_cast<int>(frames.size());
        f.periodMs = meanPeriodMs(frames);
        double ackEndUs = -1, turnaroundUs = 0;
        int turnarounds = 0;
        for (const auto& e : log) {
            if (e.timeUs < workerStart || e.timeUs > workerEnd) continue;
            if (e.dir == "rx" && e.kind == "command") {
                ++f.commands;
                f.lineMs += e.wire.size() * kCharMs;
                f.ackMs += kSendPauseMs;
                if (ackEndUs >= 0) {
                    turnaroundUs += static_cast<double>(e.timeUs) - ackEndUs;
                    ++turnarounds;
                }
                ackEndUs = -1;
            } else if (e.dir == "tx" && e.kind == "ack") {
                f.lineMs += e.wire.size() * kCharMs;
                f.ackMs += e.wire.size() * kCharMs;
                // Logged when its first byte is due to start: END is there one character time per byte later.
                ackEndUs = static_cast<double>(e.timeUs) + e.wire.size() * kCharMs * 1000.0;
            } else if (e.dir == "tx") {
                ackEndUs = -1;
            }
        }
        f.turnaroundMs = turnarounds > 0 ? turnaroundUs / 1000.0 / turnarounds : 0.0;
        return f;
    }

    static std::vector<std::int64_t> framesBetween(const std::vector<SimLogEntry>& log, std::int64_t from,
                                                   std::int64_t to) {
        std::vector<std::int64_t> times;
        for (const auto& e : log)
            if (e.dir == "tx" && (e.kind == "frame" || e.kind == "reply") && e.timeUs >= from && e.timeUs <= to)
                times.push_back(e.timeUs);
        return times;
    }
    static double meanPeriodMs(const std::vector<std::int64_t>& times) {
        if (times.size() < 2) return 0;
        return (times.back() - times.front()) / 1000.0 / static_cast<double>(times.size() - 1);
    }
    bool fail(const std::string& why) {
        std::fprintf(stderr, "transfer_bench: %s\n", why.c_str());
        return false;
    }

    testing::SimOnPty m_sim{realtimeEmulator()};
    Link m_link;
    model::ConfigImage m_image{};
};

// Against the frame period of an idle line and against the period the transducer kept while
// the transfer ran (it holds its next frame until 20 ms after each acknowledgement).
void printFrameLimited(const char* name, const Figures& f, int minFrames, int minCommands, double idleMs) {
    const double idleMin = minFrames * idleMs, transferMin = minFrames * f.periodMs;
    std::printf("%-13s %-4s %6.0f ms (call %5.0f)  frames %2d/%2d  retries %d  "
                "min %5.0f ms at idle %.1f ms: ratio %.3f  |  min %5.0f ms at %.1f ms: ratio %.3f\n",
                name, f.ok ? "ok" : "FAIL", f.workerMs, f.callMs, f.frames, minFrames, f.commands - minCommands,
                idleMin, idleMs, idleMin > 0 ? f.workerMs / idleMin : 0.0, transferMin, f.periodMs,
                transferMin > 0 ? f.workerMs / transferMin : 0.0);
}

// The pseudo-terminal delivers the host's bytes at once, so only the emulator's side is paced:
// one frame, then every acknowledgement after the pause before its command.
void printAckLimited(const char* name, const Figures& f, double idleMs) {
    const double minimum = idleMs + f.ackMs;
    std::printf("%-13s %-4s %6.0f ms (call %5.0f)  frames %2d/ 1  retries %d  "
                "min %5.0f ms (frame + acks): ratio %.3f  |  ack END to next command %.2f ms  |  "
                "both directions paced: %5.0f ms\n",
                name, f.ok ? "ok" : "FAIL", f.workerMs, f.callMs, f.frames, f.commands - kWriteMinCommands, minimum,
                minimum > 0 ? f.workerMs / minimum : 0.0, f.turnaroundMs, idleMs + f.lineMs);
}

}  // namespace

int main(int argc, char** argv) {
    const int cleanRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int faultyRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    Bench bench;
    if (!bench.start()) return 1;
    if (!bench.prepareWrite()) {
        std::fprintf(stderr, "transfer_bench: could not read and encode the configuration\n");
        return 1;
    }

    const double idle = bench.idlePeriodMs();
    std::printf("clean line, idle frame period %.1f ms; worker time, frames taken/needed\n", idle);
    for (int round = 0; round < cleanRounds; ++round) {
        const auto read = bench.read(kDisplayReadRanges);
        printFrameLimited("full read", read, kReadMinFrames, kReadMinCommands, idle);
        if (!bench.prepareWrite()) return 1;
        const auto write = bench.write();
        printAckLimited("full write", write, idle);
        const auto verify = bench.read(kVerifyReadRanges);
        printFrameLimited("verification", verify, kVerifyMinFrames, kVerifyMinCommands, idle);
    }

    std::printf("\n2 %% corrupted frames, %d rounds of read, write, verification\n", faultyRounds);
    bench.control("corrupt 0.02");
    int done[3] = {0, 0, 0}, failed[3] = {0, 0, 0}, wrong[3] = {0, 0, 0};
    for (int round = 0; round < faultyRounds; ++round) {
        bench.image().fill(0);
        const bool readOk = bench.read(kDisplayReadRanges).ok;
        (readOk ? done : failed)[0]++;
        if (readOk && bench.wrongBytes(kDisplayReadRanges) != 0) wrong[0]++;
        if (!readOk) continue;
        model::ConfigRecord rec;
        model::DecodeImage(bench.image(), rec);
        rec.Informacje.kod = "R" + std::to_string(round);
        model::EncodeOptions options;
        options.today = 46000;
        if (!model::EncodeImage(rec, bench.image(), options)) continue;
        const bool writeOk = bench.write().ok;
        (writeOk ? done : failed)[1]++;
        if (writeOk && bench.wrongWrittenBytes() != 0) wrong[1]++;
        if (!writeOk) continue;
        const auto saved = model::TakeSnapshot(bench.image());
        const bool verifyOk = bench.read(kVerifyReadRanges).ok;
        (verifyOk ? done : failed)[2]++;
        if (verifyOk && !model::VerifyDifferences(saved, bench.image()).empty()) wrong[2]++;
    }
    const char* names[3] = {"full read", "full write", "verification"};
    for (int i = 0; i < 3; ++i)
        std::printf("%-13s completed %3d  failed cleanly %3d  wrong image %d\n", names[i], done[i], failed[i],
                    wrong[i]);
    return 0;
}
