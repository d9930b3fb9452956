#include "sim/service_controls.h"

namespace r4860::sim {
namespace {

std::string_view firstWord(std::string_view& rest) {
    const auto start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const auto end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    return word;
}

}  // namespace

std::string ServiceState(const DeviceEngine& engine) {
    const auto forced = engine.forcedCounts();
    const auto simulated = engine.simulatedResult();
    return std::string("service=") + (engine.serviceMode() ? "on" : "off") +
           " register=" + std::to_string(engine.selectedRegister()) +
           " forced=" + (forced ? std::to_string(*forced) : "none") +
           " simulated=" + (simulated ? std::to_string(*simulated) : "none") +
           " scale=" + (engine.extendedOutput() ? "extended" : "normal");
}

std::optional<std::string> InterpretServiceControl(std::string_view line, DeviceEngine& engine) {
    std::string_view rest = line;
    const std::string_view command = firstWord(rest);
    const std::string_view argument = firstWord(rest);
    const bool extraWords = !firstWord(rest).empty();
    if (command == "service") {
        if ((!argument.empty() && argument != "on") || extraWords) return "error service [on]";
        if (argument == "on") engine.enterServiceMode();
        return "ok " + ServiceState(engine);
    }
    if (command == "output-scale") {
        if (extraWords || (argument != "normal" && argument != "extended")) return "error output-scale normal|extended";
        engine.setExtendedOutput(argument == "extended");
        return "ok";
    }
    return std::nullopt;
}

std::string ServiceControlHelp() { return "service [on] | output-scale normal|extended"; }

}  // namespace r4860::sim
