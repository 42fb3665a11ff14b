#include "logic/DeepScan.h"

#include <QUrl>

#include "logic/AddressResolution.h"
#include "logic/ScriptStrings.h"

namespace {
// The address without its fragment, which never reaches the server.
QString WithoutFragment(const QString& address) {
    const int hash = address.indexOf('#');
    return hash < 0 ? address : address.left(hash);
}

void AddIfMovie(const QString& page, const QString& address, TFoundMovieList& found) {
    const QString movie = EncodeSpaces(WithoutFragment(address));
    if (NamesMovieFile(movie)) {
        AddFoundMovie(ResolveMovieAddress(page, movie), page, found);
    }
}

void AddScriptMovies(const QString& base, const QStringList& movies, TFoundMovieList& found) {
    for (const QString& movie : movies) {
        AddFoundMovie(ResolveMovieAddress(base, movie), base, found);
    }
}

void AddScriptMovies(const QString& base, const QString& script, TFoundMovieList& found) {
    AddScriptMovies(base, ScriptMovieStrings(script), found);
}

// The external scripts of one page, each read at most once, within the page's budget.
class ExternalScripts {
  public:
    explicit ExternalScripts(const ScriptTexts& texts) : texts_(texts) {}
    // The movie strings of the script at source; nothing when it was not read.
    const QStringList* Movies(const QString& source) {
        const auto known = read_.constFind(source);
        if (known != read_.constEnd()) {
            return &*known;
        }
        const auto text = texts_.find(source);
        if (text == texts_.end() || spent_ + text->size() > kMostScriptBytes) {
            return nullptr;
        }
        spent_ += text->size();
        return &*read_.insert(source, ScriptMovieStrings(*text));
    }

  private:
    const ScriptTexts& texts_;
    QHash<QString, QStringList> read_;
    qint64 spent_ = 0;
};

void ScanDocumentDeep(const TDocumentSnapshot& document, TFoundMovieList& found,
                      ExternalScripts& scripts);

void ScanFramesDeep(const TDocumentSnapshot& document, TFoundMovieList& found,
                    ExternalScripts& scripts) {
    for (const TDocumentSnapshot& frame : document.frames) {
        ScanDocumentDeep(frame, found, scripts);
        ScanFramesDeep(frame, found, scripts);
    }
}

void CollectSources(const TDocumentSnapshot& document, QStringList& out) {
    out << document.scriptSources;
    for (const TDocumentSnapshot& frame : document.frames) {
        CollectSources(frame, out);
    }
}
}  // namespace

QStringList FlashVarsMovies(const QString& flashVars) {
    QStringList movies;
    for (const QString& pair : flashVars.split('&', Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf('=');
        QString value = equals < 0 ? pair : pair.mid(equals + 1);
        value = QUrl::fromPercentEncoding(value.replace('+', ' ').toUtf8()).trimmed();
        if (NamesMovieFile(WithoutFragment(value))) {
            movies << value;
        }
    }
    return movies;
}

namespace {
void ScanDocumentDeep(const TDocumentSnapshot& document, TFoundMovieList& found,
                      ExternalScripts& scripts) {
    // Scripts run by the document resolve their addresses against it, wherever they came from.
    const QString& page = document.Base();
    for (const QString& href : document.links) {
        AddIfMovie(page, href, found);
    }
    for (const QString& script : document.scripts) {
        AddScriptMovies(page, script, found);
    }
    for (const QString& source : document.scriptSources) {
        const QStringList* movies = scripts.Movies(source);
        if (!movies) {
            ++found.scriptsUnread;  // not in the cache (fetched by no one), or over the budget
        } else {
            AddScriptMovies(page, *movies, found);
        }
    }
    for (const QString& handler : document.handlers) {
        AddScriptMovies(page, handler, found);
    }
    for (const TObjectElement& object : document.objects) {
        AddIfMovie(page, object.movie, found);
    }
    for (const QString& movie : document.embedLike) {
        AddIfMovie(page, movie, found);
    }
    for (const QString& flashVars : document.flashVars) {
        for (const QString& movie : FlashVarsMovies(flashVars)) {
            AddIfMovie(page, movie, found);
        }
    }
    for (const QString& value : document.dataValues) {
        AddIfMovie(page, value.trimmed(), found);
    }
}
}  // namespace

void ScanPageDeep(const TDocumentSnapshot& document, TFoundMovieList& found,
                  const ScriptTexts& scripts) {
    ExternalScripts external(scripts);
    ScanDocumentDeep(document, found, external);
    ScanFramesDeep(document, found, external);
}

QStringList ScriptSources(const TDocumentSnapshot& document) {
    QStringList sources;
    CollectSources(document, sources);
    return sources;
}
