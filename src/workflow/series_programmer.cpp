#include "workflow/series_programmer.h"

#include <cassert>

#include "common/sha256.h"
#include "files/atomic_file.h"
#include "model/models.h"
#include "workflow/history_entries.h"

namespace r4860::workflow {
namespace {

constexpr int kPollsWithoutFrameForRemoval = 2;
constexpr const char* kAlreadyProgrammed = "programmed earlier in this series; not written again";

}  // namespace

SeriesProgrammer::SeriesProgrammer(SeriesPlan plan) : m_plan(std::move(plan)) {
    m_parFileName = m_plan.parFile.filename().string();
    if (const auto bytes = files::ReadWholeFile(m_plan.parFile)) m_parFileHash = Sha256Hex(*bytes);
}

void SeriesProgrammer::linePolled(const LineState& line) {
    m_line = line;
    if (m_step == Step::Verify && line.connected) ++m_freshPolls;
    if (m_step == Step::WaitForTransducer && line.connected) {
        m_step = Step::Identify;
    } else if (m_step == Step::WaitForRemoval) {
        m_missedPolls = line.connected ? 0 : m_missedPolls + 1;
        if (m_missedPolls >= kPollsWithoutFrameForRemoval) m_step = Step::WaitForTransducer;
    }
}

Prepared SeriesProgrammer::prepare() {
    switch (m_step) {
    case Step::Identify: return PrepareRead(m_line, model::ConfigImage{});
    case Step::Write: {
        m_config = m_plan.config;
        model::EncodeOptions options;
        options.today = m_plan.today;
        options.selectedModelCode = ConnectedModelCode(m_line.typeIndex);
        Prepared p = PrepareWrite(m_line, m_config, m_found, options, WriteKind::Full);
        if (!p.refused) m_sent = p.request.image;
        return p;
    }
    case Step::Verify: {
        PreparedVerify v = PrepareVerify(m_line, m_sent);
        m_expected = v.expected;
        return v.prepared;
    }
    default: break;
    }
    assert(false && "prepare() outside Identify, Write and Verify");
    return {Outcome::Failure("Command failed", MessageIcon::None), {}};
}

std::optional<SeriesDevice> SeriesProgrammer::refused(const Outcome& refusal) {
    WriteFacts facts;
    facts.transfer = refusal;
    switch (m_step) {
    case Step::Identify: return conclude(SeriesVerdict::Refused, "not identified", writeEntry(facts));
    case Step::Write:
        facts.before = m_found;
        return conclude(SeriesVerdict::Refused, "not written", writeEntry(facts));
    case Step::Verify: {
        // Written, but the transducer cannot be read back (an EEPROM error after the write).
        facts.transfer = Outcome::Success();
        facts.before = m_found;
        facts.sent = true;
        facts.image = m_sent;
        VerifyOutcome v;
        v.outcome = refusal;
        facts.verification = v;
        return conclude(SeriesVerdict::Failed, "not verified", writeEntry(facts));
    }
    default: break;
    }
    return std::nullopt;
}

std::optional<SeriesDevice> SeriesProgrammer::finished(const protocol::TransferResult& result) {
    switch (m_step) {
    case Step::Identify: return identified(result);
    case Step::Write: {
        const Outcome written = FinishWrite(result, WriteKind::Full, m_sent);
        if (written.ok) {
            m_step = Step::Verify;
            m_freshPolls = 0;
            return std::nullopt;
        }
        WriteFacts facts;
        facts.transfer = written;
        facts.before = m_found;
        // Once the transfer ran, any part of the configuration may have landed.
        facts.sent = result.status != protocol::TransferStatus::Busy &&
                     result.status != protocol::TransferStatus::NotStarted;
        facts.image = m_sent;
        return conclude(SeriesVerdict::Failed, "write failed", writeEntry(facts));
    }
    case Step::Verify: {
        WriteFacts facts;
        facts.transfer = Outcome::Success();
        facts.before = m_found;
        facts.sent = true;
        facts.image = m_sent;
        facts.verification = FinishVerify(result, m_expected, m_sent);
        const bool ok = facts.verification->verified();
        if (ok) m_programmed.insert(m_foundRecord.Informacje.serial);
        return conclude(ok ? SeriesVerdict::Programmed : SeriesVerdict::Failed, ok ? "" : "verification failed",
                        writeEntry(facts));
    }
    default: break;
    }
    return std::nullopt;
}

std::optional<SeriesDevice> SeriesProgrammer::identified(const protocol::TransferResult& result) {
    model::ConfigRecord rec;
    model::SetInitialState(rec);
    model::ConfigImage image{};
    const ReadOutcome read = FinishRead(result, rec, image);
    if (!read.outcome.ok) {
        WriteFacts facts;
        facts.transfer = read.outcome;
        return conclude(SeriesVerdict::Refused, "not identified", writeEntry(facts));
    }
    m_found = image;
    m_foundRecord = rec;
    if (m_programmed.count(rec.Informacje.serial) != 0) {
        files::HistoryRecord entry = ReadEntry(m_line, read.outcome, image);
        entry.message = kAlreadyProgrammed;
        return conclude(SeriesVerdict::Skipped, kAlreadyProgrammed, std::move(entry));
    }
    m_step = Step::Write;
    return std::nullopt;
}

files::HistoryRecord SeriesProgrammer::writeEntry(const WriteFacts& facts) const {
    files::HistoryRecord entry = WriteEntry(m_line, facts);
    entry.parFileName = m_parFileName;
    entry.parFileHash = m_parFileHash;
    return entry;
}

SeriesDevice SeriesProgrammer::conclude(SeriesVerdict verdict, std::string message, files::HistoryRecord entry) {
    SeriesDevice d;
    d.verdict = verdict;
    d.serial = entry.serial;
    d.model = entry.model;
    d.idTag = entry.idTag.empty() ? m_foundRecord.Informacje.kod : entry.idTag;
    d.message = message;
    if (!entry.message.empty() && verdict != SeriesVerdict::Programmed && verdict != SeriesVerdict::Skipped)
        d.message += (d.message.empty() ? "" : ": ") + entry.message;
    d.entry = std::move(entry);
    if (verdict == SeriesVerdict::Programmed) {
        model::ConfigRecord written = m_config;
        written.Device = m_foundRecord.Device;
        written.Informacje.serial = m_foundRecord.Informacje.serial;
        written.Informacje.CalDate = m_foundRecord.Informacje.CalDate;
        written.Informacje.CodeVersion = m_foundRecord.Informacje.CodeVersion;
        d.programmed = std::move(written);
    }
    switch (verdict) {
    case SeriesVerdict::Programmed: ++m_counts.programmed; break;
    case SeriesVerdict::Skipped: ++m_counts.skipped; break;
    default: ++m_counts.failed; break;
    }
    m_missedPolls = 0;
    const bool done = m_plan.count > 0 && m_counts.handled() >= m_plan.count;
    m_step = m_stopping || done ? Step::Finished : Step::WaitForRemoval;
    m_found = {};
    m_foundRecord = {};
    return d;
}

void SeriesProgrammer::stop() {
    m_stopping = true;
    if (m_step == Step::WaitForTransducer || m_step == Step::WaitForRemoval) m_step = Step::Finished;
}

}  // namespace r4860::workflow
