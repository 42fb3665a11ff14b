#pragma once

#include <string>

#include "support/PageServer.h"

// The benchmarks' page: 10,000 EMBED elements over five documents on two origins (a top page,
// three frames, one of them with a frame of its own). Each document walks its own embeds when
// its top asks ('walk'), answering how many and how long that took.
struct TManyMoviesSite {
    static constexpr int kPerDocument = 2000;

    TManyMoviesSite() {
        auto frame = [](const std::string& url) { return "<iframe src='" + url + "'></iframe>"; };
        a.Add("/top.html", Document("top", frame(AtA() + "/f1.html") + frame(AtB() + "/f2.html") +
                                               frame(AtB() + "/f3.html")));
        a.Add("/f1.html", Document("f1", ""));
        b.Add("/f2.html", Document("f2", frame(AtA() + "/f4.html")));
        b.Add("/f3.html", Document("f3", ""));
        a.Add("/f4.html", Document("f4", ""));
    }
    std::string AtA() const { return "http://127.0.0.1:" + std::to_string(a.Port()); }
    std::string AtB() const { return "http://localhost:" + std::to_string(b.Port()); }
    std::string Top() const { return AtA() + "/top.html"; }

    static std::string Document(const std::string& name, const std::string& frames) {
        std::string html = "<html><body>";
        for (int i = 0; i < kPerDocument; ++i) {
            html += "<embed src='" + name + "-" + std::to_string(i) + ".swf'>";
        }
        html += frames + R"(<script>
addEventListener('message', (e) => {
  if (e.data !== 'walk') return;
  const t = performance.now();
  const found = Array.from(document.querySelectorAll('embed'), (x) => x.getAttribute('src'));
  e.source.postMessage({walked: found.length, ms: performance.now() - t}, '*');
});
</script></body></html>)";
        return html;
    }

    PageServer a;
    PageServer b;
};
