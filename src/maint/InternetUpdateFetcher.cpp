#include "maint/InternetUpdateFetcher.h"

#include <cstdio>

#include "maint/UpdateList.h"
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

CUpdateFetcher::ListResponse InternetUpdateFetcher::FetchList(const std::string& url) {
    CInternetUrl request(session_, EscapeUpdateUrl(url), {}, kRequestFlags);
    ListResponse response;
    response.status = request.QueryNumber(CInternetUrl::kQueryStatusCode);
    char block[kListBlockSize];
    while (const std::size_t got = request.Read(block, sizeof block)) {
        AppendListBlock(response.text, std::string_view(block, got));
    }
    return response;
}

unsigned InternetUpdateFetcher::FetchFile(const std::string& url,
                                          const std::function<void(std::string_view block)>& write) {
    CInternetUrl request(session_, EscapeUpdateUrl(url), {}, kRequestFlags);
    const unsigned status = request.QueryNumber(CInternetUrl::kQueryStatusCode);
    if (status < 200 || status > 206) return status;
    char block[kFileBlockSize];
    while (const std::size_t got = request.Read(block, sizeof block)) {
        write(std::string_view(block, got));
    }
    return status;
}

}  // namespace reelkeep
