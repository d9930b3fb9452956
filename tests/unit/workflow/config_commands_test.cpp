// The steps around a transfer that decide what it sends and what its result tells, fed with
// transfer results as a job would hand them back.
#include "workflow/config_commands.h"

#include <gtest/gtest.h>

#include "common/lang_table.h"

namespace r4860::workflow {
namespace {

using protocol::TransferResult;
using protocol::TransferStatus;
namespace layout = model::layout;

constexpr long kToday = 46000;  // 09.12.2025

// A K thermocouple on an R4747, which model index 0 reports.
model::ConfigRecord thermocouple() {
    model::ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0, r.Parametry.Siec = 50;
    r.Device = "R4747";
    return r;
}

TEST(WriteBase, AWriteGoesOverThisTransducersImageReadFirstWhenItCameFromElsewhere) {
    UseEnglishTable();
    const LineState line{.connected = true, .typeIndex = 0};
    const LineState eeprom{.connected = true, .eepromError = true, .typeIndex = 0};
    model::ConfigImage device{};
    device[layout::kAfterIdTag] = 0x5A;   // this transducer's own, never set by the tool
    // byte: what the write sends after the ID tag; -1 when it is refused.
    const struct { const char* why; WriteKind kind; LineState line; TransferStatus read; int byte; } cases[] = {
        {"a full write over what was read", WriteKind::Full, line, TransferStatus::Ok, 0x5A},
        {"the ID tag alone over what was read", WriteKind::IdTagOnly, line, TransferStatus::Ok, 0x5A},
        {"a failed read refuses the write", WriteKind::Full, line, TransferStatus::Failed, -1},
        {"unreadable memory with an EEPROM error: over a blank, erased cell", WriteKind::Full, eeprom,
         TransferStatus::Failed, layout::kAfterIdTagFactory},
        {"a cancelled read is not unreadable memory", WriteKind::IdTagOnly, eeprom, TransferStatus::Cancelled, -1},
    };
    for (const auto& c : cases) {
        model::ConfigRecord rec = thermocouple();
        model::ConfigImage image{};
        image[layout::kAfterIdTag] = 0x77;   // another transducer's
        const Prepared first = PrepareWrite(c.line, rec, image, {kToday, 47}, c.kind, ImageOrigin::Elsewhere);
        ASSERT_TRUE(!first.refused && first.readFirst) << c.why;
        EXPECT_TRUE(rec.Informacje.data.empty()) << c.why << ": nothing is stamped before the write itself";
        const Prepared write = PrepareWriteOver(TransferResult{c.read, device}, c.line, rec, image, {kToday, 47}, c.kind);
        EXPECT_EQ(write.refused ? -1 : write.request.image[layout::kAfterIdTag], c.byte) << c.why;
        if (!write.refused) {
            EXPECT_EQ(std::pair(write.readFirst, rec.Informacje.data), std::pair(false, std::string("09.12.2025")));
        }
    }
    model::ConfigRecord other = thermocouple();
    other.Device = "R4720";
    EXPECT_TRUE(PrepareWrite(line, other, device, {kToday, 47}, WriteKind::Full, ImageOrigin::Elsewhere).refused)
        << "another model is refused before anything is read";
}

TEST(VerifyOutcome, NamesEachDifferenceAndSaysADifferingDateItDidNotCompare) {
    UseEnglishTable();
    model::ConfigRecord rec = thermocouple();
    model::ConfigImage written{};
    ASSERT_TRUE(model::EncodeImage(rec, written, {kToday, 47}));
    const auto readBack = [&](long day, double zero) {
        model::ConfigRecord r = thermocouple();
        r.Parametry.ZeroReg = zero;
        model::ConfigImage im{};
        EXPECT_TRUE(model::EncodeImage(r, im, {day, 47}));
        return TransferResult{TransferStatus::Ok, im};
    };
    const std::string note =
        "The transducer's configuration date 10.12.2025 differs from 09.12.2025 (not compared: a write stamps it)";
    const struct {
        const char* why;
        TransferResult result;
        bool verified;
        std::string message;
        MessageIcon icon;
    } cases[] = {
        {"the same configuration", readBack(kToday, 0), true, "", MessageIcon::None},
        {"the date alone", readBack(kToday + 1, 0), true, "Verification successful\n\n" + note, MessageIcon::Information},
        {"a correction and the date", readBack(kToday + 1, 0.32), false,
         "Errors have been found!\n\nUser corrections: Zero 0.00%, Gain 0.00% -> Zero 0.32%, Gain 0.00%\n"
         "Checksums: C 00 -> C 20\n\n" + note, MessageIcon::Exclamation},
    };
    for (const auto& c : cases) {
        model::ConfigImage image = written;
        const VerifyOutcome v = FinishVerify(c.result, model::TakeSnapshot(written), image);
        EXPECT_EQ(v.verified(), c.verified) << c.why;
        EXPECT_EQ(std::pair(v.outcome.message, v.outcome.icon), std::pair(c.message, c.icon)) << c.why;
    }
}

}  // namespace
}  // namespace r4860::workflow
