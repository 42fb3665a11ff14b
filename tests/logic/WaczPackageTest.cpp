#include <gtest/gtest.h>

#include "logic/WaczPackage.h"

// Replay tools find an archived answer by its address's key: the same key for the same
// address however it was written, and index lines in the order they search.
TEST(WaczPackage, AddressesAreIndexedUnderTheKeysReplayToolsLookUp) {
    const struct {
        const char* url;
        const char* key;
    } cases[] = {
        {"http://www.Example.com/Games/A.swf", "com,example)/games/a.swf"},
        {"https://example.com:443/", "com,example)/"},
        {"http://example.com", "com,example)/"},
        {"http://127.0.0.1:8080/m.swf?z=1&a=b%20c&a=0", "1,0,0,127:8080)/m.swf?a=b+c&a=0&z=1"},
        {"http://www2.site.org/x?q", "org,site)/x?q="},
        {"data:text/plain,hi", "data:text/plain,hi"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SurtKey(c.url), c.key) << c.url;
    }
    const QDateTime at = QDateTime::fromString("2026-12-09T10:00:00Z", Qt::ISODate);
    const QByteArray index =
        CdxjIndex({{"http://b.org/", at.addSecs(1), "text/html", 200, "sha1:B", 10, 5},
                   {"http://a.org/", at, "image/gif", 404, "sha1:A", 0, 10}},
                  "data.warc.gz");
    EXPECT_EQ(index,
              "org,a)/ 20261209100000 {\"digest\":\"sha1:A\",\"filename\":\"data.warc.gz\","
              "\"length\":\"10\",\"mime\":\"image/gif\",\"offset\":\"0\",\"status\":\"404\","
              "\"url\":\"http://a.org/\"}\n"
              "org,b)/ 20261209100001 {\"digest\":\"sha1:B\",\"filename\":\"data.warc.gz\","
              "\"length\":\"5\",\"mime\":\"text/html\",\"offset\":\"10\",\"status\":\"200\","
              "\"url\":\"http://b.org/\"}\n");
}
