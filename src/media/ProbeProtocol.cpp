#include "media/ProbeProtocol.h"

#include <algorithm>
#include <array>

namespace reelkeep {

namespace {

constexpr std::string_view kStatus = "status";
constexpr std::string_view kOpened = "opened";
constexpr std::string_view kUnreadable = "unreadable";
constexpr std::string_view kTrack = "track";

constexpr std::array<std::pair<TrackKind, std::string_view>, 4> kKindNames = {{
    {TrackKind::General, "General"},
    {TrackKind::Video, "Video"},
    {TrackKind::Audio, "Audio"},
    {TrackKind::Text, "Text"},
}};

// More digits than any length we accept could need; keeps the arithmetic far from overflow.
constexpr std::size_t kMaxLengthDigits = 10;

// Splits a row of netstrings; nothing when the bytes are not exactly such a row.
std::optional<std::vector<std::string>> SplitNetstrings(std::string_view bytes,
                                                        std::size_t maxCount) {
    NetstringReader reader(bytes.size());
    reader.Feed(bytes);
    std::vector<std::string> fields;
    std::string field;
    for (;;) {
        switch (reader.Next(field)) {
            case NetstringReader::Status::Complete:
                if (fields.size() == maxCount)
                    return std::nullopt;
                fields.push_back(std::move(field));
                break;
            case NetstringReader::Status::NeedMore:
                if (reader.Pending() != 0)
                    return std::nullopt;
                return fields;
            case NetstringReader::Status::Malformed:
                return std::nullopt;
        }
    }
}

}  // namespace

std::string_view ProbeTrack::Value(std::string_view parameter) const {
    for (const auto& [name, value] : values) {
        if (name == parameter)
            return value;
    }
    return {};
}

std::string EncodeNetstring(std::string_view bytes) {
    std::string frame = std::to_string(bytes.size());
    frame += ':';
    frame.append(bytes);
    frame += ',';
    return frame;
}

NetstringReader::Status NetstringReader::Next(std::string& out) {
    if (broken_)
        return Status::Malformed;
    const std::string_view pending = std::string_view(buffer_).substr(start_);
    std::size_t length = 0;
    std::size_t digits = 0;
    for (; digits < pending.size() && pending[digits] != ':'; ++digits) {
        const char c = pending[digits];
        if (c < '0' || c > '9' || digits == kMaxLengthDigits) {
            broken_ = true;
            return Status::Malformed;
        }
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (digits == pending.size())
        return Status::NeedMore;
    if (digits == 0 || length > maxLength_) {
        broken_ = true;
        return Status::Malformed;
    }
    const std::size_t frame = digits + 1 + length + 1;
    if (pending.size() < frame)
        return Status::NeedMore;
    if (pending[frame - 1] != ',') {
        broken_ = true;
        return Status::Malformed;
    }
    out.assign(pending.substr(digits + 1, length));
    start_ += frame;
    // Drop what was handed out once it outweighs what is left, so the buffer stays small.
    if (start_ > buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    return Status::Complete;
}

std::string_view TrackKindName(TrackKind kind) {
    for (const auto& [known, name] : kKindNames) {
        if (known == kind)
            return name;
    }
    return {};
}

std::string EncodeAnswerBody(const ProbeAnswer& answer) {
    std::string body = EncodeNetstring(kStatus);
    body += EncodeNetstring(answer.opened ? kOpened : kUnreadable);
    const std::size_t tracks = std::min(answer.tracks.size(), kMaxAnswerTracks);
    for (std::size_t t = 0; t < tracks; ++t) {
        const ProbeTrack& track = answer.tracks[t];
        body += EncodeNetstring(kTrack);
        body += EncodeNetstring(TrackKindName(track.kind));
        std::size_t values = 0;
        for (const auto& [name, value] : track.values) {
            // A nameless value, or one named like the track marker, could not be read back.
            if (name.empty() || name == kTrack)
                continue;
            if (values++ == kMaxTrackValues)
                break;
            body += EncodeNetstring(name);
            body += EncodeNetstring(value);
        }
    }
    return body;
}

std::optional<ProbeAnswer> DecodeAnswerBody(std::string_view body) {
    // Two fields per pair: the status, then per track its kind and its values.
    constexpr std::size_t kMaxFields = 2 * (1 + kMaxAnswerTracks * (1 + kMaxTrackValues));
    const std::optional<std::vector<std::string>> fields = SplitNetstrings(body, kMaxFields);
    if (!fields || fields->size() < 2 || fields->size() % 2 != 0 || (*fields)[0] != kStatus)
        return std::nullopt;
    ProbeAnswer answer;
    if ((*fields)[1] == kOpened)
        answer.opened = true;
    else if ((*fields)[1] != kUnreadable)
        return std::nullopt;

    bool inTrack = false;
    bool skipping = false;  // inside a track of a kind we do not know
    for (std::size_t i = 2; i < fields->size(); i += 2) {
        const std::string& name = (*fields)[i];
        std::string value = (*fields)[i + 1];
        if (name == kTrack) {
            const auto known =
                std::find_if(kKindNames.begin(), kKindNames.end(),
                             [&value](const auto& kind) { return kind.second == value; });
            inTrack = true;
            skipping = known == kKindNames.end();
            if (skipping)
                continue;
            if (answer.tracks.size() == kMaxAnswerTracks)
                return std::nullopt;
            answer.tracks.push_back({known->first, {}});
            continue;
        }
        if (!inTrack || name.empty())
            return std::nullopt;
        if (skipping)
            continue;
        auto& values = answer.tracks.back().values;
        if (values.size() == kMaxTrackValues)
            return std::nullopt;
        values.emplace_back(name, std::move(value));
    }
    return answer;
}

}  // namespace reelkeep
