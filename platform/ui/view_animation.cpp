// UIView's animation blocks. Changes inside a block take effect at once; the
// block is recorded and its did-stop step posted on the main run loop.
#include "platform/runloop/run_loop.h"
#include "platform/ui/view.h"
#include "platform/ui/view_transition.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {
namespace {

constexpr size_t kKeptRecords = 256;

struct OpenBlock {
  UIViewAnimationRecord record;
  CGImageRef before;  // the transition view's look when the flip was set
  void* context = nullptr;
  std::shared_ptr<void> delegate;
  UIViewAnimationDidStop didStop;
};

struct Flip {
  std::weak_ptr<UIView> view;
  double start, duration;
  CGImageRef before;
};

struct AnimationState {
  std::vector<OpenBlock> open;  // innermost last
  std::vector<UIViewAnimationRecord> committed;
  std::vector<Flip> flips;  // in flight or ahead
};

bool isFlip(UIViewAnimationTransition t) {
  return t == UIViewAnimationTransitionFlipFromLeft || t == UIViewAnimationTransitionFlipFromRight;
}

AnimationState& state() {
  static AnimationState s;
  return s;
}

OpenBlock* innermost() { return state().open.empty() ? nullptr : &state().open.back(); }

}  // namespace

void UIView::beginAnimations(const std::string& animationID, void* context) {
  OpenBlock block;
  block.record.animationID = animationID;
  block.context = context;
  state().open.push_back(std::move(block));
}

void UIView::commitAnimations() {
  if (state().open.empty()) return;
  OpenBlock block = std::move(state().open.back());
  state().open.pop_back();
  RunLoop& loop = RunLoop::main();
  block.record.committedAt = loop.now();
  auto& committed = state().committed;
  committed.push_back(block.record);
  if (committed.size() > kKeptRecords) committed.erase(committed.begin());
  if (block.before) {
    const double now = loop.now();
    std::erase_if(state().flips, [now](const Flip& f) {
      return f.view.expired() || f.start + f.duration <= now;
    });
    state().flips.push_back({block.record.transitionView, now + block.record.delay,
                             block.record.duration, std::move(block.before)});
  }
  if (!block.didStop) return;
  const double end = loop.now() + block.record.delay + block.record.duration;
  loop.postAt(end, [didStop = std::move(block.didStop), delegate = std::move(block.delegate),
                    id = block.record.animationID, context = block.context] {
    didStop(id, true, context);
  });
}

void UIView::setAnimationDuration(double seconds) {
  if (auto* b = innermost()) b->record.duration = seconds > 0 ? seconds : 0;
}
void UIView::setAnimationDelay(double seconds) {
  if (auto* b = innermost()) b->record.delay = seconds > 0 ? seconds : 0;
}
void UIView::setAnimationCurve(UIViewAnimationCurve curve) {
  if (auto* b = innermost()) b->record.curve = curve;
}
void UIView::setAnimationDelegate(std::shared_ptr<void> delegate) {
  if (auto* b = innermost()) b->delegate = std::move(delegate);
}
void UIView::setAnimationDidStopSelector(UIViewAnimationDidStop didStop) {
  if (auto* b = innermost()) b->didStop = std::move(didStop);
}
void UIView::setAnimationTransition(UIViewAnimationTransition transition,
                                    const std::shared_ptr<UIView>& view, bool cache) {
  if (auto* b = innermost()) {
    b->record.transition = transition;
    b->record.transitionView = view;
    b->record.transitionCache = cache;
    b->before = isFlip(transition) && view ? detail::renderedLook(*view) : nullptr;
  }
}

bool UIView::isInAnimationBlock() { return !state().open.empty(); }

const std::vector<UIViewAnimationRecord>& UIView::committedAnimations() {
  return state().committed;
}

void UIView::resetAnimations() {
  state().open.clear();
  state().committed.clear();
  state().flips.clear();
}

namespace detail {

std::optional<FlipFrame> flipInFlight(const UIView& view) {
  if (state().flips.empty()) return std::nullopt;
  const double now = RunLoop::main().now();
  // The latest flip on the view decides.
  for (auto it = state().flips.rbegin(); it != state().flips.rend(); ++it) {
    if (it->view.lock().get() != &view) continue;
    if (now >= it->start + it->duration) return std::nullopt;
    const double p = it->duration > 0 ? std::max(0.0, (now - it->start) / it->duration) : 1;
    const double squeeze = std::max(0.02, std::fabs(std::cos(std::numbers::pi * p)));
    return FlipFrame{p, squeeze, p < 0.5 ? it->before : nullptr};
  }
  return std::nullopt;
}

}  // namespace detail

void UIView::noteAnimatedChange(const char* property) {
  if (auto* b = innermost(); b && !weak_from_this().expired())
    b->record.changes.push_back({weak_from_this(), property});
}

}  // namespace platform
