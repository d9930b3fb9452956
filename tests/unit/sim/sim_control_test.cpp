// The control language that scripts the emulator's faults and conditions.
#include "sim/control_commands.h"

#include <gtest/gtest.h>

#include "sim/factory_image.h"
#include "sim/sim_options.h"

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
                      ControlCase{"strict needs on or off", "strict", "error", ControlAction::None},
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
    EXPECT_EQ(run("strict on"), "ok");
    EXPECT_TRUE(faults.strictGap);
    EXPECT_EQ(run("strict off"), "ok");
    EXPECT_FALSE(faults.strictGap);
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

TEST(SimOptions, SetTheLineTiming) {
    struct Case {
        const char* why;
        std::vector<std::string> args;
        bool ok;
        std::int64_t periodUs, gapUs;
        bool strict;
    };
    const Case cases[] = {
        {"the defaults", {}, true, 60'000, 20'000, false},
        {"the listening gap", {"--gap-ms", "10"}, true, 60'000, 10'000, false},
        {"the older name of the gap", {"--min-gap-ms", "12.5"}, true, 60'000, 12'500, false},
        {"a short period, strictly", {"--period-ms", "37", "--gap-ms", "10", "--strict"}, true, 37'000, 10'000, true},
        {"no gap at all", {"--gap-ms", "0"}, false, 0, 0, false},
        {"a gap without its value", {"--gap-ms"}, false, 0, 0, false},
    };
    for (const auto& c : cases) {
        auto parsed = ParseSimOptions(c.args);
        ASSERT_EQ(parsed.ok(), c.ok) << c.why;
        if (!c.ok) continue;
        EXPECT_EQ(parsed->loop.timing.periodUs, c.periodUs) << c.why;
        EXPECT_EQ(parsed->loop.timing.minGapUs, c.gapUs) << c.why;
        EXPECT_EQ(parsed->loop.strict, c.strict) << c.why;
    }
}

}  // namespace
}  // namespace r4860::sim
