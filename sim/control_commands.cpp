#include "sim/control_commands.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "sim/device_memory.h"
#include "sim/memory_map.h"
#include "sim/service_controls.h"

namespace r4860::sim {
namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<double> number(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long> integer(std::string_view text, int base = 10) {
    if (base == 16 && text.starts_with("0x")) text.remove_prefix(2);
    long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto v = integer(text.substr(i, 2), 16);
        if (!v) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(*v));
    }
    return out;
}

ControlReply ok(std::string value = {}) { return {value.empty() ? "ok" : "ok " + value, ControlAction::None, {}}; }
ControlReply error(std::string why) { return {"error " + why, ControlAction::None, {}}; }

// "on" / "off" switches of the engine's conditions.
bool* conditionSwitch(std::string_view name, Conditions& c) {
    if (name == "eeprom-error") return &c.eepromError;
    if (name == "broken-sensor") return &c.brokenSensor;
    if (name == "out-of-range") return &c.outOfRange;
    if (name == "internal-error") return &c.internalError;
    if (name == "cal-mode") return &c.calMode;
    if (name == "checksum-check") return &c.checkSums;
    return nullptr;
}

ControlReply rate(std::string_view value, double& target) {
    const auto v = number(value);
    if (!v || *v < 0.0 || *v > 1.0) return error("a rate is a number from 0 to 1");
    target = *v;
    return ok();
}

ControlReply poke(const std::vector<std::string_view>& w, DeviceEngine& engine) {
    if (w.size() != 3) return error("poke ADDR HEX");
    const auto address = integer(w[1], 16);
    const auto bytes = hexBytes(w[2]);
    if (!address || !bytes) return error("poke takes a hex address and hex bytes");
    if (*address < 0 || !engine.memory().write(static_cast<std::size_t>(*address), *bytes))
        return error("outside the memory");
    return ok();
}

// The factory's fields, so one emulator can stand for one transducer after another.
ControlReply factoryField(std::string_view cmd, std::string_view value, DeviceEngine& engine) {
    const auto n = integer(value);
    if (cmd == "serial") {
        if (!n || *n < 0 || *n > 0xFFFFFF) return error("serial 0..16777215");
        for (std::size_t i = 0; i < 3; ++i)
            engine.memory().setByte(map::kSerial + i, static_cast<std::uint8_t>(*n >> (8 * (2 - i))));
        return ok();
    }
    if (!n || *n < 0 || *n > 65535 - 4700) return error("model CODE, such as 47");
    engine.memory().setU16(map::kModelNumber, static_cast<unsigned>(4700 + *n));
    return ok();
}

ControlReply onOff(const std::vector<std::string_view>& w, bool& target) {
    if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return error(std::string(w[0]) + " on|off");
    target = w[1] == "on";
    return ok();
}

ControlReply nextCount(const std::vector<std::string_view>& w, int& target) {
    const auto n = integer(w[2]);
    if (!n || *n < 0) return error(std::string(w[0]) + " next N");
    target = static_cast<int>(*n);
    return ok();
}

// The faults of the line itself; nothing when `w` names none of them.
std::optional<ControlReply> lineFault(const std::vector<std::string_view>& w, LineFaults& faults) {
    const std::string_view cmd = w[0];
    const bool next = w.size() == 3 && w[1] == "next";
    if (cmd == "silence") return onOff(w, faults.silence);
    if (cmd == "strict") return onOff(w, faults.strictGap);
    if (cmd == "corrupt" && w.size() == 2) return rate(w[1], faults.corruptRate);
    if (cmd == "drop-acks" && w.size() == 2) return rate(w[1], faults.dropAckRate);
    if (cmd == "drop-acks" && next) return nextCount(w, faults.dropAckNext);
    if (cmd == "skip-replies" && next) return nextCount(w, faults.skipRepliesNext);
    return std::nullopt;
}

}  // namespace

ControlReply InterpretControl(std::string_view line, DeviceEngine& engine, LineFaults& faults) {
    const auto w = words(line);
    if (w.empty()) return error("empty command");
    const std::string_view cmd = w[0];
    Conditions& cond = engine.conditions();
    if (auto reply = InterpretServiceControl(line, engine)) return {*reply, ControlAction::None, {}};

    if (bool* flag = conditionSwitch(cmd, cond); flag != nullptr) {
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return error(std::string(cmd) + " on|off");
        *flag = w[1] == "on";
        return ok();
    }
    if (auto reply = lineFault(w, faults)) return *reply;
    if (cmd == "pulse" && w.size() == 2) {
        if (w[1] == "new-average") cond.pulseNewAverage = true;
        else if (w[1] == "large-error") cond.pulseLargeError = true;
        else return error("pulse new-average|large-error");
        return ok();
    }
    if (cmd == "model-index" && w.size() == 2) {
        if (w[1] == "auto") {
            cond.modelIndex.reset();
            return ok();
        }
        const auto n = integer(w[1]);
        if (!n || *n < 0 || *n > 15) return error("model-index 0..15 or auto");
        cond.modelIndex = static_cast<int>(*n);
        return ok();
    }
    if (cmd == "signal" && w.size() == 2) {
        if (w[1] == "auto") {
            cond.signal.reset();
            return ok();
        }
        const auto v = number(w[1]);
        if (!v) return error("signal X (signal unit) or auto");
        cond.signal = *v;
        return ok();
    }
    if (cmd == "cold-junction" && w.size() == 2) {
        const auto v = number(w[1]);
        if (!v || *v < -50.0 || *v > 150.0) return error("cold-junction T (degC, -50 .. 150)");
        cond.coldJunction = *v;
        return ok();
    }
    if (cmd == "oscillator" && w.size() == 2) {
        const auto n = integer(w[1]);
        if (!n || *n < -8 || *n > 7) return error("oscillator -8..7");
        engine.setOscillatorAdjustment(static_cast<int>(*n));
        return ok();
    }
    if ((cmd == "serial" || cmd == "model") && w.size() == 2) return factoryField(cmd, w[1], engine);
    if (cmd == "stuck" && w.size() == 2) {
        const auto address = integer(w[1], 16);
        if (w[1] != "off" && (!address || *address < 0 || *address >= static_cast<long>(kMemorySize)))
            return error("stuck ADDR (hex) or off");
        cond.stuckCell = w[1] == "off" ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(*address));
        return ok();
    }
    if (cmd == "dump-memory" && w.size() == 1) return ok(HexText(engine.memory().image()));
    if (cmd == "poke") return poke(w, engine);
    if (cmd == "measurement" && w.size() == 1) {
        const auto& m = engine.lastMeasurement();
        return ok("signal=" + std::to_string(m.signal) + " result=" + std::to_string(m.result) +
                  " normalized=" + std::to_string(m.normalized) + " counts=" + std::to_string(m.outputCounts));
    }
    if (cmd == "help") return ok(ControlHelp() + " | " + ServiceControlHelp());
    if (cmd == "unplug" && w.size() == 1) return {{}, ControlAction::Unplug, {}};
    if (cmd == "replug" && w.size() == 1) return {{}, ControlAction::Replug, {}};
    if (cmd == "slave-path" && w.size() == 1) return {{}, ControlAction::SlavePath, {}};
    if (cmd == "stats" && w.size() == 1) return {{}, ControlAction::Stats, {}};
    if (cmd == "save-memory" && w.size() == 1) return {{}, ControlAction::SaveMemory, {}};
    if (cmd == "quit" && w.size() == 1) return {"ok", ControlAction::Quit, {}};
    if (cmd == "log-mark") {
        const auto rest = line.substr(line.find("log-mark") + 8);
        const auto first = rest.find_first_not_of(" \t");
        return {"ok", ControlAction::Mark, first == std::string_view::npos ? std::string() : std::string(rest.substr(first))};
    }
    return error("unknown command (try help)");
}

std::string ControlHelp() {
    return "corrupt P | drop-acks P | drop-acks next N | skip-replies next N | silence on|off | strict on|off | "
           "eeprom-error on|off | "
           "broken-sensor on|off | out-of-range on|off | internal-error on|off | cal-mode on|off | "
           "checksum-check on|off | pulse new-average|large-error | model-index N|auto | signal X|auto | "
           "cold-junction T | oscillator N | serial N | model CODE | stuck ADDR|off | measurement | unplug | replug | slave-path | stats | dump-memory | poke ADDR HEX | "
           "save-memory | log-mark TEXT | quit";
}

}  // namespace r4860::sim
