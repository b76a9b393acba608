#pragma once
// A cheap stand-in for comparing rendered screens: a hash of everything the
// screen's rendering reads (the visible windows and, for every view in
// them, its place, size, transform, visibility, alpha, background colour,
// subviews and whether its drawing is out of date). Equal signatures mean
// the same pixels, so the screen need not be rendered again; a flip
// transition in flight changes the pixels with time alone and gives
// nullopt. Main thread.
#include <cstdint>
#include <optional>

namespace holdstill::sim::serve {

std::optional<std::uint64_t> screenSignature();

}  // namespace holdstill::sim::serve
