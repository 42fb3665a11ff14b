#include <gtest/gtest.h>

#include "logic/PageScan.h"

namespace {
QStringList Candidates(const QString& script) {
    return ScriptMovieCandidates(script);
}

TDocumentSnapshot Doc(const QString& url, QStringList embeds = {},
                      std::vector<TDocumentSnapshot> frames = {}) {
    TDocumentSnapshot doc;
    doc.url = url;
    doc.embeds = std::move(embeds);
    doc.frames = std::move(frames);
    return doc;
}
}  // namespace

TEST(ScriptCandidates, QuotedMovieAddressesByTheRules) {
    EXPECT_EQ(Candidates(R"(load("movie.swf?v=2"); x("movie.swf.bak");)"),
              QStringList({"movie.swf?v=2"}));
    EXPECT_EQ(Candidates(R"(a(".swf", "it's.swf", " my movie.swf ");)"),
              QStringList({".swf", "my%20movie.swf"}));
    EXPECT_TRUE(Candidates(R"(x("a.swf", "b.swf", ")").isEmpty());  // an odd count gives nothing
    EXPECT_TRUE(Candidates("no quotes at all .swf").isEmpty());
    EXPECT_TRUE(Candidates(R"(x("swf"))").isEmpty());  // shorter than four
    EXPECT_EQ(Candidates(R"(x("A.SWF"))"), QStringList({"A.SWF"}));
    // Text between a closing and the next opening quote is never looked at.
    EXPECT_EQ(Candidates(R"(x("a", ".swf not this", "b.swf"))"), QStringList({"b.swf"}));
    EXPECT_TRUE(Candidates(R"(x("a?b.swf"))").isEmpty());  // the address part ends at "?"
}

TEST(ScriptCandidates, MoreThan1024QuotesAreScannedWhole) {
    QString script;
    for (int i = 0; i < 600; ++i) {
        script += "f(\"x\"); ";
    }
    script += "swfobject.embedSWF(\"late.swf\", \"box\");";
    EXPECT_EQ(Candidates(script), QStringList({"late.swf"}));
}

TEST(IsFlashObject, ByInstallerAddressClassIdOrType) {
    EXPECT_TRUE(IsFlashObject({"HTTP://DOWNLOAD.MACROMEDIA.COM/pub/swflash.cab", "", "", "m.swf"}));
    EXPECT_TRUE(IsFlashObject({"", "clsid:D27CDB6E-AE6D-11cf-96B8-444553540000", "", "m.swf"}));
    EXPECT_TRUE(IsFlashObject({"", "d27cdb6e-ae6d-11cf-96b8-444553540000", "", "m.swf"}));
    EXPECT_TRUE(IsFlashObject({"", "", "application/x-shockwave-flash", "m.swf"}));
    EXPECT_FALSE(
        IsFlashObject({"http://java.sun.com/jre.cab", "clsid:8AD9C840-044E-11D1-B3E9-00805F499D93",
                       "application/x-java-applet", "game.swf"}));
}

TEST(ScanPage, DocumentsInOrderDuplicatesOnceFramesDepthFirst) {
    TDocumentSnapshot top = Doc("http://a/index.html", {"top.swf", "page.html"},
                                {Doc("http://b/f1/one.html", {"Top.SWF", "nested-parent.swf"},
                                     {Doc("http://c/deep.html", {"deep.swf"})}),
                                 Doc("http://b/f2/two.html", {"/second.swf"})});
    top.objects.push_back({"", "", "application/x-shockwave-flash", "obj.swf"});
    top.objects.push_back({"", "", "application/x-shockwave-flash", ""});  // no movie: skipped
    top.scripts << R"(swfobject.embedSWF("game.swf", "box", "550", "400");)";
    TFoundMovieList found;
    ScanPage(top, found);
    EXPECT_EQ(found.Addresses(),
              QStringList({"http://a/obj.swf", "http://a/top.swf", "http://a/game.swf",
                           "http://b/f1/Top.SWF", "http://b/f1/nested-parent.swf",
                           "http://c/deep.swf", "http://b/second.swf"}));
    EXPECT_EQ(found.Movies()[5].document, "http://c/deep.html");  // where each was found

    TFoundMovieList again;
    AddFoundMovie("HTTP://A/TOP.SWF", "http://a/", again);
    AddFoundMovie("http://a/top.swf", "http://a/", again);
    EXPECT_EQ(again.Addresses(), QStringList{"HTTP://A/TOP.SWF"});  // case ignored, first kept
}
