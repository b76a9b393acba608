#pragma once
// The style every page starts from (elements' display kinds, margins,
// heading sizes, link colours), before its own style sheets.
namespace platform {

extern const char* const kDefaultStyleSheet;

}  // namespace platform
