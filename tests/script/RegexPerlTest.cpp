// Substitutions compared with what Perl gives for the same pattern, replacement and options.
// Only forms whose meaning is the same in both are compared: Perl reads "\n" in a replacement
// as a line break, which we do with option 256, and has no rightmost search.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "script/regex/Regex.h"
#include "script/regex/RegexOptions.h"
#include "script/regex/Substitution.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace reelkeep::test {
namespace {

struct Case {
    std::string pattern;
    std::string with;
    unsigned options;
    std::string subject;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"(\\w+)=(\\w+)", "$2 is $1", 0, "size=big"},
        {"(\\w+)=(\\w+)", "$2 is $1", 2, "a=b c=d"},
        {"(\\w+)=(\\w+)", "$2 is $1", 0, "a=b c=d"},
        {"\\d", "", 2, "a1b2"},
        {"b", "[$`|$&|$']", 0, "abc"},
        {"b", "[$`|$&|$']", 2, "abcbd"},
        {"(\\w+)", "\\U$1\\E!", 2, "hey you"},
        {"(\\w+) (\\w+)", "\\u$1 \\L$2\\E.", 0, "big WORLD"},
        {"(\\w+)", "\\u\\L$1", 2, "hELLO wORLD"},
        {"(\\w+)", "\\l\\U$1", 2, "hello world"},
        {"x*", "-", 2, "abc"},
        {"a*", "<$&>", 2, "baaac"},
        {"a|", "-", 2, "bab"},
        {"^", "> ", 2 | 4, "l1\nl2\nl3"},
        {"$", ";", 2 | 4, "a\nb"},
        {"$", ";", 2, "a\nb\n"},
        {"AB", "x", 1 | 2, "ab AB aB"},
        {"a.c", "[$&]", 8 | 2, "a\nc abc"},
        {"a.c", "[$&]", 2, "a\nc abc"},
        {"\\d+  # a number\n", "N", 512 | 2, "12 ab 3"},
        {"(a)|(b)", "[$1$2]", 2, "abc"},
        {"(\\d+)", "$1$1", 2, "1 22"},
        {"<b>(.*?)</b>", "**$1**", 2, "<b>x</b> and <b>y</b>"},
        {"<b>(.*)</b>", "**$1**", 0, "<b>x</b> and <b>y</b>"},
        {"\\s+", " ", 2, "a \t\n b"},
        {"x", "\\t|\\n|\\r|\\f|\\e|\\a", 256, "axb"},
        {"(\\w)(\\w)", "$2$1", 2, "abcde"},
        {"\\b", "|", 2, "ab cd"},
        {".", "\\$", 2, "ab"},
        {"(o)", "\\\\", 2, "foo"},
        {"\xE9", "e", 2, "caf\xE9 \xE9t\xE9"},
        {"(?<=a)b", "X", 2, "ab cb ab"},
        {"[[:upper:]]+", "<$&>", 2, "abCDeF"},
        {"[[:^alpha:]]", "", 2, "a1-b2 c"},
        {"(\\d{2,3}?)", "($1)", 2, "12345678"},
        {"\\Qa.b\\E", "ok", 2, "a.b axb"},
        {"(?:x|y)+", "_", 2, "axyyxb"},
        {"(\\w+)@", "$1 at ", 0, "me@host"},
        {"(.)\\1", "<$1>", 2, "aabccd"},
        {"(?i)the", "THE", 2, "The then tHe"},
        {"\\n", " ", 2, "a\r\nb\nc"},
        {"(\\w+)$", "[$1]", 4 | 2, "one two\nthree four"},
    };
    return cases;
}

// Perl's result for every case, as "count\x01text".
std::vector<std::string> PerlResults(const TempFolder& folder) {
    std::string program = "binmode STDIN; binmode STDOUT; local $/ = \"\\0\";\n";
    const std::string d = "\x01";
    for (const Case& c : Cases()) {
        std::string flags;
        if (c.options & kRegexNoCase)
            flags += 'i';
        if (c.options & kRegexGlobal)
            flags += 'g';
        if (c.options & kRegexMultiline)
            flags += 'm';
        if (c.options & kRegexSingleline)
            flags += 's';
        if (c.options & kRegexExtended)
            flags += 'x';
        program += "$_ = <STDIN>; chop; my $n = s" + d + c.pattern + d + c.with + d + flags +
                   "; print(($n || 0) . \"\\x01\" . $_ . \"\\0\");\n";
    }
    std::string input;
    for (const Case& c : Cases()) input += c.subject + '\0';
    WriteFileBytes(folder / "cases.pl", program);
    const ProcessResult perl = RunProcess("/usr/bin/perl", {folder / "cases.pl"}, input);
    EXPECT_EQ(perl.exitCode, 0) << perl.err;

    std::vector<std::string> results;
    std::size_t start = 0;
    for (std::size_t end = perl.out.find('\0'); end != std::string::npos;
         end = perl.out.find('\0', start)) {
        results.push_back(perl.out.substr(start, end - start));
        start = end + 1;
    }
    return results;
}

TEST(RegexAgainstPerl, SubstitutionsGiveWhatPerlGives) {
    if (access("/usr/bin/perl", X_OK) != 0)
        GTEST_SKIP() << "perl is not installed";
    TempFolder folder;
    const std::vector<std::string> expected = PerlResults(folder);
    ASSERT_EQ(expected.size(), Cases().size());

    for (std::size_t i = 0; i < Cases().size(); ++i) {
        const Case& c = Cases()[i];
        SCOPED_TRACE("pattern " + c.pattern + " with " + c.with);
        const Regex regex(c.pattern, c.options);
        std::string with = c.with;
        if (c.options & kRegexNormalize)
            with = NormalizeSubstitution(with);
        const Substitution substitution(with, regex.GroupCount());
        std::string text = c.subject;
        const std::size_t count =
            regex.Substitute(text, substitution, (c.options & kRegexGlobal) != 0);
        EXPECT_EQ(std::to_string(count) + "\x01" + text, expected[i]);
    }
}

}  // namespace
}  // namespace reelkeep::test
