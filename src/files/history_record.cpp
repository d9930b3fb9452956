#include "files/history_record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <random>

namespace r4860::files {
namespace {

using model::layout::kCodeVersion;
using model::layout::kCodeVersionLength;
using model::layout::kSnapshotSize;

constexpr std::size_t kPackedSize = kSnapshotSize + kCodeVersionLength;

constexpr std::array<std::string_view, 5> kOperationWords = {"read", "write", "id-tag-write", "verify", "restore"};
// Nouns, as a table's column shows them ("Write" is the command's verb).
constexpr std::array<std::string_view, 5> kOperationKeys = {"Reading", "Writing", "ID tag writing", "Verification",
                                                            "Restore"};
constexpr std::array<std::string_view, 3> kOutcomeWords = {"success", "failure", "differences"};
constexpr std::array<std::string_view, 3> kOutcomeKeys = {"Success", "Failure", "Differences"};

template <class E, std::size_t N>
std::optional<E> ofWord(const std::array<std::string_view, N>& words, std::string_view word) {
    const auto at = std::find(words.begin(), words.end(), word);
    if (at == words.end()) return std::nullopt;
    return static_cast<E>(at - words.begin());
}

// Tabs, line ends and backslashes inside a text would break the line-per-item form.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

}  // namespace

std::string_view OperationWord(HistoryOperation op) noexcept { return kOperationWords[static_cast<std::size_t>(op)]; }
std::optional<HistoryOperation> OperationOfWord(std::string_view word) noexcept {
    return ofWord<HistoryOperation>(kOperationWords, word);
}
std::string_view OutcomeWord(HistoryOutcome outcome) noexcept {
    return kOutcomeWords[static_cast<std::size_t>(outcome)];
}
std::optional<HistoryOutcome> OutcomeOfWord(std::string_view word) noexcept {
    return ofWord<HistoryOutcome>(kOutcomeWords, word);
}
std::string_view OperationKey(HistoryOperation op) noexcept { return kOperationKeys[static_cast<std::size_t>(op)]; }
std::string_view OutcomeKey(HistoryOutcome outcome) noexcept {
    return kOutcomeKeys[static_cast<std::size_t>(outcome)];
}

std::vector<std::uint8_t> PackImage(const model::ConfigImage& image) {
    const bool restEmpty = std::all_of(image.begin() + kSnapshotSize, image.begin() + kCodeVersion,
                                       [](std::uint8_t b) { return b == 0; });
    if (!restEmpty) return {image.begin(), image.end()};
    std::vector<std::uint8_t> packed(image.begin(), image.begin() + kSnapshotSize);
    packed.insert(packed.end(), image.begin() + kCodeVersion, image.end());
    return packed;
}

std::optional<model::ConfigImage> UnpackImage(const std::vector<std::uint8_t>& bytes) {
    model::ConfigImage image{};
    if (bytes.size() == image.size()) {
        std::copy(bytes.begin(), bytes.end(), image.begin());
        return image;
    }
    if (bytes.size() != kPackedSize) return std::nullopt;
    std::copy_n(bytes.begin(), kSnapshotSize, image.begin());
    std::copy_n(bytes.begin() + kSnapshotSize, kCodeVersionLength, image.begin() + kCodeVersion);
    return image;
}

std::string DifferencesField(const std::vector<model::ItemDifference>& items) {
    std::string text;
    for (const auto& d : items) {
        if (!text.empty()) text += '\n';
        text += escaped(d.item) + '\t' + escaped(d.expected) + '\t' + escaped(d.actual) + '\t';
        for (std::size_t i = 0; i < d.offsets.size(); ++i) text += (i ? "," : "") + std::to_string(d.offsets[i]);
    }
    return text;
}

std::vector<model::ItemDifference> DifferencesOfField(std::string_view text) {
    std::vector<model::ItemDifference> items;
    if (text.empty()) return items;
    for (const std::string_view line : split(text, '\n')) {
        const auto parts = split(line, '\t');
        model::ItemDifference d;
        d.item = unescaped(parts[0]);
        if (parts.size() > 1) d.expected = unescaped(parts[1]);
        if (parts.size() > 2) d.actual = unescaped(parts[2]);
        if (parts.size() > 3 && !parts[3].empty()) {
            for (const std::string_view n : split(parts[3], ',')) {
                std::size_t offset = 0;
                if (std::from_chars(n.data(), n.data() + n.size(), offset).ec == std::errc()) d.offsets.push_back(offset);
            }
        }
        items.push_back(std::move(d));
    }
    return items;
}

std::string NewRecordUid() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device source;
    std::string uid;
    for (int word = 0; word < 4; ++word) {
        const std::uint32_t bits = source();
        for (int shift = 28; shift >= 0; shift -= 4) uid += kHex[(bits >> shift) & 0xF];
    }
    return uid;
}

}  // namespace r4860::files
