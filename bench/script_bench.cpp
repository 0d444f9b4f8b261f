// Figures of the script engine bridge.
//   script_bench [RUNS]   (default 200)
// 1. One movie's worth of engine work: a fresh engine with the whole text API registered, a
//    300-line include compiled, a small script executed. Target: median at most 5 ms.
// 2. `count` of a simple pattern over a 1 MB page, against raw PCRE2 (JIT) on the same page.
//    Target: within 1.5 times.
// 3. A 1 MB JSON answer parsed and 1,000 values read from it by a script (`json`), against the
//    same through the JSON library from C++. Target: within 2 times.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <angelscript.h>

#include "script/ScriptEngine.h"
#include "script/regex/Regex.h"

using namespace reelkeep;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// 300 lines of helpers such as include files hold: 50 functions of 6 lines.
std::string IncludeText() {
    std::string text;
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(i);
        text += "string Field" + n + "(const string &in page) {\n";
        text += "    int start = page.find('<td class=\"f" + n + "\">');\n";
        text += "    if (start < 0) return '';\n";
        text += "    string rest = page.mid(start);\n";
        text += "    return rest % '<td[^>]*>([^<]*)</td>';\n";
        text += "}\n";
    }
    return text;
}

const char* kScript =
    "string page = '<tr><td class=\"f3\">Kubrick</td></tr><tr><td class=\"f7\">1968</td></tr>';\n"
    "string director = Field3(page);\n"
    "int year = atoi(Field7(page));\n"
    "regex r('(\\\\d+)'); r.match(page);\n"
    "string[] cells = page * '<td[^>]*>([^<]*)</td>';\n"
    "director.unescape();\n";

std::string Page(std::size_t bytes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string page = "<html><body>\n";
    while (page.size() < bytes) {
        std::string word(8, ' ');
        for (char& c : word) c = static_cast<char>(letter(random));
        page += "<tr><td><a href=\"/title/" + word + "/\">" + word + "</a></td><td>" +
                std::to_string(random() % 3000) + "</td></tr>\n";
    }
    return page;
}

std::size_t RawCount(pcre2_code* code, pcre2_match_data* data, const std::string& page) {
    std::size_t count = 0;
    PCRE2_SIZE position = 0;
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(page.data());
    while (pcre2_match(code, subject, page.size(), position, 0, data, nullptr) >= 0) {
        ++count;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        position = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        if (position > page.size())
            break;
    }
    return count;
}

// A search answer of about 1 MB: results shaped like a movie source's.
std::string JsonPage(std::size_t bytes) {
    std::mt19937 random(11);
    std::string page = "{\"page\":1,\"results\":[";
    for (int i = 0; page.size() < bytes; ++i) {
        if (i > 0) page += ',';
        page += "{\"adult\":false,\"genre_ids\":[18,878],\"id\":" + std::to_string(i) +
                ",\"original_language\":\"en\",\"original_title\":\"Movie " + std::to_string(i) +
                "\",\"overview\":\"" + std::string(300, static_cast<char>('a' + random() % 26)) +
                "\",\"popularity\":" + std::to_string(random() % 1000) + ".5,\"poster_path\":\"/p" +
                std::to_string(i) + ".jpg\",\"release_date\":\"1999-03-30\",\"title\":\"Movie " +
                std::to_string(i) + "\",\"vote_average\":7.5,\"vote_count\":" + std::to_string(i) + "}";
    }
    return page + "],\"total_pages\":1}";
}

// 500 results, their id and title: 1,000 reads.
const char* kJsonScript =
    "json doc(text);\n"
    "json results = doc['results'];\n"
    "uint sum = 0;\n"
    "for (uint i = 0; i < 500; i++)\n"
    "    sum += results[i]['id'].asInt() + results[i]['title'].asString().length();\n"
    "count = sum;\n";

unsigned LibraryReads(const std::string& text) {
    const nlohmann::json doc = nlohmann::json::parse(text);
    const nlohmann::json& results = doc["results"];
    unsigned sum = 0;
    for (unsigned i = 0; i < 500; ++i) {
        sum += results[i]["id"].get<unsigned>() +
               static_cast<unsigned>(results[i]["title"].get_ref<const std::string&>().size());
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;

    const std::string include = IncludeText();
    std::vector<double> engineTimes;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const ScriptRunResult result = RunScriptInFreshEngine(include, kScript);
        engineTimes.push_back(Milliseconds(Clock::now() - start));
        if (!result.succeeded) {
            std::fprintf(stderr, "script failed:\n%s", result.output.c_str());
            return 1;
        }
    }
    std::printf(
        "fresh engine + text API + 300-line include + script: median %.3f ms "
        "(min %.3f, %d runs; target <= 5 ms)\n",
        Median(engineTimes), *std::min_element(engineTimes.begin(), engineTimes.end()), runs);

    const std::string page = Page(1 << 20);
    const char* pattern = "<a href=\"([^\"]*)\">";
    const Regex regex(pattern, 0);

    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                                     0, &error, &offset, nullptr);
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);

    std::vector<double> ours;
    std::vector<double> raw;
    std::size_t ourCount = 0;
    std::size_t rawCount = 0;
    for (int i = 0; i < 21; ++i) {
        auto start = Clock::now();
        ourCount = regex.Count(page);
        ours.push_back(Milliseconds(Clock::now() - start));
        start = Clock::now();
        rawCount = RawCount(code, data, page);
        raw.push_back(Milliseconds(Clock::now() - start));
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    if (ourCount != rawCount) {
        std::fprintf(stderr, "counts differ: %zu against %zu\n", ourCount, rawCount);
        return 1;
    }
    const double ourMedian = Median(ours);
    const double rawMedian = Median(raw);
    std::printf(
        "count over 1 MB (%zu matches): ours %.3f ms, raw PCRE2 %.3f ms, ratio %.2f "
        "(target <= 1.5)\n",
        ourCount, ourMedian, rawMedian, ourMedian / rawMedian);

    // One engine for every run: what is timed is the script's own work, built and executed.
    std::string text = JsonPage(1 << 20);
    unsigned count = 0;
    const ScriptEnginePtr engine = CreateScriptEngine();
    RegisterTextApi(engine.get());
    engine->RegisterGlobalProperty("string text", &text);
    engine->RegisterGlobalProperty("uint count", &count);
    std::vector<double> script;
    std::vector<double> library;
    unsigned librarySum = 0;
    for (int i = 0; i < 21; ++i) {
        auto start = Clock::now();
        CScriptOutput output;
        if (!ExecuteScript(engine.get(), {}, kJsonScript, output)) {
            std::fprintf(stderr, "json script failed:\n%s", output.Text().c_str());
            return 1;
        }
        script.push_back(Milliseconds(Clock::now() - start));
        start = Clock::now();
        librarySum = LibraryReads(text);
        library.push_back(Milliseconds(Clock::now() - start));
    }
    if (count != librarySum) {
        std::fprintf(stderr, "sums differ: %u against %u\n", count, librarySum);
        return 1;
    }
    const double scriptMedian = Median(script);
    const double libraryMedian = Median(library);
    std::printf(
        "json: parse %.2f MB + 1,000 reads: script %.3f ms, library from C++ %.3f ms, ratio %.2f "
        "(target <= 2)\n",
        static_cast<double>(text.size()) / (1 << 20), scriptMedian, libraryMedian,
        scriptMedian / libraryMedian);
    return 0;
}
