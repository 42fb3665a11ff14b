#include "web/WebResources.h"

#include <QFile>

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
