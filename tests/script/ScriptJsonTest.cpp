// The script type `json`: walking a parsed answer, typed reads with their fallbacks, and the
// documents that are refused (invalid text, too deep, too big) as script exceptions.
#include <gtest/gtest.h>

#include <string>

#include "ScriptProbe.h"
#include "script/ScriptJson.h"

namespace reelkeep::test {
namespace {

const char kAnswer[] = R"({
  "query": {
    "pages": [
      {"title": "Am\u00e9lie", "pageid": 57331, "rating": 7.9, "adult": false, "tags": null},
      {"title": "Dune", "pageid": 8010, "missing": true}
    ],
    "total": 2
  },
  "b": 1, "a": "first"
})";

ScriptProbe RunOk(std::string_view script, const std::string& text = kAnswer) {
    ScriptProbe probe;
    probe.text = text;
    const ScriptRunResult result = probe.Run(script);
    EXPECT_TRUE(result.succeeded) << script << "\n" << result.output;
    return probe;
}

// The message of the script exception that `script` ends with.
std::string Failure(std::string_view script, const std::string& text) {
    ScriptProbe probe;
    probe.text = text;
    const ScriptRunResult result = probe.Run(script);
    EXPECT_FALSE(result.succeeded) << script;
    return result.output;
}

TEST(ScriptJson, WalksObjectsAndArraysAndReadsTypedValues) {
    ScriptProbe probe = RunOk(
        "json doc(text);\n"
        "json first = doc['query']['pages'][0];\n"
        "text = first['title'].asString() + '|' + first['pageid'].asInt() + '|' +\n"
        "       first['rating'].asNumber() + '|' + (first['adult'].asBool(true) ? 'adult' : 'not');\n"
        "count = doc['query']['pages'].length();\n"
        "number = doc['query']['total'].asInt(-1);\n"
        "flag = doc['query']['pages'][1]['missing'].asBool() && doc.has('query') && !doc.has('nope');\n");
    EXPECT_EQ(probe.text, "Am\xC3\xA9lie|57331|7.9|not");  // UTF-8 as the answer had it
    EXPECT_EQ(probe.count, 2u);
    EXPECT_EQ(probe.number, 2);
    EXPECT_TRUE(probe.flag);
}

TEST(ScriptJson, MissingKeysAndWrongKindsGiveTheFallback) {
    ScriptProbe probe = RunOk(
        "json doc(text);\n"
        "json page = doc['query']['pages'][0];\n"
        // A missing member, an index past the end, a key of an array, an index of a string.
        "text = doc['nothing']['deeper'][3].asString('none') + '|' +\n"
        "       doc['query']['pages'][9]['title'].asString('none') + '|' +\n"
        "       doc['query']['pages']['title'].asString('none') + '|' +\n"
        "       page['title'][0].asString('none') + '|' +\n"
        // Wrong kinds: a number as text, text as a number, null as a bool, a bool as a number.
        "       page['pageid'].asString('no text') + '|' + page['title'].asNumber(-1) + '|' +\n"
        "       (page['tags'].asBool(true) ? 'T' : 'F') + page['adult'].asInt(5) + '|' +\n"
        "       page['tags'].kind() + ' ' + doc['nothing'].kind() + ' ' + page.kind() + ' ' +\n"
        "       doc['query']['pages'].kind() + ' ' + page['title'].kind() + ' ' +\n"
        "       page['rating'].kind() + ' ' + page['adult'].kind();\n"
        "count = doc['a'].length() + doc['nothing'].length() + page['title'].length();\n"
        "flag = page['title'].has('x') || doc['nothing'].has('x');\n");
    EXPECT_EQ(probe.text,
              "none|none|none|none|no text|-1|T5|null missing object array string number bool");
    EXPECT_EQ(probe.count, 0u);
    EXPECT_FALSE(probe.flag);
}

TEST(ScriptJson, ObjectMembersByPositionAndCopiesThatOutliveTheirDocument) {
    ScriptProbe probe = RunOk(
        "json kept;\n"
        "{\n"
        "    json doc(text);\n"
        "    kept = doc['query']['pages'][0];\n"
        "    for (uint i = 0; i < doc.length(); i++) list.append(doc.key(i) + '=' + doc[i].dump());\n"
        "}\n"
        "text = kept['title'].asString() + '|' + kept.dump().length() + '|' + kept.key(99) + '|' +\n"
        "       json().dump() + '|' + json('[1, 2.5, \"x\"]').dump();\n");
    EXPECT_EQ(probe.list, (StringArray{"a=\"first\"", "b=1",
                                       "query={\"pages\":[{\"adult\":false,\"pageid\":57331,"
                                       "\"rating\":7.9,\"tags\":null,\"title\":\"Am\xC3\xA9lie\"},"
                                       "{\"missing\":true,\"pageid\":8010,\"title\":\"Dune\"}],"
                                       "\"total\":2}"}));
    EXPECT_EQ(probe.text, "Am\xC3\xA9lie|73||" "|[1,2.5,\"x\"]");
}

TEST(ScriptJson, NumbersBeyondIntAreClampedAndFractionsCut) {
    ScriptProbe probe = RunOk(
        "json doc(text);\n"
        "text = '' + doc[0].asInt() + ' ' + doc[1].asInt() + ' ' + doc[2].asInt() + ' ' +\n"
        "       doc[3].asInt() + ' ' + doc[4].asInt() + ' ' + doc[5].asNumber();\n",
        "[136.9, -2.5, 1e300, -99999999999, 18446744073709551615, 1e-2]");
    EXPECT_EQ(probe.text, "136 -2 2147483647 -2147483648 2147483647 0.01");
}

TEST(ScriptJson, InvalidTextEndsTheScriptWithTheParsersMessage) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"{\"a\": tru}", "parse error at line 1, column 10"},
        {"", "unexpected end of input"},
        {"{\"a\": 1} trailing", "parse error"},
        {"<!DOCTYPE html><title>Too many requests</title>", "invalid literal"},
        {"\"\xC3\x28\"", "ill-formed UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string output = Failure("json doc(text); text = 'parsed';", c.text);
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
        EXPECT_NE(output.find("ExecuteString (1, 1) : Error : "), std::string::npos) << output;
    }
    // Caught by the script, the exception leaves a value that reads as missing.
    ScriptProbe probe = RunOk("json doc; try { doc = json(text); } catch { text = doc.kind(); }",
                              "{oops");
    EXPECT_EQ(probe.text, "missing");
}

TEST(ScriptJson, DeepNestingIsRefusedBeforeParsing) {
    const auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '[') + "7" +
               std::string(static_cast<std::size_t>(depth), ']');
    };
    ScriptProbe probe = RunOk(
        "json doc(text); json v = doc; uint levels = 0;\n"
        "while (v.kind() == 'array') { v = v[0]; levels++; }\n"
        "number = v.asInt(); count = levels;\n",
        nested(kMaxJsonDepth));
    EXPECT_EQ(probe.number, 7);
    EXPECT_EQ(probe.count, static_cast<unsigned>(kMaxJsonDepth));

    // Far deeper than any stack would take; brackets inside strings do not count.
    const std::string deep = nested(1'000'000);
    EXPECT_NE(Failure("json doc(text);", deep).find("JSON nested deeper than 256 levels"),
              std::string::npos);
    EXPECT_EQ(JsonBoundsError("{\"a\": \"" + std::string(5000, '[') + "\"}"), "");
    EXPECT_EQ(JsonBoundsError("[\"\\\"[[[\"]"), "");
}

TEST(ScriptJson, ATenMegabyteDocumentIsReadAndABiggerOneRefused) {
    // About 10 MB: 100,000 entries shaped like an API's search results.
    std::string big = "{\"results\":[";
    for (int i = 0; i < 100'000; ++i) {
        if (i > 0) big += ',';
        big += "{\"id\":" + std::to_string(i) + ",\"title\":\"Movie " + std::to_string(i) +
               "\",\"overview\":\"" + std::string(50, 'x') + "\",\"tags\":[1,2,3]}";
    }
    big += "]}";
    while (big.size() < 10 * 1024 * 1024) big.insert(big.size() - 1, " ");
    ScriptProbe probe = RunOk(
        "json doc(text);\n"
        "json results = doc['results'];\n"
        "count = results.length();\n"
        "text = results[99999]['title'].asString();\n",
        big);
    EXPECT_EQ(probe.count, 100'000u);
    EXPECT_EQ(probe.text, "Movie 99999");

    const std::string output = Failure("json doc(text);", std::string(kMaxJsonText + 1, ' '));
    EXPECT_NE(output.find("is longer than 16777216 bytes"), std::string::npos) << output;
    // Many small arrays within the size limit.
    std::string many = "[";
    for (std::size_t i = 0; i <= kMaxJsonContainers; ++i) many += "[],";
    many += "0]";
    EXPECT_NE(Failure("json doc(text);", many).find("more than 1000000 objects and arrays"),
              std::string::npos);
}

}  // namespace
}  // namespace reelkeep::test
