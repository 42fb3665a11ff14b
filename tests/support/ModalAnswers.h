#pragma once

#include "widgets/ModalDialogs.h"

// Answers the program's modal dialogs with answer() while it lives, then puts back the answerer
// it replaced.
class TModalAnswers {
  public:
    explicit TModalAnswers(TModalAnswerer answer)
        : previous_(SetModalAnswerer(std::move(answer))) {}
    ~TModalAnswers() { SetModalAnswerer(previous_); }
    TModalAnswers(const TModalAnswers&) = delete;
    TModalAnswers& operator=(const TModalAnswers&) = delete;

  private:
    TModalAnswerer previous_;
};
