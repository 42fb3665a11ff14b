#pragma once

#include <QTemporaryDir>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/Gate.h"
#include "support/ListRows.h"
#include "support/RawHttpServer.h"

// Keeps the window's download chain running for as long as it exists: the chain fetches one
// movie from a server that answers only when this goes, and then waits for the chain's end.
class TBusyChain {
  public:
    explicit TBusyChain(TMainFrm& frm)
        : frm_(frm), server_([this](const std::string&) {
              gate_.Wait();
              return RawHttpServer::Response(200, "movie");
          }) {
        ListMovies(frm, {QString::fromStdString(server_.Url("/busy.swf"))});
        frm.SetAllChecked(true);
        started_ = frm.Core().Chain().Start(target_.path() + "/");
    }
    ~TBusyChain() {
        gate_.Open();
        WaitUntil([this] { return !frm_.Busy(); });
    }
    bool Started() const { return started_; }

  private:
    TMainFrm& frm_;
    TGate gate_;
    RawHttpServer server_;
    QTemporaryDir target_;
    bool started_ = false;
};
