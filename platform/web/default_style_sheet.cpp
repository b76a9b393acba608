#include "platform/web/default_style_sheet.h"

namespace platform {

const char* const kDefaultStyleSheet = R"CSS(
html { display: block; }
head, style, script, title, meta, link, base { display: none; }
body { display: block; margin: 8px; }
div, p, center, blockquote, address, header, footer, section, article, nav, main, aside,
form, pre, dl, dt, dd, hr, figure, figcaption { display: block; }
p, dl, blockquote, pre, figure { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
center { text-align: center; }
pre { white-space: pre; font-family: monospace; }
code, tt, kbd, samp { font-family: monospace; }
hr { border: 1px inset; margin: 0.5em auto; }
h1, h2, h3, h4, h5, h6 { display: block; font-weight: bold; }
h1 { font-size: 2em; margin: 0.67em 0; }
h2 { font-size: 1.5em; margin: 0.75em 0; }
h3 { font-size: 1.17em; margin: 0.83em 0; }
h4 { margin: 1.12em 0; }
h5 { font-size: 0.83em; margin: 1.5em 0; }
h6 { font-size: 0.75em; margin: 1.67em 0; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
a:link, a[href] { color: #0645ad; text-decoration: underline; }
ul, ol, menu, dir { display: block; padding-left: 40px; margin-top: 1em; margin-bottom: 1em; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
li { display: list-item; }
img { display: inline-block; }
br { display: block; }
table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
)CSS";

}  // namespace platform
