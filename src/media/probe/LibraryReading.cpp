#include "media/probe/LibraryReading.h"

#include <MediaInfo/MediaInfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "media/ProbeFields.h"

namespace reelkeep {

namespace {

using MediaInfoLib::MediaInfo;

// Enough for the headers of any container at the quickest setting; a file that leads the
// library further is no movie the library will make sense of.
constexpr std::uint64_t kMaxBytesFed = 64ull << 20;
constexpr int kMaxJumps = 256;
constexpr std::size_t kReadSize = 16 * 1024;
// The library's status bit for "finished".
constexpr std::size_t kFinished = 0x08;

// The library speaks UTF-32 on this platform; the catalog stores UTF-8.
std::string Utf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (const wchar_t wide : text) {
        auto code = static_cast<std::uint32_t>(wide);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::wstring Wide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

MediaInfoLib::stream_t StreamOf(TrackKind kind) {
    switch (kind) {
        case TrackKind::General:
            return MediaInfoLib::Stream_General;
        case TrackKind::Video:
            return MediaInfoLib::Stream_Video;
        case TrackKind::Audio:
            return MediaInfoLib::Stream_Audio;
        case TrackKind::Text:
            return MediaInfoLib::Stream_Text;
    }
    return MediaInfoLib::Stream_General;
}

void Feed(MediaInfo& library, std::uint64_t fileSize, const ReadAt& read) {
    std::vector<std::uint8_t> buffer(kReadSize);
    library.Open_Buffer_Init(fileSize, 0);
    std::uint64_t position = 0;
    std::uint64_t fed = 0;
    int jumps = 0;
    while (fed < kMaxBytesFed) {
        const std::size_t count = read(position, buffer.data(), buffer.size());
        if (count == 0)
            break;
        position += count;
        fed += count;
        if (library.Open_Buffer_Continue(buffer.data(), count) & kFinished)
            break;
        const std::uint64_t jump = library.Open_Buffer_Continue_GoTo_Get();
        if (jump != static_cast<std::uint64_t>(-1)) {
            if (++jumps > kMaxJumps || jump > fileSize)
                break;
            position = jump;
            library.Open_Buffer_Init(fileSize, position);
        }
    }
    library.Open_Buffer_Finalize();
}

}  // namespace

ProbeAnswer InspectWithLibrary(std::uint64_t fileSize, const ReadAt& read) {
    MediaInfo library;
    library.Option(L"ParseSpeed", L"0");
    Feed(library, fileSize, read);

    ProbeAnswer answer;
    answer.opened = true;
    for (const TrackKind kind :
         {TrackKind::General, TrackKind::Video, TrackKind::Audio, TrackKind::Text}) {
        const MediaInfoLib::stream_t stream = StreamOf(kind);
        const std::size_t count = std::min(library.Count_Get(stream), kMaxAnswerTracks);
        for (std::size_t index = 0; index < count && answer.tracks.size() < kMaxAnswerTracks;
             ++index) {
            ProbeTrack track{kind, {}};
            for (const std::string_view parameter : probe::ParametersOf(kind)) {
                std::string value = Utf8(library.Get(stream, index, Wide(parameter)));
                if (!value.empty())
                    track.values.emplace_back(parameter, std::move(value));
            }
            answer.tracks.push_back(std::move(track));
        }
    }
    return answer;
}

ProbeAnswer InspectFile(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file < 0)
        return {};
    struct stat status {};
    if (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(file);
        return {};
    }
    const ProbeAnswer answer = InspectWithLibrary(
        static_cast<std::uint64_t>(status.st_size),
        [file](std::uint64_t offset, std::uint8_t* buffer, std::size_t size) -> std::size_t {
            for (;;) {
                const ssize_t count = ::pread(file, buffer, size, static_cast<off_t>(offset));
                if (count >= 0)
                    return static_cast<std::size_t>(count);
                if (errno != EINTR)
                    return 0;
            }
        });
    ::close(file);
    return answer;
}

}  // namespace reelkeep
