#pragma once

#include <QJsonObject>
#include <QObject>
#include <functional>
#include <vector>

#include "logic/Core.h"

class TCliOutput;
class TWarcWriter;

// Where a movie was found, as the JSON output names it.
QString SourceName(MovieSource source);

// A movie of the web list as a JSON line: page, index, address, found, document, status, reason,
// size, saved, sha256.
QJsonObject MovieJson(const QString& page, int index, const MovieRow& row,
                      const QByteArray& sha256 = {});

// Downloads movies one after another into a folder through the core's chain, as the window
// does (its names, numbering and atomic files), telling each as it ends: the saved path, or the
// failure with its reason.
class TCliDownloads : public QObject {
    Q_OBJECT
  public:
    TCliDownloads(TCore& core, TCliOutput& output, TWarcWriter* warc, QObject* parent = nullptr);

    // page: where the movies were found (empty for addresses given); done runs once all ended.
    void Run(const QString& page, const std::vector<FoundMovie>& movies, const QString& folder,
             std::function<void()> done);

  private:
    TCore& core_;
    TCliOutput& output_;
    QString page_;
    std::function<void()> done_;
};
