#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "logic/LoadRecorder.h"

class TFlashPlayer;
class TWarcWriter;

// Plays movies off screen for a while each, every one in a player of its own (the preview's),
// a few at a time, so that what each loads while it plays is fetched through the program and
// told: the command line's way to learn what a page's movies load.
class TMoviePlays : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMostAtOnce = 8;

    struct Played {
        QString failed;  // why the movie did not play, if it did not
        std::vector<TLoadedFile> loads;
        bool limitReached = false;
    };
    using Results = std::map<QString, Played>;  // by movie address

    // archive, when given, records the movies and their loads as they are fetched.
    TMoviePlays(int playMs, std::shared_ptr<TWarcWriter> archive, QObject* parent = nullptr);
    ~TMoviePlays() override;

    // Plays each movie for the time given; done runs once the last has stopped.
    void Play(const QStringList& movies, std::function<void(const Results&)> done);

  private:
    void StartNext();
    void Stop(TFlashPlayer* player);

    const int playMs_;
    const std::shared_ptr<TWarcWriter> archive_;
    std::deque<QString> waiting_;
    std::vector<TFlashPlayer*> playing_;
    Results results_;
    std::function<void(const Results&)> done_;
};
