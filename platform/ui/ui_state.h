#pragma once
// The process-wide user-interface state, for tests that need a clean start.
namespace platform {

// Takes down every shown alert and action sheet (telling no delegate) and
// forgets open and recorded animation blocks. Windows are not touched: they
// leave the screen when their owners drop them. Main thread.
void resetUserInterface();

}  // namespace platform
