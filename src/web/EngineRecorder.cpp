#include "web/EngineRecorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>
#include <algorithm>

#include "logic/EngineExchange.h"
#include "logic/WarcWriter.h"
#include "web/WebResources.h"

namespace {
// Marks the protocol's messages among what the tools page writes to its console.
constexpr char kMark[] = "vimbrel-protocol:";
constexpr int kAttachRetryMs = 20;
constexpr int kFinishLimitMs = 5000;

// Takes the messages the engine hands the tools page (whole or in chunks) before the page's
// own code can, and passes each on through the console, marked.
QString ProtocolHook() {
    return QString(R"JS((() => {
  const wanted = new Set(["Network.requestWillBeSent", "Network.requestWillBeSentExtraInfo",
    "Network.responseReceived", "Network.responseReceivedExtraInfo", "Network.dataReceived",
    "Network.loadingFinished", "Network.loadingFailed"]);
  let buffer = "", expected = 0;
  const api = {
    dispatchMessage(message) {
      const text = typeof message === "string" ? message : JSON.stringify(message);
      // Replies pass whole; of the events, only those about answers, without their stacks.
      if (!text.startsWith('{"id"')) {
        const parsed = JSON.parse(text);
        if (!wanted.has(parsed.method)) return;
        if (parsed.params) delete parsed.params.initiator;
        console.debug(%1 + JSON.stringify(parsed));
        return;
      }
      console.debug(%1 + text);
    },
    dispatchMessageChunk(chunk, size) {
      if (size) { buffer = ""; expected = size; }
      buffer += chunk;
      if (buffer.length >= expected) { api.dispatchMessage(buffer); buffer = ""; expected = 0; }
    },
  };
  Object.defineProperty(window, "DevToolsAPI", { value: api, writable: false });
})();)JS")
        .arg(JsString(kMark));
}

bool Recordable(const QString& url) {
    const QString scheme = QUrl(url).scheme();
    return scheme == "http" || scheme == "https";
}

}  // namespace

// The developer-tools page the recorder speaks through; the messages reach it on its console.
// Blocks every request of the tools page but its document: the developer tools' own
// application is not needed to hear the engine, and would cost each page its start.
class TOnlyTheDocument : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
            info.block(true);
        }
    }
};

class TProtocolPage : public QWebEnginePage {
  public:
    TProtocolPage(QWebEngineProfile* profile, QObject* parent,
                  std::function<void(const QByteArray&)> message)
        : QWebEnginePage(profile, parent), message_(std::move(message)) {
        QWebEngineScript hook;
        hook.setInjectionPoint(QWebEngineScript::DocumentCreation);
        hook.setWorldId(QWebEngineScript::MainWorld);
        hook.setSourceCode(ProtocolHook());
        scripts().insert(hook);
        setUrlRequestInterceptor(new TOnlyTheDocument(this));
    }

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override {
        if (message.startsWith(kMark)) {
            message_(message.mid(int(qstrlen(kMark))).toUtf8());
        }
    }

  private:
    const std::function<void(const QByteArray&)> message_;
};

TEngineRecorder::TEngineRecorder(QWebEnginePage* page, TWarcWriter* archive, Limits limits,
                                 QObject* parent)
    : QObject(parent), archive_(archive), limits_(limits) {
    tools_ =
        new TProtocolPage(page->profile(), this, [this](const QByteArray& json) { Message(json); });
    attach_.setInterval(kAttachRetryMs);
    connect(&attach_, &QTimer::timeout, this, [this] {
        enableId_ = nextId_;
        // Bodies are kept by the engine until asked for; these bound what it keeps.
        Send("Network.enable", {{"maxTotalBufferSize", 512 * 1024 * 1024},
                                {"maxResourceBufferSize", 256 * 1024 * 1024}});
    });
    connect(tools_, &QWebEnginePage::loadFinished, this, [this] { attach_.start(); });
    finishLimit_.setSingleShot(true);
    finishLimit_.setInterval(kFinishLimitMs);
    connect(&finishLimit_, &QTimer::timeout, this, [this] {
        bodiesAsked_.clear();
        answers_.clear();
        flushed_ = true;
        EndIfDone();
    });
    Attach(page);
}

void TEngineRecorder::Attach(QWebEnginePage* page) {
    if (page_ && page_->devToolsPage() == tools_) {
        page_->setDevToolsPage(nullptr);
    }
    page_ = page;
    ready_ = false;
    enableId_ = 0;
    topFrame_.clear();
    answers_.clear();
    bodiesAsked_.clear();
    finished_ = nullptr;
    finishLimit_.stop();
    flushId_ = 0;
    flushed_ = false;
    records_ = 0;
    bytes_ = 0;
    full_ = false;
    // The tools page loads again for it, and attaches to it once loaded.
    page_->setDevToolsPage(tools_);
}

TEngineRecorder::~TEngineRecorder() {
    if (page_ && page_->devToolsPage() == tools_) {
        page_->setDevToolsPage(nullptr);
    }
}

void TEngineRecorder::Send(const QString& method, const QJsonObject& params) {
    const QJsonObject message{{"id", nextId_++}, {"method", method}, {"params", params}};
    const QString text = QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
    const QJsonObject embedder{
        {"id", 0}, {"method", "dispatchProtocolMessage"}, {"params", QJsonArray{text}}};
    const QString call = QString::fromUtf8(QJsonDocument(embedder).toJson(QJsonDocument::Compact));
    tools_->runJavaScript("DevToolsHost.sendMessageToEmbedder(" + JsString(call) + ")");
}

void TEngineRecorder::Message(const QByteArray& json) {
    const QJsonObject message = QJsonDocument::fromJson(json).object();
    if (message.contains("id")) {
        Reply(message["id"].toInt(), message);
    } else {
        Event(message["method"].toString(), message["params"].toObject());
    }
}

void TEngineRecorder::Reply(int id, const QJsonObject& message) {
    if (!ready_ && id >= enableId_ && enableId_ > 0) {
        attach_.stop();
        ready_ = true;
        frameTreeId_ = nextId_;
        Send("Page.getFrameTree");
        emit Ready();
        return;
    }
    if (id == frameTreeId_) {
        topFrame_ = message["result"]["frameTree"]["frame"]["id"].toString();
        return;
    }
    if (id == flushId_) {
        // Every event sent before this reply has arrived.
        flushed_ = true;
        EndIfDone();
        return;
    }
    const QString requestId = bodiesAsked_.take(id);
    if (requestId.isEmpty()) {
        return;
    }
    const Answer answer = answers_.take(requestId);
    const QJsonObject result = message["result"].toObject();
    const QByteArray body = result["base64Encoded"].toBool()
                                ? QByteArray::fromBase64(result["body"].toString().toLatin1())
                                : result["body"].toString().toUtf8();
    if (body.isEmpty() && answer.received > 0) {
        // An empty body would be a false copy of what was received.
        emit Note(answer.response["url"].toString() +
                  ": not archived, the engine kept no copy of its body");
    } else {
        Keep(answer, answer.response, body);
    }
    EndIfDone();
}

void TEngineRecorder::Event(const QString& method, const QJsonObject& params) {
    const QString id = params["requestId"].toString();
    const bool topDocument = method == "Network.requestWillBeSent" &&
                             params["type"] == "Document" && params["frameId"] == topFrame_ &&
                             params["loaderId"] == id && !topFrame_.isEmpty() &&
                             !params.contains("redirectResponse");
    if (topDocument) {
        // Its owner may start a new recording here, the limits afresh.
        emit DocumentStarted(params["request"]["url"].toString());
    }
    if (full_ && !answers_.contains(id)) {
        return;  // a page past its limit: what it asks for from now on is not followed
    }
    if (method == "Network.requestWillBeSent") {
        Answer& answer = answers_[id];
        if (params.contains("redirectResponse")) {
            Keep(answer, params["redirectResponse"].toObject(), {});
            answer = Answer();
        }
        answer.request = params["request"].toObject();
    } else if (method == "Network.requestWillBeSentExtraInfo") {
        answers_[id].sentHeaders = params["headers"].toObject();
    } else if (method == "Network.responseReceivedExtraInfo") {
        Answer& answer = answers_[id];
        answer.headersText = params["headersText"].toString().toUtf8();
        answer.headersStatus = params["statusCode"].toInt();
    } else if (method == "Network.responseReceived") {
        answers_[id].response = params["response"].toObject();
    } else if (method == "Network.dataReceived") {
        answers_[id].received += params["dataLength"].toInteger();
    } else if (method == "Network.loadingFinished") {
        if (answers_.value(id).response.contains("status")) {
            bodiesAsked_.insert(nextId_, id);
            Send("Network.getResponseBody", {{"requestId", id}});
        } else {
            answers_.remove(id);
        }
    } else if (method == "Network.loadingFailed") {
        const Answer failed = answers_.take(id);
        if (params["errorText"] == "net::ERR_RESPONSE_HEADERS_TOO_BIG") {
            // A refusal the page never sees: the user learns why the archive lacks it.
            emit Note(failed.request["url"].toString() +
                      ": not archived, the engine refused an answer whose head is too large");
        }
        EndIfDone();
    }
}

QByteArray TEngineRecorder::HeadText(const Answer& answer, const QJsonObject& response) const {
    // The head as received, when the engine told it for this very answer.
    return answer.headersStatus == response["status"].toInt() ? answer.headersText : QByteArray();
}

void TEngineRecorder::Keep(const Answer& answer, const QJsonObject& response,
                           const QByteArray& body) {
    const QString url = response["url"].toString(answer.request["url"].toString());
    if (!Recordable(url) || full_ || !archive_) {
        return;
    }
    TEngineExchange exchange;
    exchange.url = url;
    exchange.request = EngineRequestMessage(answer.request, answer.sentHeaders);
    exchange.head = ArchivedResponseHead(response, HeadText(answer, response), body.size());
    exchange.body = body;
    const qint64 size = exchange.head.size() + body.size();
    if (records_ + 1 > limits_.records || bytes_ + size > limits_.bytes) {
        full_ = true;
        const QString text =
            QString(
                "the archive holds no more of %1: %2 answers or %3 MB are the most kept "
                "for one page")
                .arg(PageUrl())
                .arg(limits_.records)
                .arg(limits_.bytes / (1024 * 1024));
        archive_->Note(PageUrl(), text.toUtf8());
        emit Note(text);
        return;
    }
    if (archive_->Record(exchange)) {
        ++records_;
        bytes_ += size;
    }
}

void TEngineRecorder::SetArchive(TWarcWriter* archive) {
    archive_ = archive;
    records_ = 0;
    bytes_ = 0;
    full_ = false;
}

QString TEngineRecorder::PageUrl() const {
    return page_ ? page_->url().toString() : QString();
}

void TEngineRecorder::Finish(std::function<void()> done) {
    finished_ = std::move(done);
    attach_.stop();
    finishLimit_.start();
    flushed_ = !ready_;
    if (ready_) {
        flushId_ = nextId_;
        Send("Page.getFrameTree");
    }
    EndIfDone();
}

void TEngineRecorder::EndIfDone() {
    // The answers whose head has come end (or the time is up) before the recording does.
    const bool arriving = std::any_of(answers_.begin(), answers_.end(), [](const Answer& answer) {
        return answer.response.contains("status");
    });
    if (!finished_ || !flushed_ || !bodiesAsked_.isEmpty() || arriving) {
        return;
    }
    finishLimit_.stop();
    if (page_ && page_->devToolsPage() == tools_) {
        page_->setDevToolsPage(nullptr);
    }
    const auto done = std::move(finished_);
    finished_ = nullptr;
    done();
}
