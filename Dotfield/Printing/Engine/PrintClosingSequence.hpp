#pragma once
// The status poll suspended for the whole print, and the closing sequence on
// every way out of it, normal or by error: the poll resumed, then the manual
// positioning speeds restored. An error of the latter is dropped with a line
// on standard output, so it never hides the print's own outcome.

namespace Dotfield {

class RepeatingTimer;
class Robot;

class PrintClosingSequence {
  public:
    // Suspends the poll.
    PrintClosingSequence(Robot& robot, RepeatingTimer& statusPoll);
    // Runs the closing sequence.
    ~PrintClosingSequence();
    PrintClosingSequence(const PrintClosingSequence&) = delete;
    PrintClosingSequence& operator=(const PrintClosingSequence&) = delete;

  private:
    Robot& robot_;
    RepeatingTimer& statusPoll_;
};

} // namespace Dotfield
