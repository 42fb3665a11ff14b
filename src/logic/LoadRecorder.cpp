#include "logic/LoadRecorder.h"

#include <curl/curl.h>

#include <QCryptographicHash>
#include <QDir>

#include "logic/AddressResolution.h"
#include "platform/FileOps.h"

namespace {
struct Fetching {
    QByteArray body;
    qint64 room;  // what the movie's budget leaves
    bool tooLarge = false;
    const std::atomic<bool>* stopping;
};

size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* f = static_cast<Fetching*>(self);
    const qint64 length = static_cast<qint64>(size * count);
    if (f->body.size() + length > f->room) {
        f->tooLarge = true;
        return 0;
    }
    f->body.append(data, length);
    return size * count;
}

int Continue(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Fetching*>(self)->stopping->load() ? 1 : 0;
}
}  // namespace

TLoadRecorder::TLoadRecorder(QString folder, Recorded recorded)
    : folder_(std::move(folder)), recorded_(std::move(recorded)) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

TLoadRecorder::~TLoadRecorder() {
    curl_global_cleanup();
}

TLoadRecorder::Answer TLoadRecorder::Fetch(const QString& movie, const QString& url) {
    TLoadedFile file;
    file.address = url;
    auto refuse = [&](const QString& why, bool limitReached = false) {
        file.refused = why;
        recorded_(movie, file, limitReached);
        return Answer{403, "text/plain", why.toUtf8()};
    };
    if (!IsHttpAddress(url)) {
        return refuse("not an http or https address");
    }
    int number = 0;
    qint64 room = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Budget& budget = budgets_[movie];
        if (budget.files >= kMaxFiles || budget.full) {
            const bool first = !budget.full;
            budget.full = true;
            return refuse(QString("more than %1 files loaded").arg(kMaxFiles), first);
        }
        number = ++budget.files;
        room = kMaxBytes - budget.bytes;
    }
    Fetching fetching{{}, room, false, &stopping_};
    CURL* curl = curl_easy_init();
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "HTTPGET");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetching);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Continue);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &fetching);
    const CURLcode code = curl_easy_perform(curl);
    char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &file.status);
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    file.type = QString::fromLatin1(type ? type : "");
    curl_easy_cleanup(curl);

    if (fetching.tooLarge) {
        bool first = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            first = !budgets_[movie].full;
            budgets_[movie].full = true;
        }
        return refuse(QString("more than %1 MB loaded").arg(kMaxBytes >> 20), first);
    }
    if (code != CURLE_OK) {
        return refuse(error[0] ? QString::fromLocal8Bit(error) : curl_easy_strerror(code));
    }
    file.size = fetching.body.size();
    file.sha256 = QCryptographicHash::hash(fetching.body, QCryptographicHash::Sha256).toHex();
    if (file.status >= 200 && file.status < 300) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            budgets_[movie].bytes += file.size;
        }
        file.localFile = Keep(movie, number, fetching.body);
        if (file.localFile.isEmpty()) {
            file.refused = "no copy could be kept";
        }
    }
    recorded_(movie, file, false);
    return {static_cast<int>(file.status),
            file.type.isEmpty() ? QByteArray("application/octet-stream") : file.type.toLatin1(),
            fetching.body};
}

QString TLoadRecorder::Keep(const QString& movie, int number, const QByteArray& body) {
    const QString folder =
        folder_ + "/" +
        QCryptographicHash::hash(movie.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::number(number);
    TAtomicFile copy(path);
    return copy.Write(body.constData(), static_cast<size_t>(body.size())) && copy.Commit()
               ? path
               : QString();
}
