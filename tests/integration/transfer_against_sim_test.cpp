// Configuration transfers against the real emulator on a pseudo-terminal: what went over the
// line (the emulator's log of received frames), what landed in its memory and in the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "protocol/transfer_job.h"
#include "support/recording_ui.h"
#include "support/sim_on_pty.h"
#include "workflow/config_commands.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;
using testing::SimLogEntry;

class TransferAgainstSim : public ::testing::Test {
protected:
    void SetUp() override {
        UseEnglishTable();
        ASSERT_TRUE(sim.ok()) << sim.startError();
        auto started = link.startOnPath(sim.slavePath(), kDefaultBaudIndex);
        ASSERT_TRUE(started) << started.error().message;
        ASSERT_TRUE(connected()) << "no frames from the emulator";
    }

    bool connected() {
        MeasurementSample sample;
        for (int i = 0; i < 3; ++i)
            if (WaitNewSample(link, sample)) return true;
        return false;
    }
    // Runs a transfer job as a window does: progress recorded (and acted upon) on the job's thread,
    // the outcome shown afterwards with "Ready" as the status text before the command.
    bool transfer(TransferWorker worker, std::string caption) {
        mark();
        std::atomic<TransferJob*> running{nullptr};
        TransferCallbacks callbacks;
        callbacks.progress = [this, &running](int percent, const std::string& text) {
            ui.transferProgress(percent, text);
            if (onProgress) onProgress(percent, running.load());
        };
        TransferJob job(link, TransferRequest{std::move(worker), image, std::move(caption), false}, callbacks);
        running = &job;
        const auto& result = job.wait();
        image = result.image;
        if (!result.ok()) workflow::ShowOutcome(ui, workflow::TransferFailure(result), "Ready");
        return result.ok();
    }

    // Everything on the line since the last mark; the host's command frames in it.
    std::vector<SimLogEntry> lineSinceMark() { return testing::SimLogSinceMark(sim.log(), m_mark); }
    std::vector<SimLogEntry> commandsSinceMark() {
        auto out = lineSinceMark();
        std::erase_if(out, [](const SimLogEntry& e) { return e.dir != "rx" || e.kind != "command"; });
        return out;
    }
    // What the transducer took, in order: a resend of a command it did not take (sent when a
    // loaded host missed the gap) is the line's business, not part of the sequence.
    std::vector<SimLogEntry> acceptedSinceMark() {
        auto out = commandsSinceMark();
        std::erase_if(out, [](const SimLogEntry& e) { return e.outcome != "accepted"; });
        return out;
    }
    void mark() {
        m_mark = "transfer-" + std::to_string(++m_marks);
        sim.control("log-mark " + m_mark);
    }

    bool read(const ReadRanges& ranges, const char* caption = "Reading data...") {
        return transfer(ReadWorker(ranges), caption);
    }
    bool writeAll() { return transfer(FullWriteWorker(), "Writing data..."); }
    // Reads the configuration, changes the ID tag and the filter, encodes it for a full write.
    void prepareEditedImage() {
        ASSERT_TRUE(read(kDisplayReadRanges));
        model::ConfigRecord rec;
        model::DecodeImage(image, rec);
        rec.Informacje.kod = "TT-4860";
        rec.Parametry.FiltrCzas = 48;
        model::EncodeOptions options;
        options.today = 46000;
        ASSERT_TRUE(model::EncodeImage(rec, image, options));
    }

    testing::SimOnPty sim;
    Link link;
    testing::RecordingUi ui;
    model::ConfigImage image{};
    // Acts when a percentage is shown, as an operator or a fault would (on the job's thread).
    std::function<void(int percent, TransferJob* job)> onProgress;

private:
    std::string m_mark;
    int m_marks = 0;
};

std::vector<int> readAddresses(const std::vector<SimLogEntry>& commands) {
    std::vector<int> out;
    for (const auto& c : commands)
        if (c.code() == 's' && c.data.size() == 3) out.push_back(c.data[1] * 256 + c.data[2]);
    return out;
}

// The listener runs again and frames reach the poller (the emulator may be restarting).
bool listenerBack(Link& link) {
    MeasurementSample sample;
    for (int i = 0; i < 3; ++i)
        if (link.pollingOn() && WaitNewSample(link, sample)) return true;
    return false;
}

TEST_F(TransferAgainstSim, AFullReadIssuesTheRequestSequenceAndFillsTheImage) {
    std::vector<int> expected;
    for (int a = 0x00; a <= 0x20; a += 4) expected.push_back(a);
    for (int a = 0x40; a <= 0x78; a += 4) expected.push_back(a);
    expected.insert(expected.end(), {0xF8, 0xF8, 0x8000});

    // On a busy machine the emulator's pacing can slip and lose a frame, which the worker makes
    // good with a re-request; the exact sequence is asked of a read that needed no retry.
    std::vector<int> requested;
    std::string line;
    for (int attempt = 0; attempt < 5 && requested != expected; ++attempt) {
        image.fill(0);
        ASSERT_TRUE(read(kDisplayReadRanges));
        requested = readAddresses(acceptedSinceMark());
        line = testing::SimLogText(lineSinceMark());
        const auto memory = sim.memory();
        ASSERT_EQ(memory.size(), image.size());
        for (const auto& r : kDisplayReadRanges)
            for (int a = r.first; !IsEmpty(r) && a <= r.last; ++a) ASSERT_EQ(image[a], memory[a]) << "address " << a;
        EXPECT_TRUE(std::equal(image.begin() + 2048, image.end(), memory.begin() + 2048)) << "code version";
    }
    EXPECT_EQ(requested, expected) << line;
    EXPECT_EQ(ui.progress().back(), 100);
    EXPECT_EQ(ui.statusTexts().back(), "Reading data...  100%");
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(listenerBack(link));
}

TEST_F(TransferAgainstSim, AFullWriteLandsInTheMemoryAndVerifiesEqual) {
    prepareEditedImage();
    ui.clear();
    ASSERT_TRUE(writeAll());

    // An acknowledgement a loaded host did not see in time has the command sent again; no command
    // of a write is repeated on purpose, so a repeat is that resend.
    auto sent = acceptedSinceMark();
    sent.erase(std::unique(sent.begin(), sent.end(), [](const auto& a, const auto& b) { return a.data == b.data; }),
               sent.end());
    ASSERT_EQ(sent.size(), 1u + 37u + 3u);
    EXPECT_EQ(sent.front().data, (std::vector<std::uint8_t>{0xEF, 0x00, 0x00}));
    std::size_t i = 1;   // each block an immediate 'D' of four bytes, in address order
    for (const auto& r : model::layout::kFullWriteRanges)
        for (int a = r.first; a <= r.last; a += 4, ++i)
            ASSERT_EQ(sent[i].data, (std::vector<std::uint8_t>{0xC4, 4, 0x00, std::uint8_t(a), image[a],
                                                               image[a + 1], image[a + 2], image[a + 3]}));
    EXPECT_EQ(sent[38].data, (std::vector<std::uint8_t>{0xC4, 1, 0x00, 0xFC, image[0xFC]}));
    // Checksum B, then checksum A, each in all three register copies.
    EXPECT_EQ(sent[39].data, (std::vector<std::uint8_t>{0xCC, 2, image[0x7F], image[0x7F], image[0x7F]}));
    EXPECT_EQ(sent[40].data, (std::vector<std::uint8_t>{0xCC, 1, image[0x7E], image[0x7E], image[0x7E]}));

    const auto memory = sim.memory();
    for (const auto& r : model::layout::kFullWriteRanges)
        for (int a = r.first; a <= r.last; ++a) ASSERT_EQ(memory[a], image[a]) << "address " << a;
    EXPECT_EQ(memory[0xFC], image[0xFC]);
    EXPECT_EQ(memory[0x7E], image[0x7E]) << "checksum A from its register write";
    EXPECT_EQ(memory[0x7F], image[0x7F]) << "checksum B from its register write";
    const auto progress = ui.progress();
    EXPECT_EQ(std::ranges::find(progress, 100), progress.end() - 1) << "100 % only once everything is sent";

    const auto saved = model::TakeSnapshot(image);
    ASSERT_TRUE(read(kVerifyReadRanges, "Verifying..."));
    EXPECT_TRUE(model::VerifyDifferences(saved, image).empty());
}

TEST_F(TransferAgainstSim, AStalledWorkerIsAbortedAndTheListenerComesBack) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = transfer(
        [](TransferLine& line, Link& l, model::ConfigImage&) {
            ReplyData reply{};
            while (l.transferRunning()) (void)line.ReceiveFrame(reply);   // busy on the line, never reporting
            return 1;
        },
        "Reading data...");
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(ok);
    EXPECT_GE(took, 10s);
    EXPECT_LT(took, 14s);
    EXPECT_EQ(ui.messages(), std::vector<std::string>{"Transmission unsuccessful!"});
    EXPECT_EQ(ui.statusTexts().back(), "Ready") << "the previous status text is back";
    EXPECT_TRUE(listenerBack(link));
}

TEST_F(TransferAgainstSim, AFailedFullWriteResetsTheTransducerAnAbortedOneDoesNot) {
    prepareEditedImage();
    onProgress = [this](int percent, TransferJob*) {
        if (percent >= 20) sim.control("drop-acks 1");
    };
    EXPECT_FALSE(writeAll());
    sim.control("drop-acks 0");
    auto sent = commandsSinceMark();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().data, std::vector<std::uint8_t>{'r'}) << "the half-written configuration is reset";
    EXPECT_TRUE(listenerBack(link));

    onProgress = [](int percent, TransferJob* job) {
        if (percent >= 20 && job != nullptr) job->cancel();
    };
    EXPECT_FALSE(writeAll());
    sent = commandsSinceMark();
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](const SimLogEntry& e) { return e.code() == 'r'; }));
    EXPECT_TRUE(listenerBack(link));
}

TEST_F(TransferAgainstSim, CorruptedFramesAndDroppedAcksNeverGiveAWrongImage) {
    sim.control("corrupt 0.05");
    sim.control("drop-acks 0.05");
    int completed = 0;
    for (int round = 0; round < 3; ++round) {
        image.fill(0);
        if (!read(kDisplayReadRanges)) continue;
        ++completed;
        const auto memory = sim.memory();
        for (const auto& r : kDisplayReadRanges)
            for (int a = r.first; !IsEmpty(r) && a <= r.last; ++a)
                ASSERT_EQ(image[a], memory[a]) << "round " << round << ", address " << a;
    }
    EXPECT_GT(completed, 0) << "retries should carry most reads through 5 % faults";
    EXPECT_TRUE(listenerBack(link));
}

// The owner may cancel from its own thread, or stop the link outright (a port switch, a closing
// window), while the job runs: either ends it promptly, as cancelled, with the port given back.
TEST_F(TransferAgainstSim, CancellingOrStoppingTheLinkEndsARunningJobPromptly) {
    for (const bool stopLink : {false, true}) {
        SCOPED_TRACE(stopLink ? "link stopped" : "job cancelled");
        ManualResetEvent halfway;
        TransferCallbacks callbacks;
        callbacks.progress = [&halfway](int percent, const std::string&) {
            if (percent >= 30) halfway.set();
        };
        TransferJob job(link, TransferRequest{ReadWorker(kVerifyReadRanges), image, "Verifying...", false}, callbacks);
        ASSERT_TRUE(halfway.waitFor(10s));
        const auto start = std::chrono::steady_clock::now();
        if (stopLink) link.stop();
        else job.cancel();
        EXPECT_EQ(job.wait().status, TransferStatus::Cancelled);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
        if (stopLink) {
            EXPECT_FALSE(link.isOpen());
            EXPECT_FALSE(link.pollingOn()) << "a stopped link is not brought back by the ending job";
        } else {
            EXPECT_TRUE(listenerBack(link));
        }
    }
}

}  // namespace
}  // namespace r4860::protocol
