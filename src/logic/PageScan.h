#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "logic/DocumentSnapshot.h"

// The web domain of the Flash player's maker, named by OBJECT codebase attributes that point at
// the player's installer.
inline const char* const kPlayerDomain = "macromedia.com";

// An OBJECT that hosts the Flash player: found by its installer address, its class id or its type.
bool IsFlashObject(const TObjectElement& object);

// Where a movie of the web list was found.
enum class TMovieSource {
    Page,         // the page scan's rules
    DeepScan,     // the deep scan's rules
    Network,      // the page fetched it
    CommandLine,  // given by the user
};

struct TFoundMovie {
    QString address;
    TMovieSource source = TMovieSource::Page;
    QString document;  // the address of the document it was found in
};

// The movies found so far, in the order found, with an index of their addresses in folded
// letter case so that a page with thousands of movies is checked for duplicates quickly.
class TFoundMovieList {
  public:
    // Appends the movie unless the list holds its address already, letter case ignored.
    void Add(const QString& address, const QString& document);
    void Add(const TFoundMovie& movie);
    bool Contains(const QString& address) const;
    // The source of the movies added from now on.
    void SetSource(TMovieSource source) { source_ = source; }
    const std::vector<TFoundMovie>& Movies() const { return movies_; }
    QStringList Addresses() const;
    // External scripts the deep scan could not read (not in the browser's cache).
    int scriptsUnread = 0;

  private:
    std::vector<TFoundMovie> movies_;
    QSet<QString> keys_;
    TMovieSource source_ = TMovieSource::Page;
};

// The page walk: the top document, then its frames depth first. Every movie found is resolved
// against the address of its own document and appended to found unless already there (letter
// case ignored).
void ScanPage(const TDocumentSnapshot& document, TFoundMovieList& found);
void ScanFrames(const TDocumentSnapshot& document, TFoundMovieList& found);
void ScanDocument(const TDocumentSnapshot& document, TFoundMovieList& found);
void ScanObjectElements(const QString& page, const std::vector<TObjectElement>& objects,
                        TFoundMovieList& found);
void ScanEmbedElements(const QString& page, const QStringList& sources, TFoundMovieList& found);
void ScanScriptElements(const QString& page, const QStringList& scripts, TFoundMovieList& found);
void AddFoundMovie(const QString& address, const QString& page, TFoundMovieList& found);

// The texts of a page's external scripts, by the address they were fetched from.
using ScriptTexts = QHash<QString, QString>;

// What a loaded page lists: the page scan's movies, then, with the deep scan, the deep scan's
// (scripts: the texts of its external scripts that could be read) and those the page fetched
// (network), each once.
TFoundMovieList ScanLoadedPage(const TDocumentSnapshot& document, bool deep,
                               const QStringList& network, const ScriptTexts& scripts = {});

// The movie addresses a script names between pairs of double quotes, before resolution: the
// texts between the 1st and 2nd, 3rd and 4th … quotes (nothing when their count is odd), spaces
// encoded, without an apostrophe, at least four characters, naming a movie.
QStringList ScriptMovieCandidates(const QString& script);

// Whether an address names a movie: its part before any "?" ends in ".swf" (any case).
bool NamesMovie(const QString& address);
// The same, and a file name stands before ".swf": a bare extension (".swf", "a/.swf") names no
// movie. The deep scan's rule for what it finds in script strings and attributes.
bool NamesMovieFile(const QString& address);
