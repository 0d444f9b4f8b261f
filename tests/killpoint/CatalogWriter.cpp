// The window's catalog writes that reelkeep-cli has no command for, as a program of their
// own, so that the kill test can stop them in a real process:
//   catalog_writer edit CATALOG_FILE OID BODY     the edit page's Save with this posted body
//   catalog_writer update CATALOG_FILE OID PATH   Movie > Update... with this file
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/MovieImport.h"
#include "present/EditForm.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: catalog_writer edit|update CATALOG_FILE OID BODY|PATH\n");
        return 2;
    }
    const std::string command = argv[1];
    const std::string catalogFile = argv[2];
    const auto oid = static_cast<reelkeep::ObjectId>(std::strtoul(argv[3], nullptr, 10));
    try {
        if (command == "edit") {
            const reelkeep::EditFormResult result = reelkeep::ApplyEditForm(argv[4], oid, catalogFile);
            if (!result.stored) {
                std::fprintf(stderr, "not stored: %s\n", result.error.c_str());
                return 1;
            }
            return 0;
        }
        if (command == "update") {
            return reelkeep::UpdateMovieFromFile(catalogFile, oid, argv[4]) ? 0 : 1;
        }
    } catch (const reelkeep::dbException& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "unknown command %s\n", command.c_str());
    return 2;
}
