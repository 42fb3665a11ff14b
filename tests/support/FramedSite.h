#pragma once

#include <QString>

#include "support/PageServer.h"

// A site on two origins: a top page on 127.0.0.1 with movies of every kind the page scan reads,
// and frames from localhost (another origin) and back, one missing, one unreachable.
struct TFramedSite {
    TFramedSite() {
        const int a = pagesA.Port();
        const int b = pagesB.Port();
        pagesA.Add("/index.html", WithPorts(kTopPage, a, b));
        pagesA.Add("/nested.html", "<embed src='nested.swf'>");
        pagesA.Add("/same.html", "<embed src='same-origin.swf'>");
        pagesA.Add("/plain.html", "<p>no movies here</p>");
        pagesB.Add("/frame1.html", WithPorts(kFrame1, a, b));
    }
    QString A(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(pagesA.Port()).arg(path);
    }

    static constexpr const char* kTopPage = R"(<html><body>
<object classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"
        codebase="http://download.MACROMEDIA.COM/pub/shockwave/cabs/flash/swflash.cab">
  <param name="movie" value="movies/first.swf"></object>
<object type="application/x-shockwave-flash" data="m.swf"></object>
<object classid="clsid:8AD9C840-044E-11D1-B3E9-00805F499D93" type="application/x-java-applet">
  <param name="movie" value="applet.swf"></object>
<embed src="media/Intro.SWF?x=1">
<embed src="shared.swf">
<script>var a = "movie.swf?v=2", b = "movie.swf.bak", c = ".swf", d = "it's.swf", e = " my movie.swf";</script>
<script>swfobject.embedSWF("game.swf", "box", "550", "400", "9");</script>
<script>var three = "three.swf" + '"';</script>
<iframe src="http://localhost:{B}/frame1.html"></iframe>
<iframe src="http://localhost:{B}/missing.html"></iframe>
<iframe src="http://127.0.0.1:1/unreachable.html"></iframe>
<iframe src="same.html"></iframe>
</body></html>)";

    static constexpr const char* kFrame1 = R"(<html><body>
<embed src="frame1.swf"><embed src="http://127.0.0.1:{A}/SHARED.swf">
<iframe src="http://127.0.0.1:{A}/nested.html"></iframe>
</body></html>)";

    PageServer pagesA;
    PageServer pagesB;
};
