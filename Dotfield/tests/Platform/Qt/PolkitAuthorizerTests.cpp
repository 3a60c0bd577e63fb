#include "Dotfield/Platform/Qt/PolkitAuthorizer.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Dotfield/Platform/Files/TextFiles.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"

namespace Dotfield::Platform {
namespace {

namespace fs = std::filesystem;
using Dotfield::forEachLine;
using Dotfield::testing::fileText;
using Dotfield::testing::freshTestFolder;
using Dotfield::testing::writeText;

// A stand-in for the checker. It records its arguments and, as its parent
// (this test) sees itself, "pid,start time,uid"; then it waits until the
// test creates the file "release" and ends as the file "status" says: an exit
// status, or "crash" to die by a signal.
const char* const stubScript = R"script(#!/bin/sh
folder='@FOLDER@'
printf '%s\n' "$@" > "$folder/arguments.part"
echo "$PPID,$(cut -d' ' -f22 /proc/$PPID/stat),$(id -u)" >> "$folder/arguments.part"
echo $$ > "$folder/pid"
echo run >> "$folder/runs"
mv "$folder/arguments.part" "$folder/arguments"
while [ ! -e "$folder/release" ]; do sleep 0.01 </dev/null >/dev/null 2>&1; done
echo "checker diagnostic" >&2
status=$(cat "$folder/status")
if [ "$status" = crash ]; then kill -SEGV $$; fi
exit "$status"
)script";

class PolkitAuthorizerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "DotfieldAuthorizerTests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    void SetUp() override {
        previous = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>());
        folder = freshTestFolder("Authorizer");
    }
    void TearDown() override { MainQueue::main().bind(previous); }

    // Writes the stub as `name` in the test's folder and answers its path.
    fs::path writeStub(const std::string& name = "checker") {
        std::string script = stubScript;
        script.replace(script.find("@FOLDER@"), 8, folder.string());
        const fs::path stub = folder / name;
        writeText(stub, script);
        fs::permissions(stub, fs::perms::owner_all);
        return stub;
    }
    void release(const std::string& status) {
        writeText(folder / "status", status + "\n");
        writeText(folder / "release", "");
    }
    bool stubStarted() const { return fs::exists(folder / "arguments"); }

    // Runs Qt's event loop until the condition holds (bounded only against a hang).
    static bool runEventsUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    // Runs everything the main queue holds now, by waiting for work posted after it.
    static void drainMainQueue() {
        bool reached = false;
        MainQueue::main().async([&] { reached = true; });
        ASSERT_TRUE(runEventsUntil([&] { return reached; }));
    }

    std::shared_ptr<MainThreadBinding> previous;
    fs::path folder;
};

TEST_F(PolkitAuthorizerTest, AsksForTheActionOnBehalfOfThisVeryProcessAndLetsTheMainThreadRunMeanwhile) {
    PolkitAuthorizer authorizer(QString::fromStdString(writeStub().string()));
    std::optional<bool> answer;
    authorizer.requestAuthorization([&](bool granted) { answer = granted; });
    EXPECT_FALSE(answer.has_value()) << "the completion ran inside the request";

    // The stub waits for the test, which can only release it because the
    // main thread is not held while the checker runs.
    ASSERT_TRUE(runEventsUntil([&] { return stubStarted(); }));
    drainMainQueue();
    EXPECT_FALSE(answer.has_value());

    std::vector<std::string> lines;
    forEachLine(fileText(folder / "arguments"), [&](std::string_view line) { lines.emplace_back(line); });
    ASSERT_EQ(lines.size(), 6u);
    const std::string subjectSeenByStub = lines.back();
    lines.pop_back();
    EXPECT_EQ(lines, (std::vector<std::string>{"--action-id", "com.veltrane.Dotfield.TuningParameters",
                                               "--process", subjectSeenByStub, "--allow-user-interaction"}));
    EXPECT_EQ(subjectSeenByStub.substr(0, subjectSeenByStub.find(',')), std::to_string(::getpid()));
    EXPECT_EQ(subjectSeenByStub.substr(subjectSeenByStub.rfind(',') + 1), std::to_string(::getuid()));

    release("0");
    ASSERT_TRUE(runEventsUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
}

struct ExitCase {
    const char* status;
    bool granted;
};

void PrintTo(const ExitCase& exitCase, std::ostream* stream) {
    *stream << exitCase.status;
}

class PolkitAuthorizerExitTest : public PolkitAuthorizerTest,
                                 public ::testing::WithParamInterface<ExitCase> {};

TEST_P(PolkitAuthorizerExitTest, OnlyASuccessfulCheckGrantsAndEveryRefusalIsLogged) {
    PolkitAuthorizer authorizer(QString::fromStdString(writeStub().string()));
    release(GetParam().status);
    std::optional<bool> answer;
    int answers = 0;
    ::testing::internal::CaptureStderr();
    authorizer.requestAuthorization([&](bool granted) {
        answer = granted;
        ++answers;
    });
    const bool answered = runEventsUntil([&] { return answer.has_value(); });
    drainMainQueue();
    const std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(answered);
    EXPECT_EQ(*answer, GetParam().granted);
    EXPECT_EQ(answers, 1);
    const bool logged = log.find("Unlocking the motor tuning values was refused") != std::string::npos;
    EXPECT_EQ(logged, !GetParam().granted) << log;
    if (std::string(GetParam().status) != "crash" && !GetParam().granted) {
        EXPECT_NE(log.find("exited with status " + std::string(GetParam().status) + ": checker diagnostic"),
                  std::string::npos)
            << log;
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, PolkitAuthorizerExitTest,
                         ::testing::Values(ExitCase{"0", true}, ExitCase{"1", false}, ExitCase{"2", false},
                                           ExitCase{"3", false}, ExitCase{"127", false},
                                           ExitCase{"crash", false}),
                         [](const ::testing::TestParamInfo<ExitCase>& exitCase) {
                             return std::string(exitCase.param.status == std::string("crash") ? ""
                                                                                              : "status") +
                                    exitCase.param.status;
                         });

TEST_F(PolkitAuthorizerTest, AMissingCheckerRefuses) {
    PolkitAuthorizer authorizer(QString::fromStdString((folder / "no-such-checker").string()));
    std::optional<bool> answer;
    authorizer.requestAuthorization([&](bool granted) { answer = granted; });
    EXPECT_FALSE(answer.has_value()) << "the completion ran inside the request";
    ASSERT_TRUE(runEventsUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
}

TEST_F(PolkitAuthorizerTest, TheDefaultCheckerIsPkcheckFoundOnThePath) {
    writeStub("pkcheck");
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder.string() + ":" + savedPath).c_str(), 1);
    PolkitAuthorizer authorizer;
    std::optional<bool> answer;
    authorizer.requestAuthorization([&](bool granted) { answer = granted; });
    release("0");
    const bool answered = runEventsUntil([&] { return answer.has_value(); });
    ::setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(answered);
    EXPECT_TRUE(*answer);
    EXPECT_TRUE(stubStarted());
}

TEST_F(PolkitAuthorizerTest, ARequestWhileACheckRunsGetsTheAnswerOfThatCheck) {
    PolkitAuthorizer authorizer(QString::fromStdString(writeStub().string()));
    std::vector<bool> answers;
    authorizer.requestAuthorization([&](bool granted) { answers.push_back(granted); });
    ASSERT_TRUE(runEventsUntil([&] { return stubStarted(); }));
    authorizer.requestAuthorization([&](bool granted) { answers.push_back(granted); });
    release("0");
    ASSERT_TRUE(runEventsUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<bool>{true, true}));
    EXPECT_EQ(fileText(folder / "runs"), "run\n");

    // The next request runs a check of its own.
    fs::remove(folder / "arguments");
    std::optional<bool> again;
    authorizer.requestAuthorization([&](bool granted) { again = granted; });
    ASSERT_TRUE(runEventsUntil([&] { return again.has_value(); }));
    EXPECT_TRUE(*again);
    EXPECT_EQ(fileText(folder / "runs"), "run\nrun\n");
}

TEST_F(PolkitAuthorizerTest, DestroyedWhileTheCheckerWaitsItEndsTheCheckerAndDropsTheCompletion) {
    auto authorizer = std::make_unique<PolkitAuthorizer>(QString::fromStdString(writeStub().string()));
    auto called = std::make_shared<bool>(false);
    authorizer->requestAuthorization([called](bool) { *called = true; });
    ASSERT_TRUE(runEventsUntil([&] { return stubStarted(); }));
    const pid_t checker = std::stoi(fileText(folder / "pid"));

    authorizer.reset();
    EXPECT_EQ(::kill(checker, 0), -1) << "the checker still runs";
    EXPECT_EQ(errno, ESRCH);
    drainMainQueue();
    EXPECT_FALSE(*called);
}

TEST_F(PolkitAuthorizerTest, ACompletionMayDestroyTheAuthorizer) {
    auto authorizer = std::make_unique<PolkitAuthorizer>(QString::fromStdString(writeStub().string()));
    release("0");
    std::vector<bool> answers;
    authorizer->requestAuthorization([&](bool granted) {
        answers.push_back(granted);
        authorizer.reset();
    });
    authorizer->requestAuthorization([&](bool granted) { answers.push_back(granted); });
    ASSERT_TRUE(runEventsUntil([&] { return !answers.empty(); }));
    drainMainQueue();
    // The second completion belonged to the destroyed authorizer: dropped.
    EXPECT_EQ(answers, std::vector<bool>{true});
}

// The installed polkit action: its id, its texts and who may unlock.
TEST(PolkitPolicyFileTest, DeclaresTheTuningActionForActiveAdministratorsOnly) {
    xmlDocPtr document = xmlReadFile(DOTFIELD_POLICY_FILE, nullptr, XML_PARSE_NONET);
    ASSERT_NE(document, nullptr) << "the policy file does not parse";
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> owner(document, &xmlFreeDoc);
    const auto name = [](xmlNodePtr node) { return std::string(reinterpret_cast<const char*>(node->name)); };
    const auto text = [](xmlNodePtr node) {
        std::unique_ptr<xmlChar, void (*)(void*)> content(xmlNodeGetContent(node), xmlFree);
        return std::string(reinterpret_cast<const char*>(content.get()));
    };
    const auto children = [&](xmlNodePtr parent, const std::string& childName) {
        std::vector<xmlNodePtr> found;
        for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && name(child) == childName) {
                found.push_back(child);
            }
        }
        return found;
    };
    const auto only = [&](xmlNodePtr parent, const std::string& childName) -> std::string {
        const auto found = children(parent, childName);
        return found.size() == 1 ? text(found.front()) : "<" + std::to_string(found.size()) + " elements>";
    };

    xmlNodePtr root = xmlDocGetRootElement(document);
    ASSERT_EQ(name(root), "policyconfig");
    const auto actions = children(root, "action");
    ASSERT_EQ(actions.size(), 1u);
    xmlNodePtr action = actions.front();
    std::unique_ptr<xmlChar, void (*)(void*)> id(xmlGetProp(action, BAD_CAST "id"), xmlFree);
    ASSERT_NE(id, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(id.get()), PolkitAuthorizer::actionIdentifier);
    EXPECT_EQ(only(action, "description"), "Unlock the motor tuning values");
    EXPECT_EQ(only(action, "message"), "Unlock the motor tuning values");
    const auto defaults = children(action, "defaults");
    ASSERT_EQ(defaults.size(), 1u);
    EXPECT_EQ(only(defaults.front(), "allow_any"), "no");
    EXPECT_EQ(only(defaults.front(), "allow_inactive"), "no");
    EXPECT_EQ(only(defaults.front(), "allow_active"), "auth_admin_keep");
}

} // namespace
} // namespace Dotfield::Platform
