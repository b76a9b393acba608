#pragma once
// UIView: a rectangle in a retained tree of views, drawn back to front.
//
// Views are always held by std::shared_ptr (make them with std::make_shared);
// a view owns its subviews, and the link to its superview does not own.
// Geometry is in points: `frame` in the superview's coordinates, `bounds` in
// the view's own. The autoresizing mask is kept but not acted on.
//
// Drawing: a view's drawRect output is kept and drawn again until
// setNeedsDisplay asks for a new drawing (or the view's size changes).
// Hit-testing and rendering ignore `transform` except that rendering scales
// and moves the view about its centre. While a flip transition set on a view
// runs, renders show the view turning (see view_transition.h).
//
// Animation blocks (beginAnimations ... commitAnimations) apply every change
// at once; the block is recorded, and its did-stop step runs on the main run
// loop once its delay and duration have passed.
//
// Main thread only.
#include "platform/graphics/affine_transform.h"
#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class UIView;
class UIViewController;
class UIWindow;
namespace detail {
CGImageRef renderedLook(UIView& view);
}

enum UIViewAutoresizing : unsigned {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
  UIViewAutoresizingFlexibleWidth = 1 << 1,
  UIViewAutoresizingFlexibleRightMargin = 1 << 2,
  UIViewAutoresizingFlexibleTopMargin = 1 << 3,
  UIViewAutoresizingFlexibleHeight = 1 << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum UIViewAnimationCurve {
  UIViewAnimationCurveEaseInOut = 0,
  UIViewAnimationCurveEaseIn = 1,
  UIViewAnimationCurveEaseOut = 2,
  UIViewAnimationCurveLinear = 3,
};

enum UIViewAnimationTransition {
  UIViewAnimationTransitionNone = 0,
  UIViewAnimationTransitionFlipFromLeft = 1,
  UIViewAnimationTransitionFlipFromRight = 2,
  UIViewAnimationTransitionCurlUp = 3,
  UIViewAnimationTransitionCurlDown = 4,
};

enum class UITouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen.
struct UITouch {
  UITouchPhase phase = UITouchPhase::Began;
  CGPoint windowLocation;      // in the window's coordinates
  std::weak_ptr<UIView> view;  // the view the touch began in
  int tapCount = 1;
  // The location in `view`'s coordinates (window coordinates for null).
  CGPoint locationInView(const UIView* view) const;
};

struct UIEvent {
  double timestamp = 0;  // run-loop time
  std::vector<UITouch> touches;
};

// Called when an animation block has run: (animation ID, finished, context).
using UIViewAnimationDidStop = std::function<void(const std::string&, bool, void*)>;

// A committed animation block, as recorded for tests and scenarios.
struct UIViewAnimationRecord {
  std::string animationID;
  double duration = 0.2;
  double delay = 0;
  UIViewAnimationCurve curve = UIViewAnimationCurveEaseInOut;
  UIViewAnimationTransition transition = UIViewAnimationTransitionNone;
  std::weak_ptr<UIView> transitionView;
  bool transitionCache = false;
  double committedAt = 0;  // run-loop time of commitAnimations
  struct Change {
    std::weak_ptr<UIView> view;
    std::string property;  // "frame", "bounds", "center", "alpha", "transform", "backgroundColor"
  };
  std::vector<Change> changes;
};

class UIView : public std::enable_shared_from_this<UIView> {
 public:
  explicit UIView(CGRect frame = CGRectZero);  // initWithFrame:
  virtual ~UIView();
  UIView(const UIView&) = delete;
  UIView& operator=(const UIView&) = delete;

  // The platform class name (object_getClassName); subclasses override.
  virtual const char* className() const { return "UIView"; }

  // ---- geometry
  CGRect frame() const;
  void setFrame(CGRect frame);
  CGRect bounds() const { return bounds_; }
  CGPoint center() const { return center_; }
  CGAffineTransform transform() const { return transform_; }
  void setTransform(CGAffineTransform transform);

  // ---- appearance
  CGFloat alpha() const { return alpha_; }
  void setAlpha(CGFloat alpha);  // clamped to [0, 1]
  bool isHidden() const { return hidden_; }
  virtual void setHidden(bool hidden);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // No colour (the default) draws no background.
  const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<UIColor> color);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }

  // ---- the tree
  std::shared_ptr<UIView> superview() const { return superview_.lock(); }
  // Back to front.
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  // The window at the root of this view's tree, or null.
  std::shared_ptr<UIWindow> window() const;
  // This view or the first descendant (depth first, back to front) with the tag.
  std::shared_ptr<UIView> viewWithTag(int tag);
  bool isDescendantOfView(const UIView* view) const;

  // Adds `view` in front of the other subviews, taking it from its previous
  // superview. Adding a view to itself or to one of its descendants is ignored.
  void addSubview(const std::shared_ptr<UIView>& view);
  void insertSubviewAtIndex(const std::shared_ptr<UIView>& view, size_t index);
  void removeFromSuperview();
  // Ignores a view that is not a subview of this one.
  void bringSubviewToFront(const std::shared_ptr<UIView>& view);

  // ---- touches
  // Whether `point` (in this view's coordinates) is inside: bounds contain it.
  virtual bool pointInside(CGPoint point, const UIEvent* event);
  // The frontmost visible, interactive descendant containing `point`, or this
  // view, or null. Hidden views, views with interaction off and views with
  // alpha below 0.01 are skipped along with their subviews.
  virtual std::shared_ptr<UIView> hitTest(CGPoint point, const UIEvent* event);
  // The default handlers pass the touches on to the superview.
  virtual void touchesBegan(const std::vector<UITouch>& touches, const UIEvent& event);
  virtual void touchesMoved(const std::vector<UITouch>& touches, const UIEvent& event);
  virtual void touchesEnded(const std::vector<UITouch>& touches, const UIEvent& event);
  virtual void touchesCancelled(const std::vector<UITouch>& touches, const UIEvent& event);

  CGPoint convertPointToView(CGPoint point, const UIView* view) const;    // null: the window
  CGPoint convertPointFromView(CGPoint point, const UIView* view) const;  // null: the window

  // ---- drawing
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  // Draws the view's content into UIGraphicsGetCurrentContext(), in bounds
  // coordinates. The default draws nothing.
  virtual void drawRect(CGRect rect);
  // Renders this view and its subviews into `context`, whose current user
  // space is taken as this view's own (bounds) coordinates. Hidden views and
  // views of alpha 0 draw nothing.
  void renderInContext(CGContextRef context);

  // ---- hooks
  virtual void layoutSubviews() {}  // after the size changes
  virtual void didMoveToSuperview() {}
  virtual void didMoveToWindow() {}

  // The controller whose view this is (set by UIViewController).
  std::shared_ptr<UIViewController> viewController() const { return viewController_.lock(); }
  void setViewController(const std::shared_ptr<UIViewController>& controller);

  // ---- animation blocks (process-wide; main thread)
  static void beginAnimations(const std::string& animationID = "", void* context = nullptr);
  static void commitAnimations();
  static void setAnimationDuration(double seconds);
  static void setAnimationDelay(double seconds);
  static void setAnimationCurve(UIViewAnimationCurve curve);
  // The delegate is kept alive until the did-stop step has run.
  static void setAnimationDelegate(std::shared_ptr<void> delegate);
  static void setAnimationDidStopSelector(UIViewAnimationDidStop didStop);
  static void setAnimationTransition(UIViewAnimationTransition transition,
                                     const std::shared_ptr<UIView>& view, bool cache);
  static bool isInAnimationBlock();
  // The blocks committed so far, oldest first (the latest 256 are kept).
  static const std::vector<UIViewAnimationRecord>& committedAnimations();
  // Forgets the recorded blocks and any block left open.
  static void resetAnimations();

 protected:
  // Records an animatable property change into the open block, if any.
  void noteAnimatedChange(const char* property);
  // Tells the views of `root`'s tree, and the controllers whose views they
  // are, that the tree entered or left the screen (a visible window).
  static void screenPresenceChanged(UIView& root, bool onScreen, bool wasOnScreen);

 private:
  friend CGImageRef detail::renderedLook(UIView& view);
  void renderTree(cairo_t* cr);
  void paintContent(cairo_t* cr);
  void attach(const std::shared_ptr<UIView>& view, size_t index);
  void detachFromSuperview();
  void sizeChanged(CGSize before);
  CGPoint toSuperview(CGPoint p) const;
  CGPoint fromSuperview(CGPoint p) const;

  CGRect bounds_;
  CGPoint center_;
  CGAffineTransform transform_;
  CGFloat alpha_ = 1;
  bool hidden_ = false;
  int tag_ = 0;
  std::optional<UIColor> backgroundColor_;
  bool opaque_ = true;
  bool userInteractionEnabled_ = true;
  unsigned autoresizingMask_ = UIViewAutoresizingNone;
  bool autoresizesSubviews_ = true;

  std::weak_ptr<UIView> superview_;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::weak_ptr<UIViewController> viewController_;

  bool needsDisplay_ = true;
  std::unique_ptr<CGContext> content_;  // the last drawing; null when empty
  CGSize contentSize_;
};

// The platform class name of a view; "nil" for null.
const char* object_getClassName(const UIView* view);
inline const char* object_getClassName(const std::shared_ptr<UIView>& view) {
  return object_getClassName(view.get());
}

}  // namespace platform
