// Lost acknowledgements against a transducer that listens only briefly after each frame: the
// resend of every transfer must start inside that gap, not after a frame that waited in the input.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "protocol/transfer_job.h"
#include "support/sim_on_pty.h"

namespace r4860::protocol {
namespace {

using testing::SimLogEntry;

// Runs one transfer and drops the acknowledgement of the next command once a fifth of it is done.
TransferResult runDroppingOneAck(Link& link, testing::SimOnPty& sim, TransferWorker worker,
                                 const model::ConfigImage& image) {
    bool armed = true;   // the job's own thread is the only one to look at it
    TransferCallbacks callbacks;
    callbacks.progress = [&](int percent, const std::string&) {
        if (armed && percent >= 20) {
            armed = false;
            sim.control("drop-acks next 1");
        }
    };
    TransferJob job(link, TransferRequest{std::move(worker), image, "Transfer", false}, callbacks);
    return job.wait();
}

struct LineTiming {
    const char* name;
    std::vector<std::string> args;
    bool strict;
};

enum class Kind { Read, FullWrite, IdTagWrite, Verification };
struct TransferCase {
    const char* name;
    Kind kind;
};

// The line since the mark, for the message of a failed expectation.
std::string lineText(const std::vector<SimLogEntry>& line) {
    std::string text;
    char buf[80];
    for (const auto& e : line) {
        std::snprintf(buf, sizeof buf, "\n%10.1f ms %s %s %s%s %s", e.timeUs / 1000.0, e.dir.c_str(), e.kind.c_str(),
                      e.outcome.c_str(), e.inGap ? " gap" : "", e.note.c_str());
        text += buf;
    }
    return text;
}

std::vector<SimLogEntry> sinceMark(const std::vector<SimLogEntry>& log, const std::string& mark) {
    auto from = log.begin();
    for (auto it = log.begin(); it != log.end(); ++it)
        if (it->dir == "mark" && it->note == mark) from = it;
    return {from, log.end()};
}

int count(const std::vector<SimLogEntry>& line, const char* dir, const char* kind, const char* outcome) {
    int n = 0;
    for (const auto& e : line) n += e.dir == dir && e.kind == kind && e.outcome == outcome;
    return n;
}

bool sameBytes(const std::vector<std::uint8_t>& memory, const model::ConfigImage& image, int first, int last) {
    for (int a = first; a <= last; ++a)
        if (memory.at(a) != image[a]) return false;
    return true;
}

// What the transfer must leave: a read's image equal to the memory, a write's bytes in it.
void expectLanded(Kind kind, const std::vector<std::uint8_t>& memory, const model::ConfigImage& image,
                  const model::ConfigImage& edited, const std::string& mark) {
    switch (kind) {
    case Kind::Read:
        for (const auto& r : kDisplayReadRanges) EXPECT_TRUE(IsEmpty(r) || sameBytes(memory, image, r.first, r.last)) << mark;
        break;
    case Kind::FullWrite:
        for (const auto& r : model::layout::kFullWriteRanges) EXPECT_TRUE(sameBytes(memory, edited, r.first, r.last)) << mark;
        break;
    case Kind::IdTagWrite:
        EXPECT_TRUE(sameBytes(memory, edited, model::layout::kIdTagWriteRange.first, model::layout::kIdTagWriteRange.last))
            << mark;
        break;
    case Kind::Verification:
        EXPECT_TRUE(model::VerifyDifferences(model::TakeSnapshot(edited), image).empty()) << mark;
        break;
    }
}

TEST(GapTiming, ALostAcknowledgementIsResentInsideTheGapInEveryTransfer) {
    UseEnglishTable();
    const LineTiming timings[] = {
        {"37 ms period, 10 ms gap, strict",
         {"--period-ms", "37", "--gap-ms", "10", "--strict", "--realtime"},
         true},
        {"default timing", {}, false},
    };
    const TransferCase transfers[] = {{"read", Kind::Read},
                                      {"full write", Kind::FullWrite},
                                      {"ID-tag write", Kind::IdTagWrite},
                                      {"verification", Kind::Verification}};
    for (const auto& timing : timings) {
        testing::SimOptions options;
        options.extraArgs = timing.args;
        testing::SimOnPty sim(options);
        ASSERT_TRUE(sim.ok()) << sim.startError();
        Link link;
        auto started = link.startOnPath(sim.slavePath(), kDefaultBaudIndex);
        ASSERT_TRUE(started) << started.error().message;
        MeasurementSample sample;
        ASSERT_TRUE(WaitNewSample(link, sample) || WaitNewSample(link, sample)) << timing.name;

        model::ConfigImage image = RunTransferBlocking(link, {ReadWorker(kDisplayReadRanges), {}, "Transfer", false}).image;
        model::ConfigRecord rec;
        model::DecodeImage(image, rec);
        rec.Informacje.kod = "GAP-37";
        model::EncodeOptions encode;
        encode.today = 46000;
        ASSERT_TRUE(model::EncodeImage(rec, image, encode));
        const model::ConfigImage edited = image;

        for (const auto& transfer : transfers) {
            const std::string mark = std::string(timing.name) + " / " + transfer.name;
            sim.control("log-mark " + mark);
            // What a read must bring is cleared first; a verification keeps the rest of the image.
            image = transfer.kind == Kind::Verification ? edited : model::ConfigImage{};
            for (const auto& r : kVerifyReadRanges)
                for (int a = r.first; !IsEmpty(r) && a <= r.last; ++a) image[a] = 0;
            TransferResult result;
            switch (transfer.kind) {
            case Kind::Read: result = runDroppingOneAck(link, sim, ReadWorker(kDisplayReadRanges), image); break;
            case Kind::FullWrite: result = runDroppingOneAck(link, sim, FullWriteWorker(), edited); break;
            case Kind::IdTagWrite: result = runDroppingOneAck(link, sim, IdTagWriteWorker(), edited); break;
            case Kind::Verification: result = runDroppingOneAck(link, sim, ReadWorker(kVerifyReadRanges), image); break;
            }
            const bool ok = result.ok();
            image = result.image;
            const auto line = sinceMark(sim.log(), mark);
            const auto memory = sim.memory();
            EXPECT_TRUE(ok) << mark << lineText(line);
            EXPECT_EQ(count(line, "tx", "ack", "dropped"), 1) << mark << ": the fault was not injected";
            // The transducer ignores a command outside its gap; sending after a frame that had
            // waited in the input puts every resend of a lost acknowledgement there, ten times over.
            if (timing.strict) {
                EXPECT_LE(count(line, "rx", "command", "ignored"), 1) << mark << lineText(line);
            }
            ASSERT_EQ(memory.size(), image.size());
            expectLanded(transfer.kind, memory, image, edited, mark);
        }
    }
}

}  // namespace
}  // namespace r4860::protocol
