// What the history keeps of an operation and what it does with records: each write's outcome as
// its transfer and read-back said, series programming's rules, the comparison of two records and
// the restore plan.
#include <gtest/gtest.h>

#include "model/image_layout.h"
#include "workflow/history_entries.h"
#include "workflow/history_review.h"
#include "workflow/series_programmer.h"

namespace r4860::testing {
namespace {

using files::HistoryOperation;
using files::HistoryOutcome;
using protocol::TransferResult;
using protocol::TransferStatus;
using workflow::Outcome;
using workflow::SeriesProgrammer;
using workflow::SeriesVerdict;
namespace layout = model::layout;

constexpr long kToday = 46000;

// A K thermocouple with internal compensation on an R4747, linearized, 0..500 degC.
model::ConfigRecord thermocouple() {
    model::ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0, r.Parametry.Siec = 50, r.Parametry.Jednostki = 8;
    r.Informacje.kod = "TT-01", r.Device = "R4747";
    return r;
}

// A transducer's memory as a read brings it: the configuration, the factory's fields, the version.
model::ConfigImage transducer(long serial, std::string_view tag = "OLD") {
    model::ConfigRecord r = thermocouple();
    r.Informacje.kod = std::string(tag);
    model::ConfigImage im{};
    EXPECT_TRUE(model::EncodeImage(r, im, {kToday, 47}).ok());
    im[layout::kModelNumber] = 4747 >> 8, im[layout::kModelNumber + 1] = 4747 & 0xFF;
    for (std::size_t i = 0; i < 3; ++i) im[layout::kSerial + i] = static_cast<std::uint8_t>(serial >> (8 * (2 - i)));
    im[layout::kCodeVersion] = 'V';
    return im;
}

workflow::LineState line(bool connected = true, bool eepromError = false) {
    workflow::LineState l;
    l.connected = connected, l.eepromError = eepromError, l.typeIndex = 0;   // model 47
    return l;
}

TEST(HistoryEntries, AWriteIsRecordedAsItsTransferAndReadBackSaid) {
    workflow::VerifyOutcome differs, unread, agrees;
    differs.transferred = true, differs.differences = {24}, differs.items = {{"Input range", "0 .. 500", "0 .. 5", {24}}};
    unread.outcome = workflow::TransferFailure({});
    agrees.transferred = true, agrees.outcome = Outcome::Success("Verification successful");
    const struct {
        const char* why;
        Outcome transfer;
        bool sent;
        std::optional<workflow::VerifyOutcome> verification;
        HistoryOutcome outcome;
        bool verified;
    } cases[] = {
        {"refused before anything was sent", Outcome::Failure("Type of transducer inconsistency", {}), false, {},
         HistoryOutcome::Failure, false},
        {"the transfer broke off half-way", workflow::TransferFailure({}), true, {}, HistoryOutcome::Failure, false},
        {"written, but it could not be read back", Outcome::Success(), true, unread, HistoryOutcome::Failure, true},
        {"written, and the read-back differs", Outcome::Success(), true, differs, HistoryOutcome::Differences, true},
        {"written and verified", Outcome::Success(), true, agrees, HistoryOutcome::Success, true},
        {"written, stopped before the read-back", Outcome::Success(), true, {}, HistoryOutcome::Success, false},
    };
    for (const auto& c : cases) {
        workflow::WriteFacts f;
        f.transfer = c.transfer, f.sent = c.sent, f.verification = c.verification;
        f.before = transducer(1234);
        f.image = transducer(1234, "NEW");
        const auto r = workflow::WriteEntry(line(), f);
        EXPECT_EQ(std::tuple(r.outcome, r.verified, r.image.has_value()), std::tuple(c.outcome, c.verified, c.sent))
            << c.why;
        EXPECT_EQ(std::tuple(r.serial, r.model, r.idTag), std::tuple("1234", "R4747", c.sent ? "NEW" : "OLD")) << c.why;
        EXPECT_EQ(r.differences.size(), c.outcome == HistoryOutcome::Differences ? 1u : 0u) << c.why;
        EXPECT_EQ(r.message.empty(), c.outcome == HistoryOutcome::Success && !c.verified) << c.why << ": " << r.message;
    }
}

// Feeds a transducer through the series: a poll shows it, then the identify, write and
// verification results; `verify` edits what the read-back finds.
struct SeriesRun {
    SeriesProgrammer series;
    std::vector<workflow::SeriesDevice> devices;

    void plugIn(const model::ConfigImage& memory, workflow::LineState l = line(),
                const std::function<void(model::ConfigImage&)>& verify = {}, bool writeFails = false) {
        series.linePolled(l);
        while (series.step() == SeriesProgrammer::Step::Identify || series.step() == SeriesProgrammer::Step::Write ||
               series.step() == SeriesProgrammer::Step::Verify) {
            const auto step = series.step();
            auto prepared = series.prepare();
            std::optional<workflow::SeriesDevice> done;
            if (prepared.refused) {
                done = series.refused(*prepared.refused);
            } else {
                TransferResult result{TransferStatus::Ok, prepared.request.image};
                if (step == SeriesProgrammer::Step::Identify) result.image = memory;
                if (step == SeriesProgrammer::Step::Write && writeFails) result.status = TransferStatus::Failed;
                if (step == SeriesProgrammer::Step::Verify && verify) verify(result.image);
                done = series.finished(result);
            }
            if (done) devices.push_back(*done);
        }
        series.linePolled(line(false));
        series.linePolled(line(false));   // taken away
    }
};

TEST(SeriesProgrammer, WritesEachTransducerOnceRetriesAFailedOneAndRefusesWhatItCannotIdentify) {
    workflow::SeriesPlan plan;
    plan.config = thermocouple(), plan.config.Informacje.kod = "SERIES", plan.today = kToday;
    SeriesRun run{SeriesProgrammer(plan), {}};
    const auto wrongSpan = [](model::ConfigImage& im) { im[layout::kInputSpan + 1] ^= 0x40; };
    run.plugIn(transducer(1));
    run.plugIn(transducer(1));                                   // the same one again
    run.plugIn(transducer(2), line(), {}, true);                 // the write breaks off
    run.plugIn(transducer(2), line(), wrongSpan);                // tried again; its read-back differs
    run.plugIn(transducer(3), line(true, true));                 // reports an EEPROM error
    workflow::LineState otherModel = line();
    otherModel.typeIndex = 3;                                    // an R4737
    run.plugIn(transducer(4), otherModel);
    run.plugIn(transducer(2));                                   // a third time: programmed now
    const std::vector<std::pair<SeriesVerdict, std::string>> expected = {
        {SeriesVerdict::Programmed, "1"}, {SeriesVerdict::Skipped, "1"}, {SeriesVerdict::Failed, "2"},
        {SeriesVerdict::Failed, "2"},     {SeriesVerdict::Refused, ""},  {SeriesVerdict::Refused, "4"},
        {SeriesVerdict::Programmed, "2"}};
    ASSERT_EQ(run.devices.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::pair(run.devices[i].verdict, run.devices[i].serial), expected[i]) << "transducer " << i;
    EXPECT_EQ(run.devices[0].entry.idTag, "SERIES");
    EXPECT_EQ(run.devices[3].entry.outcome, HistoryOutcome::Differences);
    EXPECT_FALSE(run.devices[5].entry.image) << "nothing was sent to the other model";
    EXPECT_EQ(std::tuple(run.series.counts().programmed, run.series.counts().failed, run.series.counts().skipped),
              std::tuple(2, 4, 1));
    run.series.stop();
    EXPECT_EQ(run.series.step(), SeriesProgrammer::Step::Finished) << "nothing in hand: it ends at once";
}

TEST(SeriesProgrammer, EndsAfterItsCountWithoutCountingReplugs) {
    workflow::SeriesPlan plan;
    plan.config = thermocouple(), plan.today = kToday, plan.count = 2;
    SeriesRun run{SeriesProgrammer(plan), {}};
    for (long serial : {1, 1, 2}) {
        ASSERT_NE(run.series.step(), SeriesProgrammer::Step::Finished) << serial;
        run.plugIn(transducer(serial));
    }
    EXPECT_EQ(run.series.step(), SeriesProgrammer::Step::Finished);
    EXPECT_EQ(run.devices.size(), 3u);
}

files::HistoryRecord recorded(HistoryOperation op, const model::ConfigImage& image) {
    files::HistoryRecord r;
    r.operation = op, r.image = image, r.id = 1;
    return r;
}

TEST(HistoryReview, TwoRecordsCompareOverTheBytesBothHold) {
    model::ConfigImage read = transducer(1234, "A");
    std::fill(read.begin() + layout::kAreaB, read.begin() + layout::kZeroReg, 0);   // a read leaves area B out
    const auto items = workflow::CompareRecords(recorded(HistoryOperation::Write, transducer(1234, "B")),
                                                recorded(HistoryOperation::Read, read));
    ASSERT_TRUE(items.ok());
    ASSERT_EQ(items->size(), 1u);
    EXPECT_EQ((*items)[0].item, "ID Tag");
    EXPECT_FALSE(workflow::CompareRecords(recorded(HistoryOperation::Read, read), files::HistoryRecord{}).ok());
}

TEST(HistoryReview, OnlyAWriteThatKeptTheEarlierImageCanBeUndone) {
    model::ConfigImage userTable = transducer(1234);
    userTable[layout::kLinAndType] = 2 << 5 | 15;   // a user sensor by table: the table is not in the memory
    const auto write = [](std::optional<model::ConfigImage> before) {
        files::HistoryRecord r = recorded(HistoryOperation::Write, transducer(1234, "NEW"));
        r.imageBefore = before;
        return r;
    };
    EXPECT_EQ(workflow::PlanRestore(recorded(HistoryOperation::Read, transducer(1234)), kToday).error().code,
              Errc::BadArgument);
    EXPECT_EQ(workflow::PlanRestore(write(std::nullopt), kToday).error().code, Errc::BadArgument);
    const auto table = workflow::PlanRestore(write(userTable), kToday);
    ASSERT_FALSE(table.ok());
    EXPECT_NE(table.error().message.find("user table"), std::string::npos) << "said why: " << table.error().message;
    const auto plan = workflow::PlanRestore(write(transducer(1234, "OLD")), kToday + 5);
    ASSERT_TRUE(plan.ok()) << plan.error().message;
    EXPECT_EQ(std::tuple(plan->serial, plan->config.Informacje.kod, plan->configDate), std::tuple("1234", "OLD", kToday));
    EXPECT_TRUE(workflow::CheckRestoreTarget(*plan, transducer(1234)).ok());
    EXPECT_EQ(workflow::CheckRestoreTarget(*plan, transducer(99)).error().code, Errc::Refused);
}

}  // namespace
}  // namespace r4860::testing
