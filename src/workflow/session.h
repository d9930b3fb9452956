// A session with one transducer for a program without windows: the link up on a port named as
// the operator names it, and the line state kept from its measurement frames. Its calls block:
// call them from the command-line tool's thread or a worker thread, never from a window's.
#pragma once

#include <filesystem>
#include <string>

#include "common/result.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "workflow/app_context.h"
#include "workflow/config_commands.h"

namespace r4860::workflow {

// The device behind a port name: COMn (1..255) through the ports folder, or a path as given.
// BadArgument for a COM number out of range or a word that is neither.
[[nodiscard]] Result<std::string> ResolvePortName(const std::string& port, const std::filesystem::path& portsFolder);

// The status flags as one line of text: "ok", or the conditions joined by ", ".
[[nodiscard]] std::string StatusText(const protocol::StatusFlags& s);

class Session {
public:
    explicit Session(AppContext& context) : m_context(context) {}
    ~Session() { m_context.link.stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the link and waits for the first measurement frames. BadArgument for a port name
    // that names nothing, Io when the port cannot be opened, Timeout when no transducer answers.
    Status open(const std::string& port, const std::filesystem::path& portsFolder);
    // Waits up to a second for a new frame; the line state follows it.
    bool poll();

    [[nodiscard]] protocol::Link& link() { return m_context.link; }
    [[nodiscard]] const LineState& line() const { return m_line; }
    [[nodiscard]] const protocol::MeasurementSample& sample() const { return m_sample; }
    [[nodiscard]] const protocol::StatusFlags& status() const { return m_context.link.status; }

private:
    void refreshLine();

    AppContext& m_context;
    LineState m_line;
    protocol::MeasurementSample m_sample;
};

}  // namespace r4860::workflow
