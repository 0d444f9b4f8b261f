// The script `regex`: matching, groups, counting, substitution and the way rejections and
// runaway patterns end a script.
#include <gtest/gtest.h>

#include "ScriptProbe.h"
#include "script/regex/Regex.h"

namespace reelkeep::test {
namespace {

ScriptProbe RunOk(std::string_view script) {
    ScriptProbe probe;
    const ScriptRunResult result = probe.Run(script);
    EXPECT_TRUE(result.succeeded) << script << "\n" << result.output;
    return probe;
}

bool Matches(std::string_view pattern, unsigned options, std::string_view subject) {
    ScriptProbe probe;
    probe.text = subject;
    const std::string script = "regex r('" + std::string(pattern) + "', " +
                               std::to_string(options) + "); flag = r.match(text);";
    EXPECT_TRUE(probe.Run(script).succeeded) << script;
    return probe.flag;
}

// The whole match (group 0) of `pattern` in `subject`.
std::string MatchedText(std::string_view pattern, unsigned options, std::string_view subject) {
    ScriptProbe probe;
    probe.text = subject;
    const std::string script = "regex r('" + std::string(pattern) + "', " +
                               std::to_string(options) + "); r.match(text); text = r.group(0);";
    EXPECT_TRUE(probe.Run(script).succeeded) << script;
    return probe.text;
}

// `subject` after substitute; the count goes to `replaced`.
std::string Substituted(std::string_view pattern, std::string_view with, unsigned options,
                        std::string_view subject, unsigned* replaced = nullptr) {
    ScriptProbe probe;
    probe.text = subject;
    const std::string script = "regex r('" + std::string(pattern) + "', '" + std::string(with) +
                               "', " + std::to_string(options) + "); count = r.substitute(text);";
    const ScriptRunResult result = probe.Run(script);
    EXPECT_TRUE(result.succeeded) << script << "\n" << result.output;
    if (replaced != nullptr)
        *replaced = probe.count;
    return probe.text;
}

TEST(ScriptRegex, MatchKeepsGroupsAndTheirPositions) {
    ScriptProbe probe = RunOk(
        "regex r('(\\\\d+)-(\\\\d+)');\n"
        "flag = r.match('call 555-1234 now');\n"
        "count = r.groups();\n"
        "string first;\n"
        "number = r.group(1, first);\n"
        "text = r.group(0) + '|' + r.group(2) + '|' + first;\n");
    EXPECT_TRUE(probe.flag);
    EXPECT_EQ(probe.count, 3u);
    EXPECT_EQ(probe.number, 5);
    EXPECT_EQ(probe.text, "555-1234|1234|555");
}

TEST(ScriptRegex, ResultsSurviveChangesToTheMatchedVariable) {
    ScriptProbe probe = RunOk(
        "string page = 'id=42';\n"
        "regex r('id=(\\\\d+)');\n"
        "r.match(page);\n"
        "page = 'gone';\n"
        "text = r.group(1);\n");
    EXPECT_EQ(probe.text, "42");
}

TEST(ScriptRegex, GroupsAfterAFailedMatchAndBeyondTheLastAreEmpty) {
    ScriptProbe probe = RunOk(
        "regex r('(a)|(b)');\n"
        "r.match('b');\n"
        "string into = 'x';\n"
        "count = r.group(1, into);\n"        // took no part
        "text = into + r.group(7) + '|';\n"  // no such group
        "flag = r.match('zzz');\n"
        "number = r.groups();\n");
    EXPECT_EQ(probe.count, 0xFFFFFFFFu);
    EXPECT_EQ(probe.text, "|");
    EXPECT_FALSE(probe.flag);
    EXPECT_EQ(probe.number, 0);
}

TEST(ScriptRegex, Options) {
    EXPECT_TRUE(Matches("abc", 1, "xABCx"));
    EXPECT_FALSE(Matches("abc", 0, "xABCx"));
    EXPECT_TRUE(Matches("^b", 4, "a\nb"));
    EXPECT_FALSE(Matches("^b", 0, "a\nb"));
    EXPECT_TRUE(Matches("a.b", 8, "a\nb"));
    EXPECT_FALSE(Matches("a.b", 0, "a\nb"));
    EXPECT_TRUE(Matches("\\\\d+  # digits", 512, "42"));
    EXPECT_FALSE(Matches("\\\\d+  # digits", 0, "42"));
    EXPECT_TRUE(Matches("a", 32 | 64 | 128, "a"));  // accepted, no visible effect
    // Rightmost: the match that starts last.
    EXPECT_EQ(MatchedText("\\\\d+", 16, "1 22 333 4444 x"), "4");
    EXPECT_EQ(MatchedText("\\\\d+x", 16, "1x 22x 333 4444"), "2x");
    EXPECT_EQ(MatchedText("a.", 16, "a1a2a3"), "a3");
    EXPECT_EQ(MatchedText("a.", 16, "zzz"), "");
}

TEST(ScriptRegex, Syntax) {
    EXPECT_EQ(MatchedText("[[:digit:]]+", 0, "ab12"), "12");
    EXPECT_EQ(MatchedText("[[:^digit:]]+", 0, "ab12"), "ab");
    EXPECT_EQ(MatchedText("a.*?b", 0, "axbxb"), "axb");
    EXPECT_EQ(MatchedText("a.*b", 0, "axbxb"), "axbxb");
    EXPECT_EQ(MatchedText("(\\\\w)\\\\1", 0, "abccd"), "cc");
    EXPECT_EQ(MatchedText("\\\\Qa.b\\\\E+", 0, "axb a.bbb"), "a.bbb");
    EXPECT_EQ(MatchedText("(?:ab){2,}", 0, "ab abababx"), "ababab");
    EXPECT_EQ(MatchedText("x(?=y)", 0, "xz xy"), "x");
    EXPECT_EQ(MatchedText("(?#note)b", 0, "ab"), "b");
    EXPECT_EQ(MatchedText("(a)?(?(1)b|c)", 0, "c"), "c");
    EXPECT_EQ(MatchedText("\\\\((?:[^()]|(?R))*\\\\)", 0, "x(a(b)c)y"), "(a(b)c)");
    EXPECT_EQ(MatchedText("[[:upper:]][[:lower:]]+", 0, "the Movie"), "Movie");
}

TEST(ScriptRegex, CountFindsNonOverlappingMatches) {
    EXPECT_EQ(RunOk("regex r('a'); count = r.count('banana');").count, 3u);
    EXPECT_EQ(RunOk("regex r('ana'); count = r.count('banana');").count, 1u);
    EXPECT_EQ(RunOk("regex r('x*'); count = r.count('ab');").count, 3u);
    // count and substitute leave the results of match alone.
    ScriptProbe probe = RunOk(
        "regex r('(\\\\d)'); r.match('x7'); count = r.count('1 2 3');\n"
        "string s = '9'; r.substitute(s); text = r.group(1);");
    EXPECT_EQ(probe.count, 3u);
    EXPECT_EQ(probe.text, "7");
}

TEST(ScriptRegex, Substitution) {
    unsigned replaced = 0;
    EXPECT_EQ(Substituted("(\\\\w+)=(\\\\w+)", "$2 is $1", 0, "size=big", &replaced),
              "big is size");
    EXPECT_EQ(replaced, 1u);
    EXPECT_EQ(Substituted("(\\\\w+)=(\\\\w+)", "$2 is $1", 2, "a=b c=d", &replaced),
              "b is a d is c");
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(Substituted("(\\\\w+)=(\\\\w+)", "$2 is $1", 0, "a=b c=d", &replaced), "b is a c=d");
    EXPECT_EQ(replaced, 1u);
    EXPECT_EQ(Substituted("x", "y", 2, "abc", &replaced), "abc");
    EXPECT_EQ(replaced, 0u);

    ScriptProbe removed = RunOk("text = 'a1b2'; regex r('\\\\d', 2); count = r.substitute(text);");
    EXPECT_EQ(removed.text, "ab");
    EXPECT_EQ(removed.count, 2u);

    EXPECT_EQ(Substituted("b", "[$`|$&|$\\']", 0, "abc"), "a[a|b|c]c");
    EXPECT_EQ(Substituted("(\\\\w+)", "\\\\U$1\\\\E!", 0, "hey you"), "HEY! you");
    EXPECT_EQ(Substituted("(\\\\w+) (\\\\w+)", "\\\\u$1 \\\\L$2", 0, "big WORLD"), "Big world");
    EXPECT_EQ(Substituted("(\\\\w+)", "\\\\u\\\\L$1", 0, "hELLO"), "Hello");
    EXPECT_EQ(Substituted("a", "\\\\Q$1\\\\E\\\\$\\\\\\\\", 0, "a"), "$1$\\");
    EXPECT_EQ(Substituted("(a)", "$12", 0, "a"), "a2");  // digits only while they name a group
    EXPECT_EQ(Substituted("x", "$", 0, "x"), "$");
    EXPECT_EQ(Substituted("x", "1\\\\n2", 0, "x"), "1n2");
    EXPECT_EQ(Substituted("x", "1\\\\n2\\\\t\\\\\\\\n", 256, "x"), "1\n2\t\\n");
    EXPECT_EQ(Substituted("x", "", 2, "xax"), "a");
    EXPECT_EQ(Substituted("x*", "-", 2, "ab"), "-a-b-");
    EXPECT_EQ(Substituted("\\\\d", "#", 16, "1a2b3"), "1a2b#");  // rightmost
}

struct Rejection {
    const char* script;
    const char* message;
};

TEST(ScriptRegex, RejectionsEndTheScriptWithTheirMessage) {
    const Rejection cases[] = {
        {"regex r('(a');", "mismatched parenthesis"},
        {"regex r('a)', 1);", "mismatched parenthesis"},
        {"regex r('*a');", "quantifier not expected"},
        {"regex r('a**');", "quantifier not expected"},
        {"regex r('^*');", "sub-expression cannot be quantified"},
        {"regex r('a{3,1}');", "Can't do {n, m} with n > m"},
        {"regex r('[z-a]');", "invalid range specified in character set"},
        {"regex r('[a');", "expecting end of character set"},
        {"regex r('(a)\\\\2');", "reference to nonexistent group"},
        {"regex r('(?(1)a|b|c)(x)');", "Too many alternates in conditional subexpression"},
        {"regex r('(?#abc');", "Expecting end of comment"},
        {"regex r('(?z)');", "bad extension sequence"},
        {"regex r('\\\\c');", "incomplete escape sequence \\c"},
        {"regex r('a\\\\');", "ill-formed regular expression"},
        {"regex r('(?=a)*');", "look-ahead assertion cannot be quantified"},
        {"regex r('(?<!a){2}b');", "look-ahead assertion cannot be quantified"},
        {"regex r('(a)(?1)+');", "recursion sub-expression cannot be quantified"},
        {"regex r('x(?R)?');", "recursion sub-expression cannot be quantified"},
        {"regex r('a\\\\Eb');", "quotemeta turned off, but was never turned on"},
        {"regex r('a', 'b\\\\');", "expecting escape sequence in substitution string"},
        {"regex r('(a)', '$2');", "invalid backreference in substitution"},
        {"text = string('abc') % '(';", "mismatched parenthesis"},
        {"list = string('abc') * '[';", "expecting end of character set"},
    };
    for (const Rejection& rejection : cases) {
        ScriptProbe probe;
        const ScriptRunResult result = probe.Run(std::string(rejection.script) + "\nflag = true;");
        EXPECT_FALSE(result.succeeded) << rejection.script;
        EXPECT_FALSE(probe.flag) << rejection.script;
        EXPECT_EQ(result.output,
                  std::string("ExecuteString (1, 1) : Error : ") + rejection.message + "\n")
            << rejection.script;
    }
}

TEST(ScriptRegex, AcceptedConstructsThatLookLikeRejectedOnes) {
    for (const char* pattern : {"(?=a)b*", "\\\\Qa\\\\E*", "a{,3}", "(a)(?1)", "(?:a)+",
                                "\\\\Qx\\\\Ey", "(?i:a)*", "a{2}?", "(?=(a)+)"}) {
        ScriptProbe probe;
        const ScriptRunResult result = probe.Run("regex r('" + std::string(pattern) + "');");
        EXPECT_TRUE(result.succeeded) << pattern << "\n" << result.output;
    }
}

TEST(ScriptRegex, CatastrophicBacktrackingStopsWithAnException) {
    ScriptProbe probe;
    probe.text = std::string(5000, 'a') + "b";
    const ScriptRunResult result =
        probe.Run("regex r('(a+)+$');\nflag = r.match(text);\ncount = 1;");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "ExecuteString (2, 1) : Error : match limit exceeded\n");
    EXPECT_EQ(probe.count, 0u);

    for (const char* call :
         {"r.count(text);", "r.substitute(text);", "text % '(a+)+$';", "text * '(a+)+$';"}) {
        ScriptProbe again;
        again.text = probe.text;
        EXPECT_FALSE(again.Run(std::string("regex r('(a+)+$', 2); ") + call).succeeded) << call;
    }
}

TEST(ScriptRegex, APatternSlowAtEveryStartPositionStopsWithinTheTimeBudget) {
    // Each attempt stays within PCRE2's limits; only the sum over the page is too much.
    Regex::SetTimeBudget(std::chrono::milliseconds(200));
    std::string page;
    for (int i = 0; i < 20000; ++i) page += std::string(18, 'a') + "b";
    for (const char* call :
         {"count = r.count(text);", "flag = r.match(text);", "list = text * '(a+)+$';"}) {
        ScriptProbe probe;
        probe.text = page;
        const ScriptRunResult result = probe.Run(std::string("regex r('(a+)+$', 16);\n") + call);
        EXPECT_FALSE(result.succeeded) << call;
        EXPECT_EQ(result.output, "ExecuteString (2, 1) : Error : match limit exceeded\n") << call;
    }
    Regex::SetTimeBudget(std::chrono::milliseconds(5000));
}

TEST(ScriptRegex, DeepRepetitionOverALargePageStillMatches) {
    ScriptProbe probe;
    probe.text = "<p>" + std::string(200000, 'x') + "</p>";
    ScriptRunResult result = probe.Run(
        "regex r('<p>((?:.|\\\\n)*?)</p>'); flag = r.match(text);"
        "count = r.group(1).length();");
    EXPECT_TRUE(result.succeeded) << result.output;
    EXPECT_TRUE(probe.flag);
    EXPECT_EQ(probe.count, 200000u);
}

TEST(ScriptRegex, NoDefaultConstructionNoCopyNoAssignment) {
    for (const char* script :
         {"regex r;", "regex a('x'); regex b('y'); a = b;", "regex a('x'); regex b = a;"}) {
        ScriptProbe probe;
        const ScriptRunResult result = probe.Run(script);
        EXPECT_FALSE(result.succeeded) << script;
        EXPECT_NE(result.output.find(" : Error : "), std::string::npos) << result.output;
    }
}

}  // namespace
}  // namespace reelkeep::test
