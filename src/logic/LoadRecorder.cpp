#include "logic/LoadRecorder.h"

#include "logic/EngineExchange.h"
#include "logic/WarcWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <memory>

#include "logic/AddressGuard.h"
#include "logic/AddressResolution.h"
#include "logic/CrossDomainPolicy.h"
#include "logic/HttpClient.h"
#include "logic/RetryRule.h"
#include "platform/Digest.h"
#include "platform/FileOps.h"
#include "platform/UserFolders.h"

namespace {
constexpr qint64 kMostErrorPage = 64 * 1024;  // of an answer that is not kept
constexpr qint64 kMostPolicy = 64 * 1024;
constexpr int kPolicyMs = 10000;
constexpr int kFirstBytes = 16;  // enough to tell a movie, an image or a sound
}  // namespace

// One load's answer: the body goes into a file as it arrives (a 2xx answer) or into memory (a
// short error page), every byte counted against the movie's budget.
class TLoadRecorder::Transfer final : public THttpSink {
  public:
    Transfer(TLoadRecorder& owner, const QString& movie, TAtomicFile& file, TWarcWriter* archive)
        : owner_(owner), movie_(movie), file_(file), archive_(archive) {}

    bool Head(const THttpHead& head) override {
        // Each answer afresh: a redirect's body is not the load's.
        answer = head;
        toFile = head.status >= 200 && head.status < 300;
        received = 0;
        firstBytes.clear();
        memory.clear();
        sha.Reset();
        return true;
    }

    // An answer that is not kept is archived as it ends, if it came whole; a kept one once the
    // movie may have it.
    void End(bool complete) override {
        if (archive_ && complete && !toFile && received == memory.size()) {
            archive_->Record({answer.url, answer.request,
                              ArchivedResponseHead({}, answer.head, received, false), memory});
        }
    }

    bool Body(const char* data, size_t size) override {
        const qint64 length = static_cast<qint64>(size);
        if (!owner_.Spend(movie_, length)) {
            overBudget = true;
            return false;
        }
        received += length;
        if (firstBytes.size() < kFirstBytes) {
            firstBytes.append(data, std::min<qint64>(length, kFirstBytes - firstBytes.size()));
        }
        sha.Add(QByteArrayView(data, length));
        if (!toFile) {
            // An error page is only ever shown short.
            memory.append(data, std::min(length, kMostErrorPage - memory.size()));
            return true;
        }
        if (!file_.Write(data, size)) {
            fault_ = file_.Error().isEmpty() ? QString("no copy could be kept") : file_.Error();
            return false;
        }
        return true;
    }

    QString Fault() const override { return fault_; }

    bool toFile = false;
    bool overBudget = false;
    qint64 received = 0;
    QByteArray firstBytes;
    QByteArray memory;  // the body of an answer that is not kept
    TDigest sha{TDigest::Kind::Sha256};
    THttpHead answer;  // the latest

  private:
    TLoadRecorder& owner_;
    const QString movie_;
    TAtomicFile& file_;
    TWarcWriter* const archive_;
    QString fault_;
};

// A client the recorder can cancel, for as long as one fetch runs.
class TLoadRecorder::Running {
  public:
    explicit Running(TLoadRecorder& owner, int generation) : owner_(owner) {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.running_.insert(&client);
        if (owner_.stopping_ || owner_.generation_ != generation) {
            client.Cancel();
        }
    }
    ~Running() {
        std::lock_guard<std::mutex> lock(owner_.mutex_);
        owner_.running_.erase(&client);
    }
    THttpClient client;

  private:
    TLoadRecorder& owner_;
};

TLoadRecorder::TLoadRecorder(QString folder, Recorded recorded, TLoadLimits limits)
    : folder_(std::move(folder)), recorded_(std::move(recorded)), limits_(limits) {}

TLoadRecorder::~TLoadRecorder() = default;

void TLoadRecorder::CancelRunning() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (THttpClient* client : running_) {
        client->Cancel();
    }
}

void TLoadRecorder::ForbidOwnPort(int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    ownPorts_ << port;
}

bool TLoadRecorder::Spend(const QString& movie, qint64 bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    Budget& budget = budgets_[movie];
    if (budget.bytes + bytes > limits_.bytes) {
        return false;
    }
    budget.bytes += bytes;
    return true;
}

bool TLoadRecorder::AllowsPrivate(const Movie& movie) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const int known = budgets_[movie.key].allowPrivate;
        if (known >= 0) {
            return known == 1;
        }
    }
    // A movie from this machine or its network may load from there; one from elsewhere may not.
    const bool allow = IsHttpAddress(movie.address) && IsPrivateHost(QUrl(movie.address).host());
    std::lock_guard<std::mutex> lock(mutex_);
    budgets_[movie.key].allowPrivate = allow ? 1 : 0;
    return allow;
}

QString TLoadRecorder::MovieFolder(const QString& movie) const {
    return MovieFolderIn(folder_, movie);
}

QString TLoadRecorder::MovieFolderIn(const QString& folder, const QString& movie) {
    return folder + "/" + TDigest::Of(TDigest::Kind::Sha1, movie.toUtf8()).toHex().left(16);
}

namespace {
const char* const kJournal = "loads.jsonl";

QJsonObject Written(const TLoadedFile& file) {
    return {{"address", file.address},
            {"status", static_cast<qint64>(file.status)},
            {"type", file.type},
            {"size", file.size},
            {"sha256", QString::fromLatin1(file.sha256)},
            {"localFile", file.localFile},
            {"refused", file.refused}};
}

TLoadedFile Read(const QJsonObject& line) {
    TLoadedFile file;
    file.address = line["address"].toString();
    file.status = line["status"].toInteger();
    file.type = line["type"].toString();
    file.size = line["size"].toInteger();
    file.sha256 = line["sha256"].toString().toLatin1();
    file.localFile = line["localFile"].toString();
    file.refused = line["refused"].toString();
    return file;
}
}  // namespace

void TLoadRecorder::Tell(const Movie& movie, const TLoadedFile& file, bool limitReached,
                         bool counted) {
    if (counted) {
        // Kept with the movie's copies, so that a list read again knows what it loaded; at most
        // one line per load its budget allows.
        std::lock_guard<std::mutex> lock(mutex_);
        QDir().mkpath(MovieFolder(movie.key));
        QFile journal(MovieFolder(movie.key) + "/" + kJournal);
        if (journal.open(QIODevice::Append)) {
            journal.write(QJsonDocument(Written(file)).toJson(QJsonDocument::Compact) + "\n");
        }
    }
    recorded_(movie.Name(), file, limitReached);
}

std::vector<TLoadedFile> TLoadRecorder::Kept(const QString& folder, const QString& movie,
                                             const TLoadLimits& limits) {
    QFile journal(MovieFolderIn(folder, movie) + "/" + kJournal);
    std::vector<TLoadedFile> loads;
    if (!journal.open(QIODevice::ReadOnly)) {
        return loads;
    }
    const QString copies = QDir::cleanPath(MovieFolderIn(folder, movie)) + "/";
    for (int lines = 0; lines < limits.files && !journal.atEnd(); ++lines) {
        const QJsonObject line = QJsonDocument::fromJson(journal.readLine(64 * 1024)).object();
        TLoadedFile file = Read(line);
        if (!IsHttpAddress(file.address)) {
            continue;  // a torn or foreign line
        }
        // Only a copy of this movie's, still there, counts as kept.
        if (!QDir::cleanPath(file.localFile).startsWith(copies) ||
            !QFileInfo::exists(file.localFile)) {
            file.localFile.clear();
        }
        const auto same = std::find_if(loads.begin(), loads.end(), [&](const TLoadedFile& f) {
            return f.address == file.address;
        });
        if (same != loads.end()) {
            *same = file;
        } else {
            loads.push_back(file);
        }
    }
    return loads;
}

QString PreviewLoadsFolder() {
    return ProgramFolders().cacheHome + "/vimbrel/loads";
}

TLoadRecorder::Answer TLoadRecorder::Fetch(const Movie& movie, const QString& url) {
    TLoadedFile file;
    file.address = url;
    int number = 0;  // the load's place among the movie's, once it counts against its budget
    auto refuse = [&](const QString& why, bool limitReached = false) {
        file.refused = why;
        Tell(movie, file, limitReached, number > 0);
        return Answer{403, "text/plain", QString(), why.toUtf8(), why};
    };
    if (!IsHttpAddress(url)) {
        return refuse("not an http or https address");
    }
    if (!QUrl(url).userInfo().isEmpty()) {
        return refuse("an address with a user name or password is not fetched");
    }
    const int generation = generation_;
    QList<int> ownPorts;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Budget& budget = budgets_[movie.key];
        const bool over = budget.files >= limits_.files || budget.ms >= limits_.movieMs;
        if (over || budget.full) {
            const bool first = !budget.full;
            budget.full = true;
            return refuse(budget.ms >= limits_.movieMs
                              ? QString("loads took more than %1 s").arg(limits_.movieMs / 1000)
                              : QString("more than %1 files loaded").arg(limits_.files),
                          first);
        }
        number = ++budget.files;
        ownPorts = ownPorts_;
    }
    const QString folder = MovieFolder(movie.key);
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::number(number);
    TAtomicFile copy(path);
    TConnectionGuard guard(AllowsPrivate(movie), ownPorts);
    std::shared_ptr<TWarcWriter> archive;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        archive = archive_;
    }
    Transfer transfer(*this, movie.key, copy, archive.get());
    Running running(*this, generation);
    TFetchRequest request;
    request.url = url;
    request.guard = &guard;
    request.connectTimeoutMs = limits_.loadMs;
    request.timeoutMs = limits_.loadMs;
    request.everyAnswer = archive != nullptr;
    QElapsedTimer took;
    took.start();
    const TTransferEnd end = running.client.Get(request, transfer);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        budgets_[movie.key].ms += took.elapsed();
    }
    file.status = end.status;
    file.type = QString::fromLatin1(HeaderValue(end.head, "Content-Type"));
    file.size = transfer.received;

    if (transfer.overBudget) {
        bool first = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            first = !budgets_[movie.key].full;
            budgets_[movie.key].full = true;
        }
        return refuse(QString("more than %1 MB loaded").arg(limits_.bytes >> 20), first);
    }
    const TTransferResult got = ClassifyTransfer(end);
    if (got.kind == TTransferResult::Kind::Stopped || got.kind == TTransferResult::Kind::Failed) {
        return refuse(got.reason);
    }
    file.sha256 = transfer.sha.Result().toHex();
    const QByteArray answerType =
        file.type.isEmpty() ? QByteArray("application/octet-stream") : file.type.toLatin1();
    if (!transfer.toFile) {
        Tell(movie, file, false, true);
        return {static_cast<int>(file.status), answerType, QString(), transfer.memory, QString()};
    }
    // Another host's data is the movie's to read only where that host says so.
    if (!SameHost(url, movie.address) && !IsMediaBody(transfer.firstBytes) &&
        !PolicyLetsRead(movie, url, AllowsPrivate(movie))) {
        return refuse("not allowed by " + QUrl(url).resolved(QUrl("/crossdomain.xml")).toString());
    }
    if (copy.Commit()) {
        file.localFile = path;
        if (archive) {
            const THttpHead& answer = transfer.answer;
            archive->RecordFile(answer.url, answer.request,
                                ArchivedResponseHead({}, answer.head, file.size, false), path);
        }
    } else {
        file.refused = "no copy could be kept";
    }
    Tell(movie, file, false, true);
    return {static_cast<int>(file.status), answerType, file.localFile, QByteArray(), file.refused};
}

bool TLoadRecorder::PolicyLetsRead(const Movie& movie, const QString& url, bool allowPrivate) {
    const QUrl movieUrl(movie.address);
    if (movieUrl.host().isEmpty()) {
        return false;  // a movie of unknown origin reads no other host's data
    }
    const QString policyUrl = QUrl(url).resolved(QUrl("/crossdomain.xml")).toString();
    auto secure = [](const QUrl& u) {
        return u.scheme().compare("https", Qt::CaseInsensitive) == 0;
    };
    return PolicyAllows(FetchPolicy(policyUrl, allowPrivate), movieUrl.host(), secure(movieUrl),
                        secure(QUrl(url)));
}

QByteArray TLoadRecorder::FetchPolicy(const QString& policyUrl, bool allowPrivate) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto known = policies_.constFind(policyUrl);
        if (known != policies_.constEnd()) {
            return *known;
        }
    }
    // Fetched as the load was, through the same guard, but never redirected; its bytes count
    // against no movie.
    struct Policy final : THttpSink {
        QByteArray text;
        bool Head(const THttpHead&) override { return true; }
        bool Body(const char* data, size_t size) override {
            if (text.size() + qint64(size) > kMostPolicy) {
                return false;
            }
            text.append(data, static_cast<qsizetype>(size));
            return true;
        }
    } policy;
    QList<int> ownPorts;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ownPorts = ownPorts_;
    }
    TConnectionGuard guard(allowPrivate, ownPorts);
    TFetchRequest request;
    request.url = policyUrl;
    request.guard = &guard;
    request.redirects = 0;
    request.timeoutMs = kPolicyMs;
    Running running(*this, generation_);
    const TTransferEnd end = running.client.Get(request, policy);
    if (ClassifyTransfer(end).kind != TTransferResult::Kind::Complete || end.status != 200) {
        policy.text.clear();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    policies_.insert(policyUrl, policy.text);
    return policy.text;
}
