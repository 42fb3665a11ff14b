#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "TestUtil.h"
#include "support/PageServer.h"
#include "support/TestSwf.h"
#include "web/FlashPlayer.h"
#include "web/MoviePlays.h"

// Ten movies of a page play, never more than eight players at once, and each is told once.
TEST(MoviePlays, NoMoreThanEightPlayAtOnce) {
    PageServer site;
    QStringList movies;
    for (int i = 0; i < 10; ++i) {
        const std::string path = "/m" + std::to_string(i) + ".swf";
        site.Add(path, SolidColourSwf({0, 0, 255}).toStdString(), "application/x-shockwave-flash");
        movies << QString("http://127.0.0.1:%1%2").arg(site.Port()).arg(path.c_str());
    }
    movies << movies[0];  // the same address again plays once
    TMoviePlays plays(1000, nullptr);
    int most = 0;
    QTimer count;
    QObject::connect(&count, &QTimer::timeout, [&] {
        int players = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            players += qobject_cast<TFlashPlayer*>(widget) != nullptr && widget->isVisible();
        }
        most = std::max(most, players);
    });
    count.start(20);
    TMoviePlays::Results results;
    bool done = false;
    plays.Play(movies, [&](const TMoviePlays::Results& played) {
        results = played;
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done; }, 30000));
    EXPECT_EQ(most, TMoviePlays::kMostAtOnce);
    EXPECT_EQ(results.size(), 10u);
    for (const auto& [movie, played] : results) {
        EXPECT_TRUE(played.failed.isEmpty()) << movie.toStdString();
    }
}
