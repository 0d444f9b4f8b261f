// Running a script text after an include text, and the messages that come back.
#include <gtest/gtest.h>

#include <thread>

#include "ScriptProbe.h"

namespace reelkeep::test {
namespace {

TEST(ScriptEngine, CompileErrorsNameTheSectionWithTheScriptsFirstLineAsRowOne) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("text = 'a';\nundefinedThing = 1;");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output,
              "ExecuteString (2, 1) : Error : No matching symbol 'undefinedThing'\n");
    EXPECT_EQ(probe.text, "");
}

TEST(ScriptEngine, AFunctionDeclaredInTheScriptTextDoesNotCompile) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("void f() {}\ntext = 'ran';");
    EXPECT_FALSE(result.succeeded);
    EXPECT_NE(result.output.find("ExecuteString (1, "), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(" : Error : "), std::string::npos) << result.output;
    EXPECT_EQ(probe.text, "");
}

TEST(ScriptEngine, IncludeErrorsStopBeforeTheScriptRuns) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("text = 'ran';", "int f() { return 1 }\n");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output.rfind("include (1, ", 0), 0u) << result.output;
    EXPECT_EQ(probe.text, "");
}

TEST(ScriptEngine, IncludeFilesRunTogetherIntoOneText) {
    // One file ending without a line break runs on into the first line of the next.
    const std::string include =
        std::string("int One() { return 1; } //") + "\nint Two() { return 2; }";
    ScriptProbe probe;
    EXPECT_TRUE(probe.Run("number = One() + Two();", include).succeeded);
    EXPECT_EQ(probe.number, 3);

    const std::string joined =
        std::string("int One() { return 1; } //") + "int Two() { return 2; }";
    EXPECT_FALSE(probe.Run("number = Two();", joined).succeeded);
}

TEST(ScriptEngine, ExceptionsInIncludeFunctionsNameTheIncludeRow) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("text = At('ab', 5);",
                                             "string At(const string &in s, uint i) {\n"
                                             "  string r; r += s[i]; return r;\n}\n");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "include (2, 13) : Error : Out of range\n");
}

TEST(ScriptEngine, WarningsDoNotFailTheRun) {
    ScriptProbe probe;
    const ScriptRunResult result =
        probe.Run("int unused; uint u = 1; int i = -1; flag = u > uint(i);");
    EXPECT_TRUE(result.succeeded) << result.output;
}

TEST(ScriptEngine, NoScriptCanHoldAReferenceToMemoryItFrees) {
    // A function that empties an array and lets it grow anew while it holds a reference to
    // one of its elements would write into freed memory: such functions do not compile.
    for (const char* parameters : {"string[] &inout a, string &inout s", "string[] &a, string &s"}) {
        SCOPED_TRACE(parameters);
        ScriptProbe probe;
        const ScriptRunResult result = probe.Run(
            "string[] a; a.append('first'); F(a, a[0]); text = 'ran';",
            std::string("void F(") + parameters +
                ") { string[] none; a = none; for (uint i = 0; i < 64; ++i) a.append('grown');"
                " s += 'written over the array that held me'; }\n");
        EXPECT_FALSE(result.succeeded);
        EXPECT_NE(result.output.find("&inout"), std::string::npos) << result.output;
        EXPECT_EQ(probe.text, "");
    }
    // References the program itself declares still change the variable they are given, of
    // every kind.
    const std::string include =
        "string shared = 'a';\n"
        "class Holder { string member = 'aaa'; regex r('a', 'c', 2); }\n"
        "Holder@ held;\n"
        "string& Drop() { @held = null; return shared; }\n";
    ScriptProbe probe;
    probe.list = {"xax"};
    ScriptRunResult result = probe.Run(
        "regex r('a', 'b', 2);\n"
        "string local = 'aa'; r.substitute(local);\n"
        "r.substitute(shared); r.substitute(list[0]);\n"
        "Holder h; r.substitute(h.member);\n"
        "text = local + ' ' + shared + ' ' + list[0] + ' ' + h.member;\n",
        include);
    EXPECT_TRUE(result.succeeded) << result.output;
    EXPECT_EQ(probe.text, "bb b xbx bbb");
    // An argument that drops the object whose method is called: the engine notices.
    result = probe.Run("@held = Holder(); held.r.substitute(Drop()); text = shared;", include);
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "ExecuteString (1, 19) : Error : Null pointer access\n");
}

TEST(ScriptEngine, EndlessRecursionEndsTheScriptInsteadOfTakingTheMemory) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("text = 'a'; Deeper(1);", "int Deeper(int n) { return Deeper(n + 1) + 1; }\n");
    EXPECT_FALSE(result.succeeded);
    EXPECT_NE(result.output.find("Stack overflow"), std::string::npos) << result.output;
}

TEST(ScriptEngine, EnginesOnSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<std::string> results(4);
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([t, &results] {
            for (int round = 0; round < 20; ++round) {
                ScriptProbe probe;
                probe.Run("text = string('n=' + " + std::to_string(t) + ") % 'n=(\\\\d)';");
                results[t] += probe.text;
            }
            ReleaseScriptThread();
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < results.size(); ++t)
        EXPECT_EQ(results[t], std::string(20, static_cast<char>('0' + t)));
}

}  // namespace
}  // namespace reelkeep::test
