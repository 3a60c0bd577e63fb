#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <thread>

#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Qt/QtAlertPresenter.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {
namespace {

class QtPlatformTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "DotfieldQtPlatformTests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }

    void SetUp() override { previous = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>()); }
    void TearDown() override { MainQueue::main().bind(previous); }

    // Runs the Qt event loop until the condition holds (bounded in real time).
    static bool processEventsUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // Presses the button with this title on the next modal message box.
    static void pressWhenShown(const QString& title) {
        QTimer::singleShot(0, [title] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                pressWhenShown(title);
                return;
            }
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == title) {
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << title.toStdString();
            box->reject();
        });
    }

    std::shared_ptr<MainThreadBinding> previous;
};

TEST_F(QtPlatformTest, MainQueueWorkRunsOnTheQtThread) {
    EXPECT_TRUE(MainQueue::main().isCurrent());
    std::atomic<bool> done{false};
    int result = 0;
    std::thread worker([&] {
        result = MainQueue::main().sync([] { return MainQueue::main().isCurrent() ? 1 : -1; });
        done = true;
    });
    EXPECT_TRUE(processEventsUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 1);
}

TEST_F(QtPlatformTest, SerialQueueSyncFromTheQtThreadServesWorkThatNeedsIt) {
    SerialQueue queue("com.veltrane.Dotfield.qtTestQueue");
    std::atomic<bool> ranOnMain{false};
    queue.async([&] { ranOnMain = MainQueue::main().sync([] { return MainQueue::main().isCurrent(); }); });
    EXPECT_TRUE(queue.sync([&] { return ranOnMain.load(); }));
}

TEST_F(QtPlatformTest, TheCriticalMessageBoxAnswersWithTheButtonChosen) {
    auto presenterBefore = installAlertPresenter(std::make_shared<QtAlertPresenter>());
    std::string ran;
    const ErrorAlertContent content{"OK", "Cancel", "The connection to the control electronics was lost.",
                                    "text"};

    pressWhenShown("Cancel");
    presentError({.content = content,
                  .defaultAction = [&] { ran = "OK"; },
                  .alternateAction = [&] { ran = "Cancel"; }});
    EXPECT_EQ(ran, "Cancel");

    pressWhenShown("OK");
    presentError({.content = content,
                  .defaultAction = [&] { ran = "OK"; },
                  .alternateAction = [&] { ran = "Cancel"; }});
    EXPECT_EQ(ran, "OK");

    installAlertPresenter(presenterBefore);
}

} // namespace
} // namespace Dotfield
