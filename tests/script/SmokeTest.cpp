#include <gtest/gtest.h>
#include "ScriptProbe.h"
namespace reelkeep::test {
TEST(Smoke, Runs) {
    for (const char* s : {"int x = 1;", "text = 'abc';", "text = 'abc'; text += 3;", "text += 2.5;", "list.append('x');", "number = text.length();", "regex re('(b)(c)'); flag = re.match(text);", "text += bits(255);"}) {
        ScriptProbe p;
        auto r = p.Run(s);
        EXPECT_TRUE(r.succeeded) << s << "\n" << r.output;
    }
}
}
