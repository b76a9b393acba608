#include "platform/web/web_page.h"

#include "platform/device/device.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/utf8.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"
#include "platform/web/default_style_sheet.h"

#include <litehtml/litehtml.h>

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numbers>

namespace platform {
namespace {

struct Font {
  std::string family;
  double size;
  bool bold, italic, underline, strike;
  double ascent;
};

// The first family of a CSS font list, without quotes; generic families
// become faces the system's font matching knows.
std::string firstFamily(const std::string& list) {
  std::string family = list.substr(0, list.find(','));
  family.erase(std::remove_if(family.begin(), family.end(),
                              [](char c) { return c == '"' || c == '\''; }),
               family.end());
  family = collapseWhiteSpace(family);
  if (family.empty() || family == "sans-serif") return "Helvetica";
  return family;
}

void selectFont(cairo_t* cr, const Font& font) {
  cairo_select_font_face(cr, font.family.c_str(),
                         font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.size);
}

// A scratch context for measuring text.
cairo_t* measuring() {
  struct Scratch {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    ~Scratch() {
      cairo_destroy(cr);
      cairo_surface_destroy(surface);
    }
  };
  thread_local Scratch scratch;
  return scratch.cr;
}

// Text Cairo can take: bad UTF-8 sequences and NULs become U+FFFD.
std::string drawable(const char* text) {
  std::string out;
  utf8::forEachCodePoint(std::string_view(text), [&](char32_t c) {
    utf8::append(out, c == 0 ? 0xFFFD : c);
  });
  return out;
}

void setColor(cairo_t* cr, const litehtml::web_color& c) {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

CGRect toRect(const litehtml::position& p) {
  return CGRectMake(static_cast<CGFloat>(p.x), static_cast<CGFloat>(p.y),
                    static_cast<CGFloat>(p.width), static_cast<CGFloat>(p.height));
}

}  // namespace

std::string collapseWhiteSpace(const std::string& text) {
  std::string out;
  bool space = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      space = !out.empty();
    } else {
      if (space) out += ' ';
      space = false;
      out += c;
    }
  }
  return out;
}

struct WebPage::Host final : litehtml::document_container {
  std::optional<NSURL> base;
  std::string title;
  litehtml::context context;
  litehtml::document::ptr document;
  std::vector<Font> fonts;
  std::map<std::string, std::shared_ptr<UIImage>> images;  // by resolved address
  CGSize viewport = CGSize{};

  // `address` resolved against `relativeTo` (empty: the page's base).
  std::optional<NSURL> resolve(const std::string& address, const char* relativeTo) const {
    if (relativeTo && *relativeTo) {
      if (auto from = NSURL::URLWithString(relativeTo)) return NSURL::URLWithString(address, *from);
    }
    if (base) return NSURL::URLWithString(address, *base);
    return NSURL::URLWithString(address);
  }

  std::shared_ptr<UIImage> image(const char* src, const char* baseurl) const {
    auto url = resolve(src ? src : "", baseurl);
    if (!url) return nullptr;
    auto found = images.find(url->absoluteStringWithoutFragment());
    return found == images.end() ? nullptr : found->second;
  }

  // ---- document_container
  litehtml::uint_ptr create_font(const char* faceName, int size, int weight,
                                 litehtml::font_style italic, unsigned int decoration,
                                 litehtml::font_metrics* fm) override {
    Font font{firstFamily(faceName ? faceName : ""), static_cast<double>(std::max(size, 1)),
              weight >= 600, italic == litehtml::fontStyleItalic,
              (decoration & litehtml::font_decoration_underline) != 0,
              (decoration & litehtml::font_decoration_linethrough) != 0, 0};
    cairo_t* cr = measuring();
    selectFont(cr, font);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t x;
    cairo_text_extents(cr, "x", &x);
    font.ascent = fe.ascent;
    if (fm) {
      fm->ascent = static_cast<int>(std::ceil(fe.ascent));
      fm->descent = static_cast<int>(std::ceil(fe.descent));
      fm->height = static_cast<int>(std::ceil(fe.ascent + fe.descent));
      fm->x_height = static_cast<int>(std::ceil(x.height));
      fm->draw_spaces = font.underline || font.strike;
    }
    fonts.push_back(std::move(font));
    return fonts.size();
  }
  void delete_font(litehtml::uint_ptr) override {}  // kept until the page goes
  const Font* font(litehtml::uint_ptr handle) const {
    return handle >= 1 && handle <= fonts.size() ? &fonts[handle - 1] : nullptr;
  }
  int text_width(const char* text, litehtml::uint_ptr handle) override {
    const Font* f = font(handle);
    if (!f || !text) return 0;
    cairo_t* cr = measuring();
    selectFont(cr, *f);
    cairo_text_extents_t e;
    cairo_text_extents(cr, drawable(text).c_str(), &e);
    return static_cast<int>(std::ceil(e.x_advance));
  }
  void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr handle,
                 litehtml::web_color color, const litehtml::position& pos) override {
    const Font* f = font(handle);
    auto* context = reinterpret_cast<CGContext*>(hdc);
    if (!f || !text || !context) return;
    cairo_t* cr = context->cairo();
    cairo_save(cr);
    selectFont(cr, *f);
    setColor(cr, color);
    const double baseline = pos.y + f->ascent;
    cairo_move_to(cr, pos.x, baseline);
    const std::string shown = drawable(text);
    cairo_show_text(cr, shown.c_str());
    if (f->underline || f->strike) {
      cairo_text_extents_t e;
      cairo_text_extents(cr, shown.c_str(), &e);
      const double thickness = std::max(1.0, f->size / 14);
      const double y = f->underline ? baseline + thickness + 0.5 : baseline - f->ascent / 3;
      cairo_rectangle(cr, pos.x, y, e.x_advance, thickness);
      cairo_fill(cr);
    }
    cairo_restore(cr);
  }
  int pt_to_px(int pt) const override { return pt * 96 / 72; }
  int get_default_font_size() const override { return 16; }
  const char* get_default_font_name() const override { return "Helvetica"; }
  void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override {
    auto* context = reinterpret_cast<CGContext*>(hdc);
    if (!context) return;
    cairo_t* cr = context->cairo();
    cairo_save(cr);
    setColor(cr, marker.color);
    const litehtml::position& p = marker.pos;
    const double r = std::min(p.width, p.height) / 2.0;
    switch (marker.marker_type) {
      case litehtml::list_style_type_disc:
        cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, r, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
        break;
      case litehtml::list_style_type_circle:
        cairo_set_line_width(cr, 1);
        cairo_arc(cr, p.x + p.width / 2.0, p.y + p.height / 2.0, std::max(r - 0.5, 0.5), 0,
                  2 * std::numbers::pi);
        cairo_stroke(cr);
        break;
      case litehtml::list_style_type_none:
        break;
      case litehtml::list_style_type_decimal: {
        const Font* f = font(marker.font);
        if (!f) break;
        const std::string number = std::to_string(marker.index) + ".";
        selectFont(cr, *f);
        cairo_text_extents_t e;
        cairo_text_extents(cr, number.c_str(), &e);
        cairo_move_to(cr, p.x + p.width - e.x_advance, p.y + p.height);
        cairo_show_text(cr, number.c_str());
        break;
      }
      default:
        cairo_rectangle(cr, p.x, p.y, p.width, p.height);
        cairo_fill(cr);
    }
    cairo_restore(cr);
  }
  void load_image(const char* src, const char* baseurl, bool) override {
    auto url = resolve(src ? src : "", baseurl);
    if (!url) return;
    const std::string key = url->absoluteStringWithoutFragment();
    if (images.count(key)) return;
    // Only files on the device load: the simulated phone has no network.
    images[key] = url->isFileURL() ? UIImage::imageWithContentsOfFile(url->path()) : nullptr;
  }
  void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override {
    auto picture = image(src, baseurl);
    const CGSize s = picture ? picture->size() : CGSize{};
    sz.width = static_cast<int>(s.width);
    sz.height = static_cast<int>(s.height);
  }
  void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override {
    auto* context = reinterpret_cast<CGContext*>(hdc);
    if (!context) return;
    cairo_t* cr = context->cairo();
    cairo_save(cr);
    cairo_rectangle(cr, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height);
    cairo_clip(cr);
    if (bg.color.alpha > 0) {
      setColor(cr, bg.color);
      cairo_paint(cr);
    }
    if (!bg.image.empty()) {
      if (auto picture = image(bg.image.c_str(), bg.baseurl.c_str())) {
        const double w = bg.image_size.width, h = bg.image_size.height;
        if (w > 0 && h > 0) {
          UIGraphicsPushContext(context);
          const bool repeatX = bg.repeat == litehtml::background_repeat_repeat ||
                               bg.repeat == litehtml::background_repeat_repeat_x;
          const bool repeatY = bg.repeat == litehtml::background_repeat_repeat ||
                               bg.repeat == litehtml::background_repeat_repeat_y;
          const auto& box = bg.clip_box;
          double x0 = bg.position_x, y0 = bg.position_y;
          if (repeatX) x0 -= std::ceil((x0 - box.x) / w) * w;
          if (repeatY) y0 -= std::ceil((y0 - box.y) / h) * h;
          for (double y = y0; y < box.y + box.height; y += h) {
            for (double x = x0; x < box.x + box.width; x += w) {
              picture->drawInRect(CGRectMake(static_cast<CGFloat>(x), static_cast<CGFloat>(y),
                                             static_cast<CGFloat>(w), static_cast<CGFloat>(h)));
              if (!repeatX) break;
            }
            if (!repeatY) break;
          }
          UIGraphicsPopContext();
        }
      }
    }
    cairo_restore(cr);
  }
  void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                    const litehtml::position& p, bool) override {
    auto* context = reinterpret_cast<CGContext*>(hdc);
    if (!context) return;
    cairo_t* cr = context->cairo();
    auto side = [&](const litehtml::border& b, double x, double y, double w, double h) {
      if (b.width <= 0 || b.style == litehtml::border_style_none ||
          b.style == litehtml::border_style_hidden)
        return;
      setColor(cr, b.color);
      cairo_rectangle(cr, x, y, w, h);
      cairo_fill(cr);
    };
    cairo_save(cr);
    side(borders.top, p.x, p.y, p.width, borders.top.width);
    side(borders.bottom, p.x, p.y + p.height - borders.bottom.width, p.width, borders.bottom.width);
    side(borders.left, p.x, p.y, borders.left.width, p.height);
    side(borders.right, p.x + p.width - borders.right.width, p.y, borders.right.width, p.height);
    cairo_restore(cr);
  }
  void set_caption(const char* caption) override { title = caption ? caption : ""; }
  void set_base_url(const char* baseURL) override {
    if (!baseURL) return;
    if (auto url = base ? NSURL::URLWithString(baseURL, *base) : NSURL::URLWithString(baseURL))
      base = url;
  }
  void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
  void on_anchor_click(const char*, const litehtml::element::ptr&) override {}
  void set_cursor(const char*) override {}
  void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override {
    auto each = [&](auto fn) {
      for (char& c : text) c = static_cast<char>(fn(static_cast<unsigned char>(c)));
    };
    if (tt == litehtml::text_transform_uppercase) each(::toupper);
    if (tt == litehtml::text_transform_lowercase) each(::tolower);
    if (tt == litehtml::text_transform_capitalize && !text.empty())
      text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  }
  void import_css(litehtml::tstring& text, const litehtml::tstring& address,
                  litehtml::tstring& baseurl) override {
    auto url = resolve(address, baseurl.c_str());
    if (!url || !url->isFileURL()) return;
    auto bytes = dataWithContentsOfFile(url->path());
    if (!bytes) return;
    std::string css(bytes->begin(), bytes->end());
    if (!isValidUtf8(css)) return;
    text = std::move(css);
    baseurl = url->absoluteString();
  }
  void set_clip(const litehtml::position&, const litehtml::border_radiuses&, bool, bool) override {}
  void del_clip() override {}
  void get_client_rect(litehtml::position& client) const override {
    client = litehtml::position(0, 0, static_cast<int>(viewport.width),
                                static_cast<int>(viewport.height));
  }
  std::shared_ptr<litehtml::element> create_element(const char*, const litehtml::string_map&,
                                                    const std::shared_ptr<litehtml::document>&) override {
    return nullptr;
  }
  void get_media_features(litehtml::media_features& media) const override {
    media.type = litehtml::media_type_screen;
    media.width = static_cast<int>(viewport.width);
    media.height = static_cast<int>(viewport.height);
    media.device_width = 320;
    media.device_height = 480;
    media.color = 8;
    media.color_index = 256;
    media.monochrome = 0;
    media.resolution = 163;
  }
  void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override {
    std::string preferred = "en";
    if (auto device = Device::current()) preferred = device->profile().preferredLanguage;
    const auto dash = preferred.find_first_of("-_");
    language = preferred.substr(0, dash);
    culture = dash == std::string::npos ? "" : preferred.substr(dash + 1);
  }
};

WebPage::WebPage(const std::string& html, std::optional<NSURL> base)
    : host_(std::make_unique<Host>()) {
  host_->base = std::move(base);
  host_->context.load_master_stylesheet(kDefaultStyleSheet);
  host_->document = litehtml::document::createFromUTF8(html.c_str(), host_.get(), &host_->context);
}

WebPage::~WebPage() {
  // The document refers to the host while it goes.
  if (host_) host_->document.reset();
}

int WebPage::layout(CGSize size) {
  host_->viewport = size;
  if (!host_->document) return 0;
  const int width = std::max(1, static_cast<int>(size.width));
  host_->document->render(width);
  return std::max(host_->document->width(), width);
}

CGSize WebPage::contentSize() const {
  if (!host_->document) return CGSize{};
  return CGSizeMake(static_cast<CGFloat>(host_->document->width()),
                    static_cast<CGFloat>(host_->document->height()));
}

void WebPage::draw(CGContextRef context, CGRect clip) const {
  if (!host_->document || !context) return;
  const litehtml::position area(static_cast<int>(std::floor(clip.origin.x)),
                                static_cast<int>(std::floor(clip.origin.y)),
                                static_cast<int>(std::ceil(clip.size.width)) + 1,
                                static_cast<int>(std::ceil(clip.size.height)) + 1);
  host_->document->draw(reinterpret_cast<litehtml::uint_ptr>(context), 0, 0, &area);
}

const std::optional<NSURL>& WebPage::base() const { return host_->base; }

const std::string& WebPage::title() const { return host_->title; }

namespace {

// Where an inline element lies, in page coordinates: its leaves (words,
// spaces, pictures) joined into one rectangle per line. (litehtml places an
// inline element's children in its block's coordinates, so the leaves'
// placements are the reliable ones.)
std::vector<CGRect> lineBoxes(const litehtml::element::ptr& el) {
  std::vector<litehtml::element::ptr> leaves, pending{el};
  while (!pending.empty()) {
    auto e = pending.back();
    pending.pop_back();
    if (!e || e->get_display() == litehtml::display_none) continue;
    if (e->get_children_count() == 0) leaves.push_back(e);
    for (int i = static_cast<int>(e->get_children_count()) - 1; i >= 0; --i)
      pending.push_back(e->get_child(i));
  }
  std::vector<CGRect> lines;
  for (const auto& leaf : leaves) {
    const CGRect r = toRect(leaf->get_placement());
    if (r.size.width <= 0 && r.size.height <= 0) continue;
    if (!lines.empty() && lines.back().origin.y == r.origin.y) {
      CGRect& line = lines.back();
      const CGFloat right = std::max(CGRectGetMaxX(line), CGRectGetMaxX(r));
      const CGFloat bottom = std::max(CGRectGetMaxY(line), CGRectGetMaxY(r));
      line.origin.x = std::min(line.origin.x, r.origin.x);
      line.size = CGSizeMake(right - line.origin.x, bottom - line.origin.y);
    } else {
      lines.push_back(r);
    }
  }
  return lines;
}

// The text of the shown elements, blocks set apart by spaces.
void gatherText(const litehtml::element::ptr& el, std::string& out) {
  if (!el || el->get_display() == litehtml::display_none) return;
  const size_t children = el->get_children_count();
  if (children == 0) {
    el->get_text(out);
    return;
  }
  const bool block = el->get_display() != litehtml::display_inline;
  if (block) out += ' ';
  for (size_t i = 0; i < children; ++i) gatherText(el->get_child(static_cast<int>(i)), out);
  if (block) out += ' ';
}

}  // namespace

std::string WebPage::text() const {
  if (!host_->document) return {};
  std::string text;
  gatherText(host_->document->root(), text);
  return collapseWhiteSpace(text);
}

std::vector<WebPage::Link> WebPage::links() const {
  std::vector<Link> out;
  if (!host_->document) return out;
  std::vector<litehtml::element::ptr> pending{host_->document->root()};
  // Depth first, in document order.
  while (!pending.empty()) {
    auto el = pending.back();
    pending.pop_back();
    if (!el) continue;
    const char* tag = el->get_tagName();
    const char* href = el->get_attr("href");
    if (tag && std::string_view(tag) == "a" && href) {
      Link link;
      litehtml::tstring text;
      el->get_text(text);
      link.text = collapseWhiteSpace(text);
      if (auto url = host_->resolve(href, nullptr)) link.address = url->absoluteString();
      link.boxes = lineBoxes(el);
      out.push_back(std::move(link));
    }
    for (int i = static_cast<int>(el->get_children_count()) - 1; i >= 0; --i)
      pending.push_back(el->get_child(i));
  }
  return out;
}

std::optional<WebPage::Link> WebPage::linkAt(CGPoint point) const {
  for (auto& link : links())
    for (const auto& box : link.boxes)
      if (CGRectContainsPoint(box, point)) return link;
  return std::nullopt;
}

}  // namespace platform
