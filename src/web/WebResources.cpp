#include "web/WebResources.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

// The resources live in a static library: make sure they are linked and registered.
static void InitResources() {
    Q_INIT_RESOURCE(web);
}

namespace {
QString ResourceText(const QString& name) {
    InitResources();
    QFile file(":/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
}  // namespace

QString WebResource(const QString& name) {
    // The scripts that need to know what a Flash element plays share one text of the rule.
    return ResourceText(name).replace("/* @FLASH_ELEMENT@ */", ResourceText("flashelement.js"));
}

QString JsString(const QString& text) {
    // A JSON string is a valid JavaScript string literal.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}
