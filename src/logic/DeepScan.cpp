#include "logic/DeepScan.h"

#include <QUrl>

#include "logic/AddressResolution.h"

namespace {
// The address without its fragment, which never reaches the server.
QString WithoutFragment(const QString& address) {
    const int hash = address.indexOf('#');
    return hash < 0 ? address : address.left(hash);
}

void AddIfMovie(const QString& page, const QString& address, FoundMovieList& found) {
    const QString movie = EncodeSpaces(WithoutFragment(address));
    if (!movie.isEmpty() && NamesMovie(movie)) {
        AddFoundMovie(ResolveMovieAddress(page, movie), page, found);
    }
}

void ScanFramesDeep(const DocumentSnapshot& document, FoundMovieList& found) {
    for (const DocumentSnapshot& frame : document.frames) {
        ScanDocumentDeep(frame, found);
        ScanFramesDeep(frame, found);
    }
}
}  // namespace

QStringList FlashVarsMovies(const QString& flashVars) {
    QStringList movies;
    for (const QString& pair : flashVars.split('&', Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf('=');
        QString value = equals < 0 ? pair : pair.mid(equals + 1);
        value = QUrl::fromPercentEncoding(value.replace('+', ' ').toUtf8()).trimmed();
        if (NamesMovie(WithoutFragment(value))) {
            movies << value;
        }
    }
    return movies;
}

void ScanDocumentDeep(const DocumentSnapshot& document, FoundMovieList& found) {
    const QString& page = document.url;
    for (const QString& href : document.links) {
        AddIfMovie(page, href, found);
    }
    for (const QString& script : document.scripts) {
        for (const QChar quote : {QChar('\''), QChar('`')}) {
            for (const QString& movie : QuotedMovieCandidates(script, quote)) {
                AddFoundMovie(ResolveMovieAddress(page, movie), page, found);
            }
        }
    }
    for (const ObjectElement& object : document.objects) {
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

void ScanPageDeep(const DocumentSnapshot& document, FoundMovieList& found) {
    ScanDocumentDeep(document, found);
    ScanFramesDeep(document, found);
}
