// The script `string[]` over the record's own array type, and the all-matches operator.
#include <gtest/gtest.h>

#include <angelscript.h>

#include "ScriptProbe.h"

namespace reelkeep::test {
namespace {

ScriptProbe RunOk(std::string_view script) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run(script);
    EXPECT_TRUE(result.succeeded) << script << "\n" << result.output;
    return probe;
}

TEST(ScriptStringArray, ConstructAppendIndexAndLength) {
    ScriptProbe sized = RunOk("string[] a(3); count = a.length(); a.append('x'); list = a;");
    EXPECT_EQ(sized.count, 3u);
    EXPECT_EQ(sized.list, (StringArray{"", "", "", "x"}));

    ScriptProbe edited = RunOk(
        "string[] a; a.append('p'); a.append('q'); a[0] = 'P';"
        "a[1] += '!'; list = a; text = a[0] + a[1];");
    EXPECT_EQ(edited.list, (StringArray{"P", "q!"}));
    EXPECT_EQ(edited.text, "Pq!");
}

TEST(ScriptStringArray, BoundArrayIsTheCallersOwnVector) {
    ScriptProbe probe;
    probe.list = {"Ann", "Bob"};
    ASSERT_TRUE(probe.Run("list.append('Cid'); list[0] = 'Ana'; count = list.length();").succeeded);
    EXPECT_EQ(probe.list, (StringArray{"Ana", "Bob", "Cid"}));
    EXPECT_EQ(probe.count, 3u);

    ASSERT_TRUE(probe.Run("string[] none; list = none;").succeeded);
    EXPECT_TRUE(probe.list.empty());
}

TEST(ScriptStringArray, TheRecordsListFieldsBindWithoutCopying) {
    Movie movie;
    movie.szTitle = "Solaris";
    movie.pszActors = {"Natalya"};
    movie.pszPictures = {"a.jpg"};
    const ScriptRunResult result = RunScriptInFreshEngine(
        {}, "pszActors.append(szTitle % '(s.l)'); string[] none; pszPictures = none;",
        [&movie](ScriptEngine* engine) {
            ASSERT_GE(engine->RegisterGlobalProperty("string szTitle", &movie.szTitle), 0);
            ASSERT_GE(engine->RegisterGlobalProperty("string[] pszActors", &movie.pszActors), 0);
            ASSERT_GE(engine->RegisterGlobalProperty("string[] pszPictures", &movie.pszPictures),
                      0);
        });
    EXPECT_TRUE(result.succeeded) << result.output;
    EXPECT_EQ(movie.pszActors, (StringArray{"Natalya", "Sol"}));
    EXPECT_TRUE(movie.pszPictures.empty());
}

TEST(ScriptStringArray, AssignmentCopiesAndSelfAssignmentKeepsTheElements) {
    ScriptProbe probe = RunOk(
        "string[] a; a.append('x'); string[] b = a; b.append('y');"
        "a = a; list = a; count = b.length();");
    EXPECT_EQ(probe.list, (StringArray{"x"}));
    EXPECT_EQ(probe.count, 2u);
}

TEST(ScriptStringArray, IndexBeyondTheEndStopsTheScript) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run("string[] a(2);\na[2] = 'x';");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "ExecuteString (2, 1) : Error : Out of range\n");
}

TEST(ScriptStringArray, AllMatchesExtraction) {
    EXPECT_EQ(RunOk("list = string('a1b22c333') * '(\\\\d+)';").list,
              (StringArray{"1", "22", "333"}));
    EXPECT_TRUE(RunOk("list = string('abc') * '(\\\\d)';").list.empty());
    EXPECT_EQ(RunOk("list = string('<b>A</b><B>b</B>') * '<b>([^<]*)</b>';").list,
              (StringArray{"A", "b"}));
    // Without groups each element is the whole match; two groups are concatenated.
    EXPECT_EQ(RunOk("list = string('x=1,y=2') * '[a-z]=\\\\d';").list, (StringArray{"x=1", "y=2"}));
    EXPECT_EQ(RunOk("list = string('x=1,y=2') * '([a-z])=(\\\\d)';").list,
              (StringArray{"x1", "y2"}));
}

TEST(ScriptStringArray, EmptyMatchesMoveOnByOneByte) {
    EXPECT_EQ(RunOk("list = string('ab') * 'x*';").list, (StringArray{"", "", ""}));
    EXPECT_EQ(RunOk("list = string('baa') * 'a*';").list, (StringArray{"", "aa", ""}));
}

TEST(ScriptStringArray, UnescapeEveryElement) {
    ScriptProbe probe = RunOk(
        "string[] a; a.append('&#65;'); a.append('b&#66;');"
        "list = a.unescape();");
    EXPECT_EQ(probe.list, (StringArray{"A", "bB"}));
}

TEST(ScriptStringArray, OtherArraysOfTheEngineStillWork) {
    EXPECT_EQ(RunOk("int[] n = {1, 2, 3}; number = n[0] + n[2] + n.length();").number, 7);
}

}  // namespace
}  // namespace reelkeep::test
