#include "web/PageRecording.h"

#include <QWebEnginePage>
#include <optional>

#include "logic/Job.h"
#include "logic/WarcWriter.h"
#include "web/EngineRecorder.h"

TPageRecording::TPageRecording(QWebEnginePage* page, QString spoolFolder, QString software,
                               QObject* parent)
    : QObject(parent),
      page_(page),
      spoolFolder_(std::move(spoolFolder)),
      software_(std::move(software)) {
    recorder_ = new TEngineRecorder(page, nullptr, {}, this);
    connect(recorder_, &TEngineRecorder::Ready, this, &TPageRecording::Ready);
    connect(recorder_, &TEngineRecorder::Note, this, &TPageRecording::Note);
    connect(recorder_, &TEngineRecorder::DocumentStarted, this, [this] { StartPage(); });
    StartPage();
}

TPageRecording::~TPageRecording() = default;

bool TPageRecording::IsReady() const {
    return recorder_->IsReady();
}

void TPageRecording::StartPage() {
    current_ = TWarcWriter::Spool(spoolFolder_, software_);
    recorder_->SetArchive(current_.get());
    emit ArchiveChanged(current_);
}

void TPageRecording::SaveAs(const QString& target, std::function<void(const TOutcome&)> done) {
    current_->AddPage(page_->url().toString(), page_->title());
    RunInBackground<std::optional<TOutcome>>(
        this, [archive = current_, target] { return archive->SaveAs(target); },
        [done = std::move(done), target](const std::optional<TOutcome>& saved) {
            done(saved ? *saved : TOutcome::Failed("cannot write " + target));
        });
}
