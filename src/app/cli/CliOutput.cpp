#include "app/cli/CliOutput.h"

#include <unistd.h>

#include <QJsonDocument>
#include <cstdio>

TCliOutput::TCliOutput(bool json) : json_(json), terminal_(::isatty(STDERR_FILENO) == 1) {
    running_.start();
}

void TCliOutput::Result(const QString& plain, const QJsonObject& json) {
    if (!json_ && plain.isEmpty()) {
        return;  // nothing to say plainly: a failure has been told on standard error
    }
    EndProgress();
    const QByteArray line =
        json_ ? QJsonDocument(json).toJson(QJsonDocument::Compact) : plain.toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void TCliOutput::Failure(const QString& text) {
    Note(text);
    failed_ = true;
    ++failures_;
}

void TCliOutput::Summary(bool withPages) {
    const QString pages = withPages ? QString("%1 pages, ").arg(pages_) : QString();
    Note(QString("%1%2 movies, %3 saved, %4 failed, %5 in %6 s")
             .arg(pages)
             .arg(movies_)
             .arg(saved_)
             .arg(failures_)
             .arg(ByteCount(bytes_))
             .arg(static_cast<double>(running_.elapsed()) / 1000, 0, 'f', 1));
}

void TCliOutput::Note(const QString& text) {
    EndProgress();
    std::fprintf(stderr, "vimbrel: %s\n", text.toLocal8Bit().constData());
}

QString ByteCount(qint64 bytes) {
    if (bytes < 1024) {
        return QString("%1 B").arg(bytes);
    }
    const char* units[] = {"kB", "MB", "GB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 2) {
        value /= 1024;
        ++unit;
    }
    return QString("%1 %2").arg(value, 0, 'f', 1).arg(units[unit]);
}

void TCliOutput::Progress(const QString& name, qint64 bytes, qint64 total) {
    if (!terminal_) {
        return;
    }
    if (name != barName_ || !barShown_) {
        barName_ = name;
        barSince_.start();
    }
    constexpr int kWidth = 30;
    const int filled =
        total > 0 ? static_cast<int>(std::min<qint64>(bytes * kWidth / total, kWidth)) : 0;
    const double seconds = std::max<qint64>(barSince_.elapsed(), 1) / 1000.0;
    const QString bar = QString("[%1%2] %3%4  %5/s  %6")
                            .arg(QString(filled, '#'), QString(kWidth - filled, ' '))
                            .arg(ByteCount(bytes))
                            .arg(total > 0 ? " of " + ByteCount(total) : QString())
                            .arg(ByteCount(static_cast<qint64>(bytes / seconds)))
                            .arg(name.section('/', -1).left(40));
    std::fprintf(stderr, "\r%s\033[K", bar.toLocal8Bit().constData());
    std::fflush(stderr);
    barShown_ = true;
}

void TCliOutput::EndProgress() {
    if (barShown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        barShown_ = false;
    }
}
