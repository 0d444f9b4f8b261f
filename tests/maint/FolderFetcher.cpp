#include "maint/FolderFetcher.h"

#include <fstream>

#include "maint/UpdateList.h"

namespace reelkeep::test {

std::string FolderFetcher::PathOf(const std::string& url) {
    requested.push_back(url);
    if (failing.count(url)) throw std::runtime_error("The operation was cancelled");
    if (url.rfind(server_, 0) != 0) throw std::runtime_error("unknown server: " + url);
    return root_ + url.substr(server_.size());
}

CUpdateFetcher::ListResponse FolderFetcher::FetchList(const std::string& url) {
    std::ifstream file(PathOf(url), std::ios::binary);
    if (!file) return {404, "<html><body>Not Found, sorry</body></html>"};
    ListResponse response{200, {}};
    std::string block(kListBlockSize, '\0');
    while (file.read(block.data(), static_cast<std::streamsize>(block.size())) ||
           file.gcount() > 0) {
        AppendListBlock(response.text, std::string_view(block.data(),
                                                        static_cast<std::size_t>(file.gcount())));
    }
    return response;
}

unsigned FolderFetcher::FetchFile(const std::string& url,
                                  const std::function<void(std::string_view)>& write) {
    std::ifstream file(PathOf(url), std::ios::binary);
    if (!file) return 404;
    std::string block(kFileBlockSize, '\0');
    while (file.read(block.data(), static_cast<std::streamsize>(block.size())) ||
           file.gcount() > 0) {
        write(std::string_view(block.data(), static_cast<std::size_t>(file.gcount())));
    }
    return 200;
}

}  // namespace reelkeep::test
