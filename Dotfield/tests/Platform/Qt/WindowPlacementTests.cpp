// Where windows go over a few made-up desktops: one 1920 x 1200 screen with a
// 30-pixel panel at the bottom, and that screen with a smaller one to its right.

#include <QList>
#include <QRect>

#include <gtest/gtest.h>

#include "Dotfield/Platform/Qt/WindowPlacement.hpp"

using Dotfield::broughtOnScreen;
using Dotfield::placeBesideMainWindow;

namespace {

const QRect wide(0, 0, 1920, 1170);
const QRect second(1920, 0, 1280, 994);

struct BesideCase {
    const char* what;
    QSize frame;
    QRect mainFrame;
    QList<QRect> others;
    QList<QRect> areas;
    QRect expected;
};

} // namespace

TEST(WindowPlacement, ANewWindowGoesBesideTheMainWindowAndTheOthersInsideTheScreen) {
    const QRect main(0, 0, 1180, 510);
    const QRect camera(1188, 0, 700, 600);
    const BesideCase cases[] = {
        {"right of the main window", {700, 600}, main, {}, {wide}, camera},
        {"below it when the right is taken", {600, 450}, main, {camera}, {wide}, QRect(0, 518, 600, 450)},
        {"then beside the others",
         {600, 450},
         main,
         {camera, QRect(0, 518, 600, 450)},
         {wide},
         QRect(1188, 608, 600, 450)},
        {"below it when too wide for its right",
         {600, 400},
         QRect(0, 0, 1500, 500),
         {},
         {wide},
         QRect(0, 508, 600, 400)},
        {"on the main window's screen",
         {300, 200},
         QRect(2000, 100, 1000, 500),
         {},
         {wide, second},
         QRect(2000, 608, 300, 200)},
        {"crowded: off the main window, covering the others least",
         {600, 400},
         QRect(0, 0, 1000, 600),
         {QRect(1008, 0, 900, 1170), QRect(0, 608, 900, 500)},
         {wide},
         QRect(908, 608, 600, 400)},
        {"no room: inside the screen, right-aligned",
         {400, 300},
         QRect(0, 0, 800, 600),
         {},
         {QRect(0, 0, 800, 600)},
         QRect(400, 0, 400, 300)},
        {"larger than the screen: its top left",
         {1000, 700},
         QRect(0, 0, 400, 300),
         {},
         {QRect(0, 0, 800, 600)},
         QRect(0, 0, 1000, 700)},
        {"no screen at all: right of the main window", {300, 200}, main, {}, {}, QRect(1188, 0, 300, 200)},
    };
    for (const auto& c : cases) {
        const QRect placed = placeBesideMainWindow(c.frame, c.mainFrame, c.others, c.areas);
        EXPECT_EQ(placed, c.expected) << c.what;
        if (!c.areas.isEmpty() && c.frame.width() <= 800) {
            EXPECT_TRUE(c.areas.front().contains(placed) || c.areas.back().contains(placed)) << c.what;
        }
    }
}

TEST(WindowPlacement, APositionOffEveryScreenComesBackOntoTheNearest) {
    const struct {
        const char* what;
        QRect frame;
        QList<QRect> areas;
        QRect expected;
    } cases[] = {
        {"partly on screen: left alone", QRect(1800, 1000, 400, 300), {wide}, QRect(1800, 1000, 400, 300)},
        {"its screen unplugged: back at the right edge",
         QRect(2500, 100, 400, 300),
         {wide},
         QRect(1520, 100, 400, 300)},
        {"above every screen", QRect(100, -900, 400, 300), {wide, second}, QRect(100, 0, 400, 300)},
        {"nearer the second screen", QRect(3500, 2000, 400, 300), {wide, second}, QRect(2800, 694, 400, 300)},
        {"no screens: unchanged", QRect(-5000, 0, 400, 300), {}, QRect(-5000, 0, 400, 300)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(broughtOnScreen(c.frame, c.areas), c.expected) << c.what;
    }
}
