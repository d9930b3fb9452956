// The control language that scripts the emulator's faults and conditions.
#include "sim/control_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "sim/factory_image.h"

namespace r4860::sim {
namespace {

struct ControlCase {
    const char* why;
    const char* line;
    const char* replyStart;
    ControlAction action;
};

class ControlLines : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlLines, AnswerEveryLineWithOneReply) {
    const auto& c = GetParam();
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    const auto r = InterpretControl(c.line, engine, faults);
    EXPECT_TRUE(r.text.starts_with(c.replyStart)) << c.why << ": " << r.text;
    EXPECT_EQ(r.action, c.action) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ControlLines,
    ::testing::Values(ControlCase{"a rate", "corrupt 0.02", "ok", ControlAction::None},
                      ControlCase{"a rate above 1", "corrupt 2", "error", ControlAction::None},
                      ControlCase{"a rate that is not a number", "drop-acks half", "error", ControlAction::None},
                      ControlCase{"a count of acknowledgements", "drop-acks next 3", "ok", ControlAction::None},
                      ControlCase{"a switch needs on or off", "silence maybe", "error", ControlAction::None},
                      ControlCase{"model index out of its nibble", "model-index 16", "error", ControlAction::None},
                      ControlCase{"poke outside the memory", "poke 7FF 0102", "error", ControlAction::None},
                      ControlCase{"poke with odd hex", "poke 10 123", "error", ControlAction::None},
                      ControlCase{"the loop unplugs", "unplug", "", ControlAction::Unplug},
                      ControlCase{"the loop quits after replying", "quit", "ok", ControlAction::Quit},
                      ControlCase{"unknown", "explode", "error", ControlAction::None},
                      ControlCase{"empty", "   ", "error", ControlAction::None}));

TEST(ControlCommands, SwitchFaultsAndConditions) {
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    const auto run = [&](const char* line) { return InterpretControl(line, engine, faults).text; };
    EXPECT_EQ(run("corrupt 0.25"), "ok");
    EXPECT_DOUBLE_EQ(faults.corruptRate, 0.25);
    EXPECT_EQ(run("drop-acks next 3"), "ok");
    EXPECT_EQ(faults.dropAckNext, 3);
    EXPECT_EQ(run("silence on"), "ok");
    EXPECT_TRUE(faults.silence);
    EXPECT_EQ(run("broken-sensor on"), "ok");
    EXPECT_TRUE(engine.conditions().brokenSensor);
    EXPECT_EQ(run("eeprom-error on"), "ok");
    EXPECT_EQ(run("eeprom-error off"), "ok");
    EXPECT_FALSE(engine.conditions().eepromError);
    EXPECT_EQ(run("model-index 7"), "ok");
    EXPECT_EQ(engine.modelIndex(), 7);
    EXPECT_EQ(run("model-index auto"), "ok");
    EXPECT_EQ(engine.modelIndex(), 0);
    EXPECT_EQ(run("signal 123.5"), "ok");
    EXPECT_DOUBLE_EQ(*engine.conditions().signal, 123.5);
    EXPECT_EQ(run("signal auto"), "ok");
    EXPECT_FALSE(engine.conditions().signal.has_value());
}

TEST(ControlCommands, PokeAndDumpShowTheSameBytes) {
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    ASSERT_EQ(InterpretControl("poke 0x7FC C0C1CE00", engine, faults).text, "ok");
    const std::string dump = InterpretControl("dump-memory", engine, faults).text;
    ASSERT_EQ(dump.size(), 3 + 2 * kImageFileSize);
    EXPECT_EQ(dump.substr(3 + 2 * 0x7FC, 8), "C0C1CE00");
    EXPECT_EQ(dump.substr(3, 4), "5531") << "starts with 'U' '1'";
}

TEST(ControlCommands, LogMarkKeepsItsTextWithBlanks) {
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    const auto r = InterpretControl("log-mark  read starts here", engine, faults);
    EXPECT_EQ(r.action, ControlAction::Mark);
    EXPECT_EQ(r.argument, "read starts here");
}

// The host's full write opens with EF 00 00, sends the blocks, then checksum B and checksum A by
// 'L'; a transducer that checked its sums on every frame would report an EEPROM error half-way.
struct SumCheckCase {
    const char* why;
    std::vector<const char*> steps;  // hex command data; "A" and "B": 'L' with the right checksum now
    bool eepromError;
};

class ChecksumCheck : public ::testing::TestWithParam<SumCheckCase> {};

TEST_P(ChecksumCheck, ReportsWrongSumsOnlyOnceAWriteIsOver) {
    const auto& c = GetParam();
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    for (const std::string_view step : c.steps) {
        std::vector<std::uint8_t> data;
        if (step == "A" || step == "B") {
            const std::uint8_t sum = step == "A" ? ChecksumA(engine.memory()) : ChecksumB(engine.memory());
            data = {'L', static_cast<std::uint8_t>(step == "A" ? 1 : 2), sum, sum, sum};
        } else if (step.starts_with("ctl ")) {
            ASSERT_EQ(InterpretControl(step.substr(4), engine, faults).text, "ok") << c.why;
            continue;
        } else {
            for (std::size_t i = 0; i + 1 < step.size(); i += 2)
                data.push_back(static_cast<std::uint8_t>(std::stoi(std::string(step.substr(i, 2)), nullptr, 16)));
        }
        const auto r = engine.execute(data);
        ASSERT_TRUE(r.accepted) << c.why << ": " << step << " " << r.note;
        if (r.reset) engine.reset();
    }
    EXPECT_EQ(engine.nextFrame(0.0).data[6] & 0x80, c.eepromError ? 0x80 : 0x00) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChecksumCheck,
    ::testing::Values(SumCheckCase{"the factory image is consistent", {}, false},
                      SumCheckCase{"on by default: a byte changed without its sum", {"4401000563"}, true},
                      SumCheckCase{"switched off", {"ctl checksum-check off", "4401000563"}, false},
                      SumCheckCase{"blocks of an opened write, sums not yet sent", {"EF0000", "4401000563"}, false},
                      SumCheckCase{"a write that was wrong before it opened still shows it",
                                   {"4401000563", "EF0000", "4401004011"}, true},
                      SumCheckCase{"checksum B alone does not end the write", {"EF0000", "4401000563", "B"}, false},
                      SumCheckCase{"the whole write with its sums", {"EF0000", "4401000563", "4401004011", "B", "A"}, false},
                      SumCheckCase{"a write ended with a wrong checksum A",
                                   {"EF0000", "4401000563", "B", "4C01000000"}, true},
                      SumCheckCase{"a reset breaks the write off", {"EF0000", "4401000563", "72"}, true}));

}  // namespace
}  // namespace r4860::sim
