// What the engine reports of an answer, as a server and a page shape it: "head\0response json\0
// request json". The archived head always ends its header lines where a reader expects them:
// one status line, then lines of "name: value" with no bare line break, then one blank line.
// The archive key of any address is made without a crash.
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzInput.h"
#include "logic/EngineExchange.h"
#include "logic/WaczPackage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts = FuzzBytes(data, size).split('\0');
    const QByteArray headersText = parts.value(0);
    const QJsonObject response = QJsonDocument::fromJson(parts.value(1)).object();
    const QJsonObject request = QJsonDocument::fromJson(parts.value(2)).object();
    for (const bool decoded : {true, false}) {
        const QByteArray head = ArchivedResponseHead(response, headersText, qint64(size), decoded);
        Require(head.endsWith("\r\n\r\n"));
        const QList<QByteArray> lines = head.chopped(4).replace("\r\n", "\n").split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            Require(!lines[i].contains('\r') && (i == 0 || lines[i].indexOf(':') > 0));
        }
    }
    const QByteArray sent = EngineRequestMessage(request, response);
    Require(sent.contains("\r\n\r\n"));
    SurtKey(QString::fromUtf8(headersText));
    return 0;
}
