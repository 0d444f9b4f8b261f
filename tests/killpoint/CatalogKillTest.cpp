// Every kind of write to a catalog, in a real process killed at every point where it changes a
// file of the catalog's folder: afterwards the catalog opens, passes the storage library's
// integrity check, its word index says what its records say, and it holds the state from
// before the operation or the state after it, never a mixture. A catalog that did not exist
// before may be absent or empty.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>

#include "MediaSamples.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogHistory.h"
#include "catalog/CatalogOperations.h"
#include "catalog/CatalogPaths.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "support/WordIndexCheck.h"

namespace reelkeep {
namespace {

namespace fs = std::filesystem;
using Access = CatalogDatabase::Access;
using test::ReadFileBytes;
using test::RunProcess;
using test::TempFolder;
using test::WriteFileBytes;

// Kills per operation; an operation with more points is killed at points spread over all.
constexpr long kMaxKillsPerOperation = 40;

// Everything the file holds, table by table and row by row, as text that compares exactly.
std::string DumpCatalog(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "<cannot open>";
    }
    std::string dump;
    std::vector<std::string> tables;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", -1,
                       &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    for (const std::string& table : tables) {
        dump += "[" + table + "]\n";
        const std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY 1, 2";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                // A new movie records the moment it was added, and a step of the history the
                // moment it was made and a digest of the records it left, which differ from run
                // to run.
                const std::string_view name = sqlite3_column_name(statement, column);
                if (name == "dtAdded" || name == "time" || name == "states") continue;
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
                dump.append(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
                dump += '|';
            }
            dump += '\n';
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    // Pictures an import copies in get names drawn at random ("picture-1a2b3c4d.png"): every
    // run names them anew.
    for (std::size_t at = dump.find("picture-"); at != std::string::npos; at = dump.find("picture-", at + 1)) {
        for (std::size_t i = at + 8; i < at + 16 && i < dump.size() && std::isxdigit(static_cast<unsigned char>(dump[i])); ++i) {
            dump[i] = '#';
        }
    }
    return dump;
}

std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string result;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) += values[0] ? values[0] : "";
            return 0;
        },
        &result, nullptr);
    sqlite3_close(db);
    return result;
}

std::string EmptyCatalogDump() {
    TempFolder folder;
    CatalogDatabase database(CatalogFilePath(folder.Path()));
    database.Open(Access::ReadWrite);
    database.Close();
    return DumpCatalog(CatalogFilePath(folder.Path()));
}

void CopyFolder(const std::string& from, const std::string& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

struct Operation {
    std::string name;
    // Fills the catalog folder (and the media folder beside it) with the state before.
    std::function<void(const std::string& catalogFolder, const std::string& mediaFolder)> prepare;
    // The program and its arguments, given the catalog folder and the media folder.
    std::function<std::vector<std::string>(const std::string& catalogFolder,
                                           const std::string& mediaFolder)>
        command;
    bool createsCatalog = false;
};

class CatalogKillTest : public ::testing::Test {
protected:
    // Runs the operation once to the end, then once per kill point on a fresh copy of the
    // state before, and checks what each kill left.
    void KillAtEveryPoint(const Operation& operation) {
        SCOPED_TRACE(operation.name);
        const std::string before = root_ / "before/";
        const std::string media = root_ / "media/";
        const std::string work = root_ / "work/";
        fs::create_directories(before);
        fs::create_directories(media);
        operation.prepare(before, media);
        const std::string catalog = CatalogFilePath(work);
        const std::string countFile = root_ / "count";

        CopyFolder(before, work);
        const std::string beforeDump =
            test::FileExists(CatalogFilePath(before)) ? DumpCatalog(CatalogFilePath(before)) : "";
        const auto whole = Run(operation, work, media, {"REELKEEP_KILL_COUNT=" + countFile});
        ASSERT_EQ(whole.exitCode, 0) << whole.err;
        const std::string afterDump = DumpCatalog(catalog);
        ASSERT_NE(afterDump, beforeDump);
        const long points = std::stol(ReadFileBytes(countFile));
        ASSERT_GT(points, 0);

        const long step = std::max(1L, points / kMaxKillsPerOperation);
        int killed = 0;
        for (long point = 1; point <= points; point += step) {
            SCOPED_TRACE("killed before change " + std::to_string(point) + " of " +
                         std::to_string(points));
            CopyFolder(before, work);
            const auto run = Run(operation, work, media, {"REELKEEP_KILL_AT=" + std::to_string(point)});
            if (run.signal == SIGKILL) ++killed;
            else ASSERT_EQ(run.exitCode, 0) << run.err;  // a run that changed less on its way

            if (!test::FileExists(catalog)) {
                EXPECT_TRUE(operation.createsCatalog) << "the catalog disappeared";
                continue;
            }
            for (const Access access : {Access::ReadOnly, Access::ReadWrite}) {
                CatalogDatabase database(catalog);
                try {
                    database.Open(access);
                    database.Count();
                    database.Close();
                } catch (const dbException& error) {
                    ADD_FAILURE() << "the catalog no longer opens: " << error.what();
                }
            }
            EXPECT_EQ(IntegrityCheck(catalog), "ok");
            EXPECT_EQ(test::WordIndexDifference(catalog), "");
            const std::string dump = DumpCatalog(catalog);
            const bool allowed = dump == beforeDump || dump == afterDump ||
                                 (operation.createsCatalog && dump == EmptyCatalogDump());
            EXPECT_TRUE(allowed) << "a mixture of before and after:\n" << dump;
            if (HasFailure()) return;
        }
        EXPECT_GT(killed, 0);
    }

private:
    test::ProcessResult Run(const Operation& operation, const std::string& work,
                            const std::string& media, std::vector<std::string> environment) {
        environment.push_back("LD_PRELOAD=" REELKEEP_KILLPOINT_PATH);
        environment.push_back("REELKEEP_KILL_FOLDER=" + work);
        std::vector<std::string> command = operation.command(work, media);
        const std::string program = command.front();
        command.erase(command.begin());
        return RunProcess(program, command, {}, environment);
    }

    TempFolder root_;
};

std::vector<ObjectId> Seed(const std::string& catalogFolder, int count) {
    CatalogDatabase database(CatalogFilePath(catalogFolder));
    database.Open(Access::ReadWrite);
    std::vector<ObjectId> oids;
    for (int i = 0; i < count; ++i) {
        Movie movie;
        movie.szTitle = "Seeded " + std::to_string(i);
        movie.nYear = 1990 + i;
        movie.szPlot.assign(3000, static_cast<char>('a' + i % 26));  // records span pages
        movie.pszActors = {"Someone " + std::to_string(i), "Davis Jr., Sammy"};
        movie.pszFilenames = {"seeded" + std::to_string(i) + ".avi"};
        movie.pnSizes = {1000 + i};
        oids.push_back(database.Insert(movie));
    }
    database.Close();
    return oids;
}

void MakeFile(const std::string& path, std::size_t size) { WriteFileBytes(path, std::string(size, 'v')); }

std::vector<std::string> Cli(const std::string& catalogFolder, std::vector<std::string> args) {
    args.insert(args.begin(), {REELKEEP_CLI_PATH, "--catalog", catalogFolder});
    return args;
}

TEST_F(CatalogKillTest, CreatingACatalogByADrop) {
    KillAtEveryPoint({"drop into a new folder",
                      [](const std::string&, const std::string& media) {
                          MakeFile(media + "First.Movie.avi", 5000);
                          MakeFile(media + "Second.Movie.mkv", 7000);
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"add-files", media});
                      },
                      true});
}

TEST_F(CatalogKillTest, ANewMovie) {
    KillAtEveryPoint({"new movie", [](const std::string& catalog, const std::string&) { Seed(catalog, 20); },
                      [](const std::string& catalog, const std::string&) {
                          return Cli(catalog, {"add", "Brand New"});
                      }});
}

TEST_F(CatalogKillTest, ADropThatRelocatesAttachesAndAdds) {
    KillAtEveryPoint({"drop",
                      [](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          MakeFile(media + "seeded3.avi", 4000);        // a known file moved
                          MakeFile(media + "Seeded.5.avi", 6000);       // a second disc of "Seeded 5"
                          for (int i = 0; i < 5; ++i) MakeFile(media + "New." + std::to_string(i) + ".avi", 100);
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"add-files", media});
                      }});
}

// The media helper reads each file's facts inside the drop's one transaction: killed at any
// change, the catalog holds all of the drop or none of it, facts included.
TEST_F(CatalogKillTest, ADropOfFilesWhoseFactsComeFromTheMediaHelper) {
    test::MediaSample sample;
    sample.name = "Heat.1995.mkv";
    sample.video = "libx264";
    sample.size = "160x120";
    sample.audio = {{"aac", "eng", true}, {"ac3", "fre", false}};
    sample.subtitleEncoder = "srt";
    sample.subtitleLanguages = {"ger"};
    if (!test::MissingEncoders(sample).empty())
        GTEST_SKIP() << "this ffmpeg cannot make the sample";
    KillAtEveryPoint({"drop of files for the media helper",
                      [&sample](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          TempFolder scratch;
                          ASSERT_EQ(test::MakeSample(scratch.Path(), sample), "");
                          const std::string movie = ReadFileBytes(scratch / sample.name);
                          WriteFileBytes(media + "Seeded.4.mkv", movie);  // joins "Seeded 4"
                          WriteFileBytes(media + sample.name, movie);
                          WriteFileBytes(media + "Noise.mp4", std::string(3000, 'n'));
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"add-files", media});
                      }});
}

// What a media centre keeps beside the files fills the movies inside the drop's transaction:
// killed anywhere, the catalog holds the movies with their NFO's details and posters, or none.
TEST_F(CatalogKillTest, ADropOfAMediaCentresFolder) {
    KillAtEveryPoint({"drop of a media centre's folder",
                      [](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(4000, 'j');
                          for (int i = 0; i < 4; ++i) {
                              const std::string folder = media + "Film " + std::to_string(i) + "/";
                              fs::create_directories(folder);
                              MakeFile(folder + "Film." + std::to_string(1990 + i) + ".avi", 3000);
                              WriteFileBytes(folder + "movie.nfo",
                                             i == 2 ? "<movie><title>Broken" :
                                             "<movie><title>Film " + std::to_string(i) + "</title><plot>" +
                                                 std::string(3000, 'n') + "</plot><actor><name>A</name></actor></movie>");
                              WriteFileBytes(folder + "poster.jpg", jpeg);
                          }
                          // A known file moved next to an NFO: only its empty fields fill.
                          MakeFile(media + "seeded3.avi", 4000);
                          WriteFileBytes(media + "seeded3.nfo", "<movie><title>Other</title><runtime>99</runtime></movie>");
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"add-files", media});
                      }});
}

TEST_F(CatalogKillTest, AnEditSave) {
    KillAtEveryPoint(
        {"edit save", [](const std::string& catalog, const std::string&) { Seed(catalog, 20); },
         [](const std::string& catalog, const std::string&) {
             return std::vector<std::string>{REELKEEP_WRITER_PATH, "edit", CatalogFilePath(catalog), "7",
                                             "szTitle=Edited&nYear=2001&pszActors=A,+B&szPlot=" +
                                                 std::string(5000, 'q')};
         }});
}

TEST_F(CatalogKillTest, AScriptRun) {
    KillAtEveryPoint({"script run",
                      [](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          WriteFileBytes(media + "Retitle.rks",
                                         "szTitle = szTitle + ' (checked)';\n"
                                         "nYear = nYear + 1;\n"
                                         "szPlot = szPlot + szPlot;\n");
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"run-script", "--scripts", media, "Retitle"});
                      }});
}

TEST_F(CatalogKillTest, ADelete) {
    KillAtEveryPoint({"delete", [](const std::string& catalog, const std::string&) { Seed(catalog, 20); },
                      [](const std::string& catalog, const std::string&) {
                          return Cli(catalog, {"delete", "2", "9", "10", "11", "17"});
                      }});
}

// A catalog made before the word index gets it in the transaction of its first write (here
// the one reelkeep-cli find opens for it): killed anywhere, the catalog is of the former
// layout still, or has the whole index.
TEST_F(CatalogKillTest, TheWordIndexOfACatalogOfTheFormerLayout) {
    KillAtEveryPoint({"word index built at the first write",
                      [](const std::string& catalog, const std::string&) {
                          Seed(catalog, 40);
                          ASSERT_TRUE(test::TakeBackToTheFormerLayout(CatalogFilePath(catalog)));
                      },
                      [](const std::string& catalog, const std::string&) {
                          return Cli(catalog, {"find", "someone"});
                      }});
}

// Taking a step back and making it again are writes like any other.
void SeedAndDelete(const std::string& catalog) {
    const std::vector<ObjectId> oids = Seed(catalog, 20);
    const std::vector<ObjectId> doomed(oids.begin() + 3, oids.begin() + 9);
    DeleteMovies(CatalogFilePath(catalog), doomed, [](std::size_t) {});
}

TEST_F(CatalogKillTest, AnUndo) {
    KillAtEveryPoint({"undo of a delete",
                      [](const std::string& catalog, const std::string&) { SeedAndDelete(catalog); },
                      [](const std::string& catalog, const std::string&) { return Cli(catalog, {"undo"}); }});
}

TEST_F(CatalogKillTest, ARedo) {
    KillAtEveryPoint({"redo of a delete",
                      [](const std::string& catalog, const std::string&) {
                          SeedAndDelete(catalog);
                          UndoStep(CatalogFilePath(catalog));
                      },
                      [](const std::string& catalog, const std::string&) { return Cli(catalog, {"redo"}); }});
}

TEST_F(CatalogKillTest, AnUpdateFromAFile) {
    KillAtEveryPoint({"update from a file",
                      [](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          MakeFile(media + "Extra.Disc.avi", 9000);
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return std::vector<std::string>{REELKEEP_WRITER_PATH, "update",
                                                          CatalogFilePath(catalog), "4",
                                                          media + "Extra.Disc.avi"};
                      }});
}

// An import is one transaction: a kill anywhere leaves the catalog as before or with every
// movie of the file, whatever pictures were already copied beside it.
TEST_F(CatalogKillTest, AnImport) {
    KillAtEveryPoint({"import",
                      [](const std::string& catalog, const std::string& media) {
                          Seed(catalog, 20);
                          std::string csv = "szTitle,nYear,szPlot,pszActors\r\n";
                          for (int i = 0; i < 30; ++i) {
                              // Seeded titles come back and fill their empty fields.
                              const std::string title = i % 3 ? "New " + std::to_string(i) : "Seeded " + std::to_string(i);
                              csv += title + "," + std::to_string(1990 + i) + ",\"" + std::string(2000, 'p') +
                                     "\",\"First\nSecond\"\r\n";
                          }
                          WriteFileBytes(media + "movies.csv", csv);
                          // A collection whose entries bring their pictures along.
                          std::string gcs = "<collection type=\"GCfilms\">";
                          for (int i = 0; i < 3; ++i) {
                              const std::string name = "cover" + std::to_string(i) + ".png";
                              WriteFileBytes(media + name, std::string("\x89PNG\r\n\x1A\n", 8) + std::string(5000, 'i'));
                              gcs += "<item title=\"Pictured " + std::to_string(i) + "\" image=\"" + name + "\"/>";
                          }
                          WriteFileBytes(media + "films.gcs", gcs + "</collection>");
                      },
                      [](const std::string& catalog, const std::string& media) {
                          return Cli(catalog, {"import", "--existing", "fill", media + "movies.csv",
                                               media + "films.gcs"});
                      }});
}

}  // namespace
}  // namespace reelkeep
