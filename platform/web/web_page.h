#pragma once
// One laid-out HTML page: the litehtml document and the drawing, font,
// image and style-sheet services it asks of its host, over Cairo. Used by
// UIWebView only. Main thread only.
#include "platform/foundation/url.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class WebPage {
 public:
  struct Link {
    std::string text;     // the link's text, white space collapsed
    std::string address;  // the href resolved against the base; empty when it cannot be
    std::vector<CGRect> boxes;  // where it lies, in page coordinates
  };

  // Parses `html` (UTF-8); relative addresses resolve against `base`.
  WebPage(const std::string& html, std::optional<NSURL> base);
  ~WebPage();
  WebPage(const WebPage&) = delete;
  WebPage& operator=(const WebPage&) = delete;

  // Lays the page out for a viewport of `size` points; returns the width
  // the page needs (more than size.width when its content is wider).
  int layout(CGSize size);
  CGSize contentSize() const;
  // Draws the laid-out page into `context` at its current origin.
  void draw(CGContextRef context, CGRect clip) const;

  // The base address (changed by the page's <base href>), if any.
  const std::optional<NSURL>& base() const;
  const std::string& title() const;
  std::string text() const;
  std::vector<Link> links() const;
  // The link at a point of the page, if any.
  std::optional<Link> linkAt(CGPoint point) const;

  struct Host;  // the document container

 private:
  std::unique_ptr<Host> host_;
};

// Collapses runs of white space into one space and trims both ends.
std::string collapseWhiteSpace(const std::string& text);

}  // namespace platform
