// The drawing and key rules both front-ends take from the core: where a dotted
// line's dots fall, and where a key passed to the host goes.
#include <gtest/gtest.h>

#include "platform/canvas.h"
#include "platform/keys.h"

namespace platform {
namespace {

TEST(HostRulesTest, DotsLieOnEvenSumsSoCrossingLinesMeet) {
  struct {
    int From, Across, First;
  } cases[] = {{0, 0, 0}, {1, 0, 2}, {0, 1, 1}, {3, 4, 4}, {-3, 0, -2}, {-4, -1, -3}, {7, -7, 7}};
  for (const auto& c : cases) EXPECT_EQ(FirstDot(c.From, c.Across), c.First) << c.From << "," << c.Across;
  // A vertical line at x lights (x, y) exactly when a horizontal line at y
  // through x lights it, wherever either starts.
  for (int x = -3; x <= 3; ++x)
    for (int y = -3; y <= 3; ++y) {
      const bool onVertical = (y - FirstDot(-4, x)) % 2 == 0;
      const bool onHorizontal = (x - FirstDot(-5, y)) % 2 == 0;
      EXPECT_EQ(onVertical, onHorizontal) << x << "," << y;
      EXPECT_LE(FirstDot(x, y) - x, 1);
      EXPECT_GE(FirstDot(x, y), x);
    }
}

TEST(HostRulesTest, EscClosesTheHostF7IsItsFindOthersGoToTheParent) {
  using R = THostKeyRoute;
  struct {
    TKeyEvent Key;
    THostKey Routed;
  } cases[] = {
      {{vk::Escape}, {R::hrCloseWindow, {vk::Escape}}},
      {{vk::Escape, true}, {R::hrCloseWindow, {vk::Escape, true}}},
      {{vk::F7}, {R::hrPostToWindow, {vk::Char('F')}}},
      {{vk::F7, true, true, false}, {R::hrPostToWindow, {vk::Char('F'), true, true, false}}},
      {{vk::F3, true}, {R::hrPostToParent, {vk::F3, true}}},
      {{vk::Char('N')}, {R::hrPostToParent, {vk::Char('N')}}},
      {{vk::Char('F'), false, true}, {R::hrPostToParent, {vk::Char('F'), false, true}}},
  };
  for (const auto& c : cases) EXPECT_EQ(RouteHostKey(c.Key), c.Routed) << "key " << c.Key.Key;
}

}  // namespace
}  // namespace platform
