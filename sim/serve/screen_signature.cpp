#include "sim/serve/screen_signature.h"

#include "platform/runloop/run_loop.h"
#include "platform/ui/window.h"

#include <algorithm>
#include <cstring>

namespace holdstill::sim::serve {

using namespace platform;

namespace {

class Fnv {
 public:
  template <class T>
  void add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (unsigned char b : bytes) hash_ = (hash_ ^ b) * 1099511628211ull;
  }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 14695981039346656037ull;
};

void addRect(Fnv& h, CGRect r) {
  h.add(r.origin.x), h.add(r.origin.y), h.add(r.size.width), h.add(r.size.height);
}

void addTree(Fnv& h, const UIView& view) {
  h.add(&view);
  h.add(view.isHidden());
  if (view.isHidden()) return;
  h.add(view.alpha());
  addRect(h, view.frame());
  addRect(h, view.bounds());
  const CGAffineTransform t = view.transform();
  h.add(t.a), h.add(t.b), h.add(t.c), h.add(t.d), h.add(t.tx), h.add(t.ty);
  h.add(view.needsDisplay());
  if (const auto& colour = view.backgroundColor()) {
    const auto c = colour->CGColor();
    h.add(c.red), h.add(c.green), h.add(c.blue), h.add(c.alpha);
  }
  h.add(view.subviews().size());
  for (const auto& sub : view.subviews()) addTree(h, *sub);
}

}  // namespace

std::optional<std::uint64_t> screenSignature() {
  const double now = RunLoop::main().now();
  const auto& blocks = UIView::committedAnimations();
  const bool turning = std::any_of(blocks.begin(), blocks.end(), [now](const UIViewAnimationRecord& block) {
    return block.transition != UIViewAnimationTransitionNone && block.committedAt + block.delay + block.duration > now;
  });
  if (turning) return std::nullopt;
  Fnv h;
  for (const auto& window : UIWindow::visibleWindows()) {
    h.add(window->windowLevel());
    addTree(h, *window);
  }
  return h.value();
}

}  // namespace holdstill::sim::serve
