#pragma once

// The tips pane's text (GBK): where the library's transaction log lies, and a plea to send it
// along with any problem.
extern const char* const kTipsText;
