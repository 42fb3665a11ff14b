#include "logic/PageScan.h"

#include "logic/AddressResolution.h"
#include "logic/DeepScan.h"

namespace {
const char* const kFlashClassId = "d27cdb6e-ae6d-11cf-96b8-444553540000";
}  // namespace

bool NamesMovie(const QString& candidate) {
    const QString lower = LowerAscii(candidate);
    if (!lower.contains(".swf")) {
        return false;
    }
    const int q = lower.indexOf('?');
    const int end = q < 0 ? lower.size() : q;  // one past the address part
    return end >= 4 && lower.mid(end - 4, 4) == ".swf";
}

bool NamesMovieFile(const QString& candidate) {
    if (!NamesMovie(candidate)) {
        return false;
    }
    const int q = candidate.indexOf('?');
    const int end = q < 0 ? candidate.size() : q;
    const int nameStart = candidate.lastIndexOf('/', end - 1) + 1;
    return end - nameStart > 4;
}

bool IsFlashObject(const TObjectElement& object) {
    if (object.codeBase.toLower().contains(kPlayerDomain)) {
        return true;
    }
    QString classId = object.classId.trimmed().toLower();
    if (classId.startsWith("clsid:")) {
        classId = classId.mid(6);
    }
    return classId == kFlashClassId ||
           object.type.trimmed().toLower() == "application/x-shockwave-flash";
}

void TFoundMovieList::Add(const QString& address, const QString& document) {
    Add({address, source_, document});
}

void TFoundMovieList::Add(const TFoundMovie& movie) {
    const QString key = movie.address.toCaseFolded();
    if (!keys_.contains(key)) {
        keys_.insert(key);
        movies_.push_back(movie);
    }
}

bool TFoundMovieList::Contains(const QString& address) const {
    return keys_.contains(address.toCaseFolded());
}

QStringList TFoundMovieList::Addresses() const {
    QStringList out;
    out.reserve(static_cast<qsizetype>(movies_.size()));
    for (const TFoundMovie& movie : movies_) {
        out << movie.address;
    }
    return out;
}

void AddFoundMovie(const QString& address, const QString& page, TFoundMovieList& found) {
    found.Add(address, page);
}

void ScanObjectElements(const QString& page, const std::vector<TObjectElement>& objects,
                        TFoundMovieList& found) {
    for (const TObjectElement& object : objects) {
        // Another kind of object, or a player without a movie, names nothing to fetch.
        if (IsFlashObject(object) && !EncodeSpaces(object.movie).isEmpty()) {
            AddFoundMovie(ResolveMovieAddress(page, object.movie), page, found);
        }
    }
}

void ScanEmbedElements(const QString& page, const QStringList& sources, TFoundMovieList& found) {
    for (const QString& src : sources) {
        if (src.toLower().contains(".swf")) {
            AddFoundMovie(ResolveMovieAddress(page, src), page, found);
        }
    }
}

QStringList ScriptMovieCandidates(const QString& script) {
    // Positions of every double quote; however many there are, the whole script is scanned.
    std::vector<int> quotes;
    for (int i = 0; i < script.size(); ++i) {
        if (script[i] == '"') {
            quotes.push_back(i);
        }
    }
    QStringList movies;
    if (quotes.empty() || quotes.size() % 2 != 0) {
        return movies;
    }
    for (size_t k = 0; k + 1 < quotes.size(); k += 2) {
        QString candidate = EncodeSpaces(script.mid(quotes[k] + 1, quotes[k + 1] - quotes[k] - 1));
        if (candidate.contains('\'') || candidate.size() < 4) {
            continue;
        }
        if (NamesMovie(candidate)) {
            movies << candidate;
        }
    }
    return movies;
}

void ScanScriptElements(const QString& page, const QStringList& scripts, TFoundMovieList& found) {
    for (const QString& script : scripts) {
        for (const QString& movie : ScriptMovieCandidates(script)) {
            AddFoundMovie(ResolveMovieAddress(page, movie), page, found);
        }
    }
}

void ScanDocument(const TDocumentSnapshot& document, TFoundMovieList& found) {
    // Movies resolve against the document's base, as the engine fetches them.
    ScanObjectElements(document.Base(), document.objects, found);
    ScanEmbedElements(document.Base(), document.embeds, found);
    ScanScriptElements(document.Base(), document.scripts, found);
}

void ScanFrames(const TDocumentSnapshot& document, TFoundMovieList& found) {
    for (const TDocumentSnapshot& frame : document.frames) {
        ScanDocument(frame, found);
        ScanFrames(frame, found);
    }
}

void ScanPage(const TDocumentSnapshot& document, TFoundMovieList& found) {
    ScanDocument(document, found);
    if (!document.frames.empty()) {
        ScanFrames(document, found);
    }
}

TFoundMovieList ScanLoadedPage(const TDocumentSnapshot& document, bool deep,
                               const QStringList& network, const ScriptTexts& scripts) {
    TFoundMovieList found;
    ScanPage(document, found);
    if (deep) {
        found.SetSource(TMovieSource::DeepScan);
        ScanPageDeep(document, found, scripts);
        found.SetSource(TMovieSource::Network);
        for (const QString& url : network) {
            found.Add(url, document.url);
        }
    }
    return found;
}
