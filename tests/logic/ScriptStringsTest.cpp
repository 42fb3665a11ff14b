#include <gtest/gtest.h>

#include "TestUtil.h"
#include "logic/DeepScan.h"
#include "logic/ScriptStrings.h"

// Each kind of literal with its escapes, and what must not derail the reading: quotes inside
// comments, regular expressions and other strings.
TEST(ScriptStrings, ReadsEveryLiteralAsTheEngineDoes) {
    const struct {
        const char* script;
        QStringList strings;
    } cases[] = {
        {R"(loadMovie('intro.swf'); var s = "it's here";)", {"intro.swf", "it's here"}},
        {R"(a('it\'s.swf', "say \"hi\".swf", 'back\\slash'))",
         {"it's.swf", "say \"hi\".swf", "back\\slash"}},
        {R"(x('\x61.swf', '\u0062.swf', '\u{1F600}', 'tab\tnew\n'))",
         {"a.swf", "b.swf", QString::fromUtf8("\xF0\x9F\x98\x80"), "tab\tnew\n"}},
        {"f('line \\\ncontinued.swf')", {"line continued.swf"}},
        {"// don't 'skip.swf'\nf('kept.swf'); /* it's \"no\" */ g(\"also.swf\")",
         {"kept.swf", "also.swf"}},
        {R"(var r = /it's "a" [/']/g; f('after.swf'); n = a / b / 'c';)", {"after.swf", "c"}},
        {R"(if (x) return /'/.test(s); f("r.swf"))", {"r.swf"}},
        {"`plain.swf`", {"plain.swf"}},
        {"`games/${name + 'x'}.swf`", {"games/", "x", ".swf"}},
        {"`${`inner.swf`}`", {"", "inner.swf", ""}},
        {"'games/' + 'level1.swf'", {"games/level1.swf"}},
        {"'a/' +\n /* joined */ \"b\" + `c.swf`", {"a/bc.swf"}},
        {"'a' + x + 'b'", {"a", "b"}},
        {"f('end.swf", {"end.swf"}},
        {"f('one\nf('two.swf')", {"one", "two.swf"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScriptStrings(QString::fromUtf8(c.script)), c.strings) << c.script;
    }
}

TEST(ScriptStrings, MoviesAreTheStringsThatNameOne) {
    EXPECT_EQ(ScriptMovieStrings("swfobject.embedSWF('games/' + 'level one.swf', 'box'); "
                                 "x = 'a.swf.bak'; y = `b.SWF?v=2`; z = '.swf'; "
                                 "e = '.s' + 'wf'; d = 'a/' + '.swf?x';"),
              QStringList({"games/level%20one.swf", "b.SWF?v=2"}));  // a bare extension is none
}

// Each external script is read once per page, however many elements name it; past the page's
// budget of script bytes, scripts count as unread rather than holding the scan up.
TEST(DeepScan, EachScriptIsReadOncePerPageWithinTheBudget) {
    auto script = [](int n) {
        return QString("var m = 'm%1.swf'; var pad = '%2';").arg(n).arg(QString(4 << 20, 'x'));
    };
    TDocumentSnapshot page;
    page.url = "http://h/p.html";
    ScriptTexts texts;
    for (int i = 0; i < 200; ++i) {
        page.scriptSources << "http://h/same.js";
    }
    texts["http://h/same.js"] = script(0);
    for (int i = 1; i <= 20; ++i) {
        page.scriptSources << QString("http://h/s%1.js").arg(i);
        texts[QString("http://h/s%1.js").arg(i)] = script(i);
    }
    TFoundMovieList found;
    ScanPageDeep(page, found, texts);
    const int read = static_cast<int>(found.Movies().size());
    EXPECT_EQ(found.Movies().front().address, "http://h/m0.swf");
    EXPECT_EQ(read + found.scriptsUnread, 21);
    EXPECT_EQ(read, static_cast<int>(kMostScriptBytes / (4 << 20)) - 1);
}
