// Times the reading of a 10 MB script holding a million string literals beside a plain pass
// that only counts its quotes. Not a test: compare the ratio.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "logic/ScriptStrings.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString script;
    script.reserve(11 * 1000 * 1000);
    for (int i = 0; i < 1000000; ++i) {
        script += (i % 3 == 0) ? "f('m.swf');" : (i % 3 == 1) ? "x=\"a\\\"b\";" : "/*c*/`t${v}`;";
    }
    QElapsedTimer t;
    t.start();
    const qsizetype strings = ScriptStrings(script).size();
    const double readMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    t.restart();
    const qsizetype quotes = script.count('\'') + script.count('"') + script.count('`');
    const double countMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    std::printf(
        "%.1f MB of script: %lld strings read in %.1f ms; counting its %lld quotes took "
        "%.1f ms; ratio %.1f\n",
        static_cast<double>(script.size()) / 1e6, static_cast<long long>(strings), readMs,
        static_cast<long long>(quotes), countMs, readMs / countMs);
    return 0;
}
