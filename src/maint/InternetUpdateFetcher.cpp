#include "maint/InternetUpdateFetcher.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "maint/UpdateList.h"
#include "net/CInternetException.h"
#include "net/CInternetUrl.h"

namespace reelkeep {

std::string EscapeUpdateUrl(const std::string& url) {
    std::string escaped;
    escaped.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#' || c == '?' || c == '%' || c == '"') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

namespace {

// Ends the check when a body grows past its limit (the check takes any exception as its end).
void CheckLength(std::uint64_t received, std::uint64_t limit, const std::string& url) {
    if (received > limit) {
        throw std::length_error("more than " + std::to_string(limit) + " bytes from " + url);
    }
}

// A stated length already over the limit: nothing of the body is read.
void CheckStatedLength(CInternetUrl& request, std::uint64_t limit, const std::string& url) {
    std::uint64_t stated = 0;
    try {
        stated = request.QueryNumber(CInternetUrl::kQueryContentLength);
    } catch (const CInternetException&) {
        return;  // no length given: counted while reading
    }
    CheckLength(stated, limit, url);
}

}  // namespace

CUpdateFetcher::ListResponse InternetUpdateFetcher::FetchList(const std::string& url) {
    CInternetUrl request(session_, EscapeUpdateUrl(url), {}, kRequestFlags);
    ListResponse response;
    response.status = request.QueryNumber(CInternetUrl::kQueryStatusCode);
    CheckStatedLength(request, limits_.listBytes, url);
    char block[kListBlockSize];
    std::uint64_t received = 0;
    while (const std::size_t got = request.Read(block, sizeof block)) {
        received += got;
        CheckLength(received, limits_.listBytes, url);
        AppendListBlock(response.text, std::string_view(block, got));
    }
    return response;
}

unsigned InternetUpdateFetcher::FetchFile(const std::string& url,
                                          const std::function<void(std::string_view block)>& write) {
    CInternetUrl request(session_, EscapeUpdateUrl(url), {}, kRequestFlags);
    const unsigned status = request.QueryNumber(CInternetUrl::kQueryStatusCode);
    if (status < 200 || status > 206) return status;
    CheckStatedLength(request, limits_.fileBytes, url);
    char block[kFileBlockSize];
    std::uint64_t received = 0;
    while (const std::size_t got = request.Read(block, sizeof block)) {
        received += got;
        CheckLength(received, limits_.fileBytes, url);
        write(std::string_view(block, got));
    }
    return status;
}

}  // namespace reelkeep
