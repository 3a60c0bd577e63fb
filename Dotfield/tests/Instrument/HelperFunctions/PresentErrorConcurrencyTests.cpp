#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

class PresentErrorTest : public ::testing::Test {
  protected:
    ScopedMainThreadPump mainThread;
    ScopedScriptedAlertPresenter alerts;
};

TEST_F(PresentErrorTest, OkRunsTheDefaultActionAndCancelTheAlternateAction) {
    alerts.presenter().answer(AlertResponse::defaultButton);
    alerts.presenter().answer(AlertResponse::alternateButton);
    std::vector<std::string> ran;
    const ErrorAlertRequest request{
        .content = ElectronicsError(ElectronicsError::Kind::electronicsDisconnected).presentableDescription(),
        .defaultAction = [&] { ran.push_back("retry"); },
        .alternateAction = [&] { ran.push_back("give up"); }};

    presentError(request);
    presentError(request);

    EXPECT_EQ(ran, (std::vector<std::string>{"retry", "give up"}));
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 2U);
    EXPECT_EQ(alerts.presenter().shownAlerts()[0].messageText,
              "The connection to the control electronics was lost.");
}

TEST_F(PresentErrorTest, FromAWorkerTheAlertAndActionRunOnTheMainThreadBeforeTheCallerGoesOn) {
    std::atomic<bool> actionOnMain{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        presentError({.content = {"OK", std::nullopt, "Operation aborted manually.", "text"},
                      .defaultAction = [&] { actionOnMain = MainQueue::main().isCurrent(); },
                      .alternateAction = [] {}});
        EXPECT_TRUE(actionOnMain);
        returned = true;
    });
    EXPECT_TRUE(
        mainThread.pump().runUntil([&] { return returned.load(); }, Dotfield::Testing::eventuallyLimit));
    worker.join();
    EXPECT_EQ(alerts.presenter().shownAlerts().size(), 1U);
}

TEST(PresentErrorWithoutPresenterTest, AnswersTheAlternateButtonWhenThereIsOne) {
    ScopedMainThreadPump mainThread;
    std::string ran;
    presentError({.content = {"OK", "Cancel", "title", "text"},
                  .defaultAction = [&] { ran = "default"; },
                  .alternateAction = [&] { ran = "alternate"; }});
    EXPECT_EQ(ran, "alternate");
}

} // namespace
} // namespace Dotfield
